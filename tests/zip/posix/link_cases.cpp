// Symbolic links to folders on an item's path, or in place of a folder item.
#include <gtest/gtest.h>

#include "link_cases.h"

namespace vornel::ziptest {

std::vector<TLinkCase> HostLinkCases() {
  return {
      {"link to a folder on the item's path",
       [](const fs::path& base, const fs::path& outside) {
         fs::create_symlink(outside, base / "sub");
         return nullptr;
       },
       {UnixItem("sub/planted.txt", "evil"), UnixItem("sub/deeper/planted.txt", "evil"),
        UnixItem("after.txt", "after")},
       {"sub/planted.txt", "sub/deeper/planted.txt"},
       [](const fs::path& base) { EXPECT_EQ(TextOf(base / "after.txt"), "after"); }},
      {"folder item of mode 0777 over a link to a folder",
       [](const fs::path& base, const fs::path& outside) {
         fs::create_symlink(outside, base / "sub");
         return nullptr;
       },
       {UnixItem("sub/", "", 040777)},
       {"sub/"},
       [](const fs::path&) {}},
      {"link to a folder one level down",
       [](const fs::path& base, const fs::path& outside) {
         fs::create_directory(base / "real");
         fs::create_symlink(outside, base / "real" / "inner");
         return nullptr;
       },
       {UnixItem("real/inner/x.txt", "evil"), UnixItem("real/y.txt", "fine")},
       {"real/inner/x.txt"},
       [](const fs::path& base) { EXPECT_EQ(TextOf(base / "real" / "y.txt"), "fine"); }},
  };
}

}  // namespace vornel::ziptest
