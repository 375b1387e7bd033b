// The regression corpus of archives written by other tools: every archive opened,
// every item extracted and tested; where both reference tools read an archive,
// what comes out equals what 7z extracts. Damaged archives end in errors, never
// in a crash or a hang.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "host_refusals.h"
#include "platform/text.h"
#include "zip/ar_exceptions.h"
#include "zip/method_decoders.h"
#include "zip/unzipper.h"
#include "zip_test_support.h"

namespace vornel {
namespace {

using namespace ziptest;

// Archives that Info-ZIP unzip and 7-Zip both read without complaint.
const std::set<std::string> kReadByBoth = {"chinese.zip",
                                           "data_descriptor.zip",
                                           "deflate64.zip",
                                           "extended_timestamp.zip",
                                           "files_and_dirs.zip",
                                           "linux-7z.zip",
                                           "non_utf8.zip",
                                           "ntfs.zip",
                                           "symlink.zip",
                                           "windows-7zip.zip",
                                           "zip64_magic_in_filename_5.zip",
                                           "lzma.zip",
                                           "ppmd.zip",
                                           "xz.zip"};

struct TOutcome {
  bool OpenFailed = false;
  std::string OpenError;
  std::vector<std::string> Failures;  // "name: class code"
  int UnsupportedFailures = 0;
  int UnsafeNames = 0;
  int OtherFailures = 0;
  int FileCreateFailures = 0;  // of the other failures
};

// The distinct contents of the files below a folder (a symbolic link counts as a
// file holding its target), so that differently decoded names do not matter, nor
// names that 7z invents where the stored one cannot be used.
std::set<TBytes> Contents(const fs::path& folder) {
  std::set<TBytes> all;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (entry.is_symlink()) {
      const std::string target = fs::read_symlink(entry.path()).string();
      all.emplace(target.begin(), target.end());
    } else if (entry.is_regular_file()) {
      all.insert(ReadFile(entry.path()));
    }
  }
  return all;
}

TOutcome ExtractAndTest(const fs::path& archive, const fs::path& out) {
  TOutcome outcome;
  TArUnZipper unzipper;
  unzipper.SetExtractOptions(eoCreateDirs | eoRestorePath);
  unzipper.OnProcessItemFailure = [&](TArUnZipper&, TArZipItem& item, TArProcessType,
                                      TArErrorClass ec, int code) {
    outcome.Failures.push_back(ToUtf8(item.FileName) + ": " + std::to_string(ec) + " " +
                               std::to_string(code));
    const bool unsupported = ec == ecArchive && code == EArZipInvalidMethod::Code_ &&
                             !ArMethodDecoder(item.ItemInfo.CompressionMethod);
    const bool unsafe = ec == ecArchive && code == EArUnsafePath::Code_;
    if (unsupported) {
      ++outcome.UnsupportedFailures;
    } else if (unsafe) {
      ++outcome.UnsafeNames;
    } else {
      ++outcome.OtherFailures;
      if (ec == ecFileCreateError)
        ++outcome.FileCreateFailures;
    }
  };
  try {
    unzipper.SetFileName(U16(archive));
    unzipper.SetBaseDirectory(U16(out));
  } catch (const std::exception& e) {
    outcome.OpenFailed = true;
    outcome.OpenError = e.what();
    return outcome;
  }
  try {
    unzipper.ExtractFiles(u"*.*");
  } catch (const std::exception& e) {
    outcome.Failures.push_back(std::string("run: ") + e.what());
    ++outcome.OtherFailures;
  }
  if (unzipper.Status() != asInvalid) {
    unzipper.TagItems(u"*.*");
    try {
      unzipper.TestTaggedItems();
    } catch (const std::exception&) {
    }
  }
  return outcome;
}

TEST(Peers, EveryArchiveOfTheCorpus) {
  const fs::path corpus = FixtureDir() / "zip-peers";
  std::vector<fs::path> archives;
  for (const auto& entry : fs::directory_iterator(corpus)) {
    if (entry.path().extension() == ".zip")
      archives.push_back(entry.path());
  }
  std::sort(archives.begin(), archives.end());
  ASSERT_GE(archives.size(), 25u);
  TTempDir theirs;
  MakeArchives("peers-by-7z", theirs.Path());
  for (const fs::path& archive : archives) {
    const std::string name = archive.filename().string();
    SCOPED_TRACE(name);
    TTempDir ours;
    const TOutcome outcome = ExtractAndTest(archive, ours.Path());
    if (!kReadByBoth.count(name))
      continue;  // damaged or unsupported: no crash is the test
    ASSERT_FALSE(outcome.OpenFailed) << outcome.OpenError;
    if (kRefusedNames.contains(name)) {
      // Names this file system cannot hold: those items fail to be created.
      EXPECT_EQ(outcome.OtherFailures, outcome.FileCreateFailures)
          << ::testing::PrintToString(outcome.Failures);
      EXPECT_GT(outcome.FileCreateFailures, 0);
      continue;
    }
    EXPECT_EQ(outcome.OtherFailures, 0) << ::testing::PrintToString(outcome.Failures);
    ASSERT_FALSE(fs::exists(theirs / (name + ".failed"))) << "7z failed";
    ASSERT_TRUE(fs::is_directory(theirs / name));
    if (outcome.UnsupportedFailures == 0) {
      EXPECT_EQ(Contents(ours.Path()), Contents(theirs / name));
    }
  }
}

TEST(Peers, UnsupportedMethodsAreItemFailures) {
  for (const char* name : {"aes_archive.zip"}) {
    SCOPED_TRACE(name);
    TTempDir out;
    const TOutcome outcome = ExtractAndTest(FixtureDir() / "zip-peers" / name, out.Path());
    ASSERT_FALSE(outcome.OpenFailed) << outcome.OpenError;
    EXPECT_GT(outcome.UnsupportedFailures, 0);
  }
}

TEST(Peers, DamagedArchivesFailCleanly) {
  for (const char* name : {"invalid_offset.zip", "invalid_offset2.zip", "deflate64_issue_25.zip",
                           "raw_deflate64_index_out_of_bounds.zip",
                           "invalid_cde_number_of_files_allocation_greater_offset.zip"}) {
    SCOPED_TRACE(name);
    TTempDir out;
    const TOutcome outcome = ExtractAndTest(FixtureDir() / "zip-peers" / name, out.Path());
    EXPECT_TRUE(outcome.OpenFailed || outcome.OtherFailures > 0) << "passed as good";
  }
}

}  // namespace
}  // namespace vornel
