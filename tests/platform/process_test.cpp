#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/clock.h"
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

TEST(ProcessTest, WindowsProgramStartsThroughWineOnThePath) {
  TTempDir dir;
  { std::ofstream(dir.Path() / "setup.exe") << "MZ\x90"; }
  // A stand-in for wine that exits with the length of its argument's name.
  WriteScript(dir, "wine",
              "[ \"$1\" = '" + (dir.Path() / "setup.exe").string() + "' ] && exit 7; exit 1");
  const char* path = std::getenv("PATH");
  const std::string saved = path ? path : "";
  ::setenv("PATH", (dir.Path().string() + ":" + saved).c_str(), 1);
  auto child = TChildProcess::Start(dir.Join("setup.exe"));
  ::setenv("PATH", saved.c_str(), 1);
  ASSERT_NE(child, nullptr);
  EXPECT_EQ(WaitForExit(*child), 7u);
}

TEST(ProcessTest, DetachedScriptRunsInItsOwnSessionWithoutOurOutput) {
  TTempDir dir;
  const auto out = dir.Path() / "out.txt";
  const auto script = dir.Path() / "s.sh";
  std::ofstream(script) << "ps -o sid= -p $$ > '" << out.string() << ".tmp'\n"
                        << "echo to-dev-null\n"
                        << "mv '" << out.string() << ".tmp' '" << out.string() << "'\n";
  ASSERT_TRUE(StartDetachedScript(FromUtf8(script.string())));
  for (int i = 0; i < 500 && !std::filesystem::exists(out); ++i)
    SleepMs(10);
  std::ifstream in(out);
  long sid = 0;
  in >> sid;
  EXPECT_GT(sid, 0);
  EXPECT_NE(sid, ::getsid(0));
}

}  // namespace
}  // namespace vornel
