// What already lies in the target tree: links to files and folders, hard links,
// and what only one system has, met by the unzipper component and by arunzip
// alike. Nothing outside the base folder may ever change.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "link_cases.h"
#include "zip_test_support.h"

namespace vornel {
namespace {

using namespace ziptest;

struct TFront {
  const char* Name;
  // Extracts the archive into the folder; returns the names of the failed items.
  std::function<std::vector<std::string>(const fs::path& archive, const fs::path& folder)> Run;
};

// arunzip writes "NAME: CLASS CODE: TEXT" for every failed item.
std::vector<std::string> ByArunzip(const fs::path& archive, const fs::path& folder) {
  const fs::path log = folder.parent_path() / "arunzip.err";
  const int status = RunShell(ShellWord(BuiltProgram(ARUNZIP_PATH)) + " -x " + ShellWord(archive) +
                              " " + ShellWord(folder) + " 2> " + ShellWord(log));
  const TBytes bytes = ReadFile(log);
  const std::string text(bytes.begin(), bytes.end());
  std::vector<std::string> failed;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos)
      end = text.size();
    std::string line = text.substr(start, end - start);
    if (line.ends_with('\r'))
      line.pop_back();
    failed.push_back(line.substr(0, line.find(": ")));
    EXPECT_NE(line.find(": ec"), std::string::npos) << line;
    EXPECT_NE(line.rfind(": "), line.find(": ")) << "no text: " << line;
    start = end + 1;
  }
  EXPECT_EQ(status, failed.empty() ? 0 : 1) << text;
  return failed;
}

TEST(ExistingLinks, NothingOutsideTheBaseFolderChanges) {
  std::vector<TLinkCase> cases = {
      {"link to a file in place of the target",
       [](const fs::path& base, const fs::path& outside) {
         PlantFileLink(outside / "canary.txt", base / "victim.txt");
         return nullptr;
       },
       {UnixItem("victim.txt", "replaced")},
       {},
       [&](const fs::path& base) {
         EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(base / "victim.txt")));
         EXPECT_EQ(TextOf(base / "victim.txt"), "replaced");
       }},
      {"hard link to a file outside",
       [](const fs::path& base, const fs::path& outside) {
         fs::create_hard_link(outside / "canary.txt", base / "hard.txt");
         return nullptr;
       },
       {UnixItem("hard.txt", "replaced")},
       {},
       [&](const fs::path& base) { EXPECT_EQ(TextOf(base / "hard.txt"), "replaced"); }},
  };
  for (TLinkCase& c : HostLinkCases())
    cases.push_back(std::move(c));
  for (const TFront& front : {TFront{"component", ExtractAll}, TFront{"arunzip", ByArunzip}}) {
    for (const TLinkCase& c : cases) {
      SCOPED_TRACE(std::string(front.Name) + ": " + c.Label);
      TTempDir dir;
      const fs::path base = dir / "base";
      const fs::path outside = dir / "outside";
      fs::create_directory(base);
      fs::create_directory(outside);
      fs::permissions(outside, fs::perms::owner_all | fs::perms::group_read |
                                   fs::perms::group_exec | fs::perms::others_read |
                                   fs::perms::others_exec);
      WriteFile(outside / "canary.txt", "canary");
      std::shared_ptr<void> held = c.Plant(base, outside);
      TArchiveSpec spec;
      spec.Entries = c.Entries;
      WriteFile(dir / "a.zip", BuildZip(spec));
      const std::string before = Snapshot(outside);
      EXPECT_EQ(front.Run(dir / "a.zip", base), c.Failed);
      held.reset();
      EXPECT_EQ(Snapshot(outside), before);
      c.Check(base);
    }
  }
}

}  // namespace
}  // namespace vornel
