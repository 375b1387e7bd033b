#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/text.h"
#include "support/temp_dir.h"
#include "zip/ar_exceptions.h"
#include "zip/unzipper.h"
#include "zip_test_support.h"

namespace vornel {
namespace {

namespace fs = std::filesystem;
using testing::ReadFileBytes;
using testing::TTempDir;
using testing::WriteFileBytes;

struct TRun {
  std::vector<std::string> Failures;
};

// Extracts every item of an archive into a folder, collecting item failures.
TRun ExtractAll(const fs::path& archive, const fs::path& folder) {
  TRun run;
  TArUnZipper unzipper;
  unzipper.SetExtractOptions(eoCreateDirs | eoRestorePath);
  unzipper.OnProcessItemFailure = [&](TArUnZipper&, TArZipItem& item, TArProcessType,
                                      TArErrorClass errorClass, int code) {
    run.Failures.push_back(ToUtf8(item.FileName) + " " + std::to_string(errorClass) + " " +
                           std::to_string(code));
  };
  unzipper.SetFileName(ziptest::U16(archive));
  unzipper.SetBaseDirectory(ziptest::U16(folder));
  unzipper.ExtractFiles(u"*.*");
  return run;
}

TEST(UnzipperMethodsTest, LegacyArchivesOfOtherTools) {
  const fs::path fixtures = ziptest::FixtureDir() / "zip-legacy";
  for (const char* name : {"shrink.zip", "reduce.zip", "implode.zip"}) {
    SCOPED_TRACE(name);
    TTempDir out;
    const TRun run = ExtractAll(fixtures / name, out.Path());
    EXPECT_TRUE(run.Failures.empty()) << ::testing::PrintToString(run.Failures);
    // The DOS tool of shrink.zip stored the name in capitals.
    const fs::path file =
        fs::exists(out.Path() / "first.txt") ? out.Path() / "first.txt" : out.Path() / "FIRST.TXT";
    EXPECT_EQ(ReadFileBytes(file), ReadFileBytes(fixtures / "first.txt"));
  }
}

TEST(UnzipperMethodsTest, ZstandardItemFromTheZstdTool) {
  TTempDir dir;
  // data.txt, packed by zstd into method 93 (the recipe zstd-item).
  ziptest::MakeArchives("zstd-item", dir.Path());
  std::vector<std::uint8_t> original;
  for (int i = 0; i < 50000; ++i)
    original.push_back(static_cast<std::uint8_t>("Vornel "[i % 7] + i / 5000));
  ASSERT_EQ(ReadFileBytes(dir.Path() / "data.txt"), original);
  TTempDir out;
  const TRun run = ExtractAll(dir.Path() / "zstd.zip", out.Path());
  EXPECT_TRUE(run.Failures.empty()) << ::testing::PrintToString(run.Failures);
  EXPECT_EQ(ReadFileBytes(out.Path() / "data.txt"), original);

  // The same data declared one byte shorter: an item failure, and no file left.
  auto zip = ReadFileBytes(dir.Path() / "zstd.zip");
  const std::size_t central = zip.size() - 22 - 46 - 8;  // one item named "data.txt"
  zip[central + 24] = static_cast<std::uint8_t>(zip[central + 24] - 1);
  zip[22] = zip[central + 24];  // the local header's size too
  WriteFileBytes(dir.Path() / "short.zip", zip);
  TTempDir out2;
  const TRun shortRun = ExtractAll(dir.Path() / "short.zip", out2.Path());
  EXPECT_EQ(shortRun.Failures.size(), 1u);
  EXPECT_FALSE(fs::exists(out2.Path() / "data.txt"));
}

}  // namespace
}  // namespace vornel
