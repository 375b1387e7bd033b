#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/clock.h"
#include "platform/owned_files.h"
#include "platform/process.h"
#include "platform/text.h"
#include "support/temp_dir.h"

namespace vornel {
namespace {

using testing::TTempDir;

std::u16string WriteScript(const TTempDir& dir, const std::string& name, const std::string& body,
                           unsigned mode = 0755) {
  const auto path = dir.Path() / name;
  std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
  std::filesystem::permissions(path, static_cast<std::filesystem::perms>(mode));
  return FromUtf8(path.string());
}

std::uint32_t WaitForExit(TChildProcess& child) {
  std::uint32_t code;
  while ((code = child.ExitCode()) == STILL_ACTIVE)
    SleepMs(5);
  return code;
}

TEST(ProcessTest, ExitCodesOfRealChildren) {
  TTempDir dir;
  struct Case {
    const char* body;
    std::uint32_t code;
  } cases[] = {
      {"exit 0", 0},
      {"exit 1", 1},
      {"exit 2", 2},
      {"kill -9 $$", 128 + 9},
      {"kill -15 $$", 128 + 15},
  };
  for (const auto& c : cases) {
    auto child = TChildProcess::Start(WriteScript(dir, "child.sh", c.body));
    ASSERT_NE(child, nullptr) << c.body;
    EXPECT_EQ(WaitForExit(*child), c.code) << c.body;
    EXPECT_EQ(child->ExitCode(), c.code) << "the code stays once read";
  }
}

TEST(ProcessTest, ReadsStillActiveWhileTheChildRuns) {
  TTempDir dir;
  const std::string flag = (dir.Path() / "go").string();
  auto child = TChildProcess::Start(
      WriteScript(dir, "wait.sh", "while [ ! -e '" + flag + "' ]; do sleep 0.02; done; exit 3"));
  ASSERT_NE(child, nullptr);
  EXPECT_EQ(child->ExitCode(), STILL_ACTIVE);
  SleepMs(50);
  EXPECT_EQ(child->ExitCode(), STILL_ACTIVE);
  std::ofstream(flag) << "";
  EXPECT_EQ(WaitForExit(*child), 3u);
}

TEST(ProcessTest, FilesThatCannotStart) {
  TTempDir dir;
  EXPECT_EQ(TChildProcess::Start(dir.Join("Setup.exe")), nullptr) << "a missing file";
  EXPECT_EQ(TChildProcess::Start(WriteScript(dir, "plain.sh", "exit 0", 0644)), nullptr)
      << "no execute permission";
  EXPECT_EQ(TChildProcess::Start(FromUtf8(dir.Path().string())), nullptr) << "a folder";
  // A Windows program without wine on the PATH.
  { std::ofstream(dir.Path() / "win.exe") << "MZ\x90"; }
  const char* path = std::getenv("PATH");
  const std::string saved = path ? path : "";
  ::setenv("PATH", dir.Path().c_str(), 1);
  EXPECT_EQ(TChildProcess::Start(dir.Join("win.exe")), nullptr);
  ::setenv("PATH", saved.c_str(), 1);
}

// PATH with a folder put first, for the life of the object.
class TPathFirst {
 public:
  explicit TPathFirst(const std::filesystem::path& folder) {
    const char* path = std::getenv("PATH");
    FSaved = path ? path : "";
    ::setenv("PATH", (folder.string() + ":" + FSaved).c_str(), 1);
  }
  ~TPathFirst() { ::setenv("PATH", FSaved.c_str(), 1); }
  TPathFirst(const TPathFirst&) = delete;
  TPathFirst& operator=(const TPathFirst&) = delete;

 private:
  std::string FSaved;
};

TEST(ProcessTest, WindowsProgramsStartThroughWineOthersDirectly) {
  TTempDir dir;
  const auto program = dir.Path() / "Setup.exe";
  // A stand-in for wine that exits with 7 when it is handed the program.
  WriteScript(dir, "wine", "[ \"$1\" = '" + program.string() + "' ] && exit 7; exit 1");
  const TPathFirst path(dir.Path());
  struct {
    const char* Name;
    std::string Content;
    unsigned Mode;
    std::uint32_t Code;  // 7: wine ran it
  } const cases[] = {
      {"Windows program", "MZ\x90\0\3", 0644, 7},
      {"Windows program with the execute bit", "MZ\x90\0\3", 0755, 7},
      {"script with the execute bit", "#!/bin/sh\nexit 5\n", 0755, 5},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    std::filesystem::remove(program);
    std::ofstream(program, std::ios::binary) << c.Content;
    std::filesystem::permissions(program, static_cast<std::filesystem::perms>(c.Mode));
    auto child = TChildProcess::Start(FromUtf8(program.string()));
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(WaitForExit(*child), c.Code);
  }
}

// The script as the closing hands it over: the open descriptor of the file written.
TNewFile OpenScript(const TTempDir& dir, const std::string& name, const std::string& text) {
  TNewFile file = TNewFile::Create(dir.Join(name), 0700);
  file.Write(text);
  return file;
}

bool WaitForFile(const std::filesystem::path& file) {
  for (int i = 0; i < 2000 && !std::filesystem::exists(file); ++i)
    SleepMs(10);
  return std::filesystem::exists(file);
}

TEST(ProcessTest, DetachedScriptRunsInItsOwnSessionWithoutOurOutput) {
  TTempDir dir;
  const auto out = dir.Path() / "out.txt";
  const TNewFile script =
      OpenScript(dir, "s.sh",
                 "ps -o sid= -p $$ > '" + out.string() + ".tmp'\n" + "echo to-dev-null\n" + "mv '" +
                     out.string() + ".tmp' '" + out.string() + "'\n");
  ASSERT_TRUE(StartDetachedScript(script.Descriptor()));
  ASSERT_TRUE(WaitForFile(out));
  std::ifstream in(out);
  long sid = 0;
  in >> sid;
  EXPECT_GT(sid, 0);
  EXPECT_NE(sid, ::getsid(0));
}

TEST(ProcessTest, DetachedScriptRunsTheFileWrittenWhateverItsNameHoldsLater) {
  TTempDir dir;
  const auto ran = dir.Path() / "ran";
  const auto other = dir.Path() / "other-ran";
  const TNewFile script = OpenScript(dir, "s.sh", "touch '" + ran.string() + "'\n");
  // Its name given over to another script before the start.
  std::filesystem::remove(dir.Path() / "s.sh");
  WriteScript(dir, "s.sh", "touch '" + other.string() + "'");
  ASSERT_TRUE(StartDetachedScript(script.Descriptor()));
  ASSERT_TRUE(WaitForFile(ran));
  EXPECT_FALSE(std::filesystem::exists(other));
}

}  // namespace
}  // namespace vornel
