// What Windows has in the target tree instead of symbolic links to folders: a
// read-only file outside with a second name inside (the attribute belongs to the
// file, so it is refused), and a file that another program holds open without
// sharing (a sharing violation fails the item, its content stays). Links and
// junctions to folders are the Windows extraction tests' own (extract_test.cpp).
#include <gtest/gtest.h>

#include "link_cases.h"

#include <windows.h>

namespace vornel::ziptest {

std::vector<TLinkCase> HostLinkCases() {
  return {
      {"read-only file outside with a hard link inside",
       [](const fs::path& base, const fs::path& outside) {
         WriteFile(outside / "fixed.txt", std::string("fixed"));
         fs::create_hard_link(outside / "fixed.txt", base / "fixed.txt");
         SetFileAttributesW((outside / "fixed.txt").c_str(), FILE_ATTRIBUTE_READONLY);
         return nullptr;
       },
       {UnixItem("fixed.txt", "replaced"), UnixItem("after.txt", "after")},
       {"fixed.txt"},
       [](const fs::path& base) {
         EXPECT_EQ(TextOf(base / "fixed.txt"), "fixed");
         EXPECT_EQ(TextOf(base / "after.txt"), "after");
         SetFileAttributesW((base / "fixed.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
       }},
      {"file held open without sharing",
       [](const fs::path& base, const fs::path&) -> std::shared_ptr<void> {
         WriteFile(base / "busy.txt", std::string("busy"));
         const HANDLE handle = CreateFileW((base / "busy.txt").c_str(), GENERIC_READ, 0, nullptr,
                                           OPEN_EXISTING, 0, nullptr);
         EXPECT_NE(handle, INVALID_HANDLE_VALUE);
         return std::shared_ptr<void>(handle, [](HANDLE h) { CloseHandle(h); });
       },
       {UnixItem("busy.txt", "replaced"), UnixItem("after.txt", "after")},
       {"busy.txt"},
       [](const fs::path& base) {
         EXPECT_EQ(TextOf(base / "busy.txt"), "busy");
         EXPECT_EQ(TextOf(base / "after.txt"), "after");
       }},
  };
}

}  // namespace vornel::ziptest
