// What already lies in the target tree: symbolic links to files and folders,
// hard links, and a folder item's mode, met by the unzipper component and by
// arunzip alike. Nothing outside the base folder may ever change.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/text.h"
#include "zip/unzipper.h"
#include "zip_test_support.h"

namespace vornel {
namespace {

using namespace ziptest;

// The state of a folder outside the base folder: every name with its content,
// mode and inode, so that a write, a new file or a chmod all show.
std::string Snapshot(const fs::path& folder) {
  std::string all;
  struct stat st {};
  ::lstat(folder.c_str(), &st);
  all += "mode " + std::to_string(st.st_mode) + "\n";
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    ::lstat(entry.path().c_str(), &st);
    all += entry.path().string() + " " + std::to_string(st.st_mode) + " " +
           std::to_string(st.st_ino) + " ";
    if (entry.is_regular_file()) {
      const TBytes bytes = ReadFile(entry.path());
      all.append(bytes.begin(), bytes.end());
    }
    all += "\n";
  }
  return all;
}

struct TFront {
  const char* Name;
  // Extracts the archive into the folder; returns the names of the failed items.
  std::function<std::vector<std::string>(const fs::path& archive, const fs::path& folder)> Run;
};

std::vector<std::string> ByComponent(const fs::path& archive, const fs::path& folder) {
  std::vector<std::string> failed;
  TArUnZipper unzipper;
  unzipper.SetExtractOptions(eoCreateDirs | eoRestorePath);
  unzipper.OnProcessItemFailure = [&](TArUnZipper& sender, TArZipItem& item, TArProcessType,
                                      TArErrorClass, int) {
    EXPECT_FALSE(sender.FailureMessage().empty());
    failed.push_back(ToUtf8(item.FileName));
  };
  unzipper.SetFileName(U16(archive));
  unzipper.SetBaseDirectory(U16(folder));
  unzipper.ExtractFiles(u"*.*");
  return failed;
}

// arunzip writes "NAME: CLASS CODE: TEXT" for every failed item.
std::vector<std::string> ByArunzip(const fs::path& archive, const fs::path& folder) {
  const fs::path log = folder.parent_path() / "arunzip.err";
  const int status = RunShell(std::string("'") + ARUNZIP_PATH + "' -x '" + archive.string() +
                              "' '" + folder.string() + "' 2> '" + log.string() + "'");
  const TBytes bytes = ReadFile(log);
  const std::string text(bytes.begin(), bytes.end());
  std::vector<std::string> failed;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos)
      end = text.size();
    const std::string line = text.substr(start, end - start);
    failed.push_back(line.substr(0, line.find(": ")));
    EXPECT_NE(line.find(": ec"), std::string::npos) << line;
    EXPECT_NE(line.rfind(": "), line.find(": ")) << "no text: " << line;
    start = end + 1;
  }
  EXPECT_EQ(status, failed.empty() ? 0 : 1) << text;
  return failed;
}

TEntry Item(const std::string& name, const std::string& text, std::uint32_t unixMode = 0100644) {
  TEntry e;
  e.Name = name;
  e.Data = TBytes(text.begin(), text.end());
  e.VersionMadeBy = 0x0314;
  e.ExternalAttributes = unixMode << 16;
  return e;
}

TEST(ExistingLinks, NothingOutsideTheBaseFolderChanges) {
  struct TCase {
    const char* Label;
    // Prepares the base folder, given the folder outside with its canary file.
    std::function<void(const fs::path& base, const fs::path& outside)> Plant;
    std::vector<TEntry> Entries;
    std::vector<std::string> Failed;
    std::function<void(const fs::path& base)> Check;
  };
  const auto text = [](const fs::path& path) {
    const TBytes bytes = ReadFile(path);
    return std::string(bytes.begin(), bytes.end());
  };
  const std::vector<TCase> cases = {
      {"link to a file in place of the target",
       [](const fs::path& base, const fs::path& outside) {
         fs::create_symlink(outside / "canary.txt", base / "victim.txt");
       },
       {Item("victim.txt", "replaced")},
       {},
       [&](const fs::path& base) {
         EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(base / "victim.txt")));
         EXPECT_EQ(text(base / "victim.txt"), "replaced");
       }},
      {"link to a folder on the item's path",
       [](const fs::path& base, const fs::path& outside) {
         fs::create_symlink(outside, base / "sub");
       },
       {Item("sub/planted.txt", "evil"), Item("sub/deeper/planted.txt", "evil"),
        Item("after.txt", "after")},
       {"sub/planted.txt", "sub/deeper/planted.txt"},
       [&](const fs::path& base) { EXPECT_EQ(text(base / "after.txt"), "after"); }},
      {"hard link to a file outside",
       [](const fs::path& base, const fs::path& outside) {
         fs::create_hard_link(outside / "canary.txt", base / "hard.txt");
       },
       {Item("hard.txt", "replaced")},
       {},
       [&](const fs::path& base) { EXPECT_EQ(text(base / "hard.txt"), "replaced"); }},
      {"folder item of mode 0777 over a link to a folder",
       [](const fs::path& base, const fs::path& outside) {
         fs::create_symlink(outside, base / "sub");
       },
       {Item("sub/", "", 040777)},
       {"sub/"},
       [](const fs::path&) {}},
      {"link to a folder one level down",
       [](const fs::path& base, const fs::path& outside) {
         fs::create_directory(base / "real");
         fs::create_symlink(outside, base / "real" / "inner");
       },
       {Item("real/inner/x.txt", "evil"), Item("real/y.txt", "fine")},
       {"real/inner/x.txt"},
       [&](const fs::path& base) { EXPECT_EQ(text(base / "real" / "y.txt"), "fine"); }},
  };
  for (const TFront& front : {TFront{"component", ByComponent}, TFront{"arunzip", ByArunzip}}) {
    for (const TCase& c : cases) {
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
      c.Plant(base, outside);
      TArchiveSpec spec;
      spec.Entries = c.Entries;
      WriteFile(dir / "a.zip", BuildZip(spec));
      const std::string before = Snapshot(outside);
      EXPECT_EQ(front.Run(dir / "a.zip", base), c.Failed);
      EXPECT_EQ(Snapshot(outside), before);
      c.Check(base);
    }
  }
}

}  // namespace
}  // namespace vornel
