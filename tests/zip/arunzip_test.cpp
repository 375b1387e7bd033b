// arunzip on archives of real tools and hand-made hostile ones: its exit codes,
// its failure lines and what it leaves on disk.
#include <gtest/gtest.h>

#include <string>

#include "host_refusals.h"
#include "zip_test_support.h"

namespace vornel {
namespace {

using namespace ziptest;

struct TResult {
  int Status = -1;  // the exit code (RunShell)
  std::string Out, Err;
};

TResult Arunzip(const std::string& arguments, const fs::path& folder) {
  TResult result;
  const int status = RunShell(
      ShellWord(BuiltProgram(ARUNZIP_PATH)) + " " + arguments + " > arunzip.out 2> arunzip.err",
      folder);
  result.Status = status;
  const TBytes out = ReadFile(folder / "arunzip.out");
  const TBytes err = ReadFile(folder / "arunzip.err");
  result.Out.assign(out.begin(), out.end());
  result.Err.assign(err.begin(), err.end());
  return result;
}

bool IsEmptyFolder(const fs::path& folder) {
  return fs::is_directory(folder) && fs::directory_iterator(folder) == fs::directory_iterator();
}

TEST(Arunzip, OverlapBombIsRefusedWithNothingWritten) {
  TTempDir dir;
  MakeArchives("arunzip-bomb", dir.Path());
  ASSERT_LT(fs::file_size(dir / "bomb.zip"), 60000u);
  fs::create_directory(dir / "out");
  for (const char* mode : {"-x bomb.zip out", "-t bomb.zip"}) {
    SCOPED_TRACE(mode);
    const TResult r = Arunzip(mode, dir.Path());
    EXPECT_EQ(r.Status, 2);
    EXPECT_NE(r.Err.find("items overlap"), std::string::npos) << r.Err;
    EXPECT_TRUE(IsEmptyFolder(dir / "out"));
  }
}

// Items that fail on the file system are reported one by one; the run goes on
// and exits with 1, not with the 2 of an aborted run.
TEST(Arunzip, FileSystemRefusalsFailTheirItemsOnly) {
  TTempDir dir;
  MakeArchives("arunzip-refusals", dir.Path());
  fs::create_directory(dir / "out");
  const TResult r = Arunzip("-x c.zip out", dir.Path());
  EXPECT_EQ(r.Status, 1) << r.Err;
  EXPECT_NE(r.Err.find(kUnderAFileRefusal), std::string::npos) << r.Err;
  EXPECT_NE(r.Err.find(kLongNameRefusal), std::string::npos) << r.Err;
  EXPECT_EQ(ReadFile(dir / "out" / "ok.txt"), (TBytes{'f', 'i', 'n', 'e'}));
}

// Good archives that used to be reported as failed: date 0 (zipfile writes it for
// 1980-00-00), data descriptors from a pipe, and a stub in front of the archive.
TEST(Arunzip, GoodArchivesOfOtherWriters) {
  TTempDir dir;
  MakeArchives("arunzip-good", dir.Path());
  for (const char* archive : {"date0.zip", "dd.zip", "sfx.bin"}) {
    SCOPED_TRACE(archive);
    const TResult tested = Arunzip(std::string("-t ") + archive, dir.Path());
    EXPECT_EQ(tested.Status, 0) << tested.Err;
    EXPECT_NE(tested.Out.find("no errors"), std::string::npos);
    fs::remove_all(dir / "out");
    fs::create_directory(dir / "out");
    const TResult extracted = Arunzip(std::string("-x ") + archive + " out", dir.Path());
    EXPECT_EQ(extracted.Status, 0) << extracted.Err;
    EXPECT_FALSE(IsEmptyFolder(dir / "out"));
  }
}

// Arguments that no ANSI code page holds all of ("č" is in none of the Western
// ones) reach arunzip as they were given.
TEST(Arunzip, NamesBeyondTheCodePageInItsArguments) {
  TTempDir dir;
  MakeArchives("arunzip-good", dir.Path());
  const fs::path folder = dir.Path() / fs::path(u8"v\u00fdstup-\u010d");
  fs::create_directory(folder);
  fs::copy_file(dir / "plain.zip", folder / fs::path(u8"p\u0159\u00edli\u0161.zip"));
  const TResult r = Arunzip(
      std::string(reinterpret_cast<const char*>(
          u8"-x \"v\u00fdstup-\u010d/p\u0159\u00edli\u0161.zip\" \"v\u00fdstup-\u010d/c\u00edl\"")),
      dir.Path());
  EXPECT_EQ(r.Status, 0) << r.Err;
  EXPECT_EQ(ReadFile(folder / fs::path(u8"c\u00edl") / "dd.txt"), ReadFile(dir / "dd.txt"));
}

// A target folder that cannot be made (below a file) ends the run with the
// system's reason for it.
TEST(Arunzip, AFolderThatCannotBeMadeIsNamedWithItsReason) {
  TTempDir dir;
  MakeArchives("arunzip-good", dir.Path());
  const TResult r = Arunzip("-x plain.zip dd.txt/out", dir.Path());
  EXPECT_EQ(r.Status, 2);
  const std::string prefix = "arunzip: cannot create directory dd.txt/out: ";
  ASSERT_EQ(r.Err.rfind(prefix, 0), 0u) << r.Err;
  const std::string reason = r.Err.substr(prefix.size());
  EXPECT_GT(reason.size(), 2u) << r.Err;
  EXPECT_EQ(reason.find("Success"), std::string::npos) << r.Err;
  EXPECT_EQ(reason.find("successfully"), std::string::npos) << r.Err;
}

}  // namespace
}  // namespace vornel
