// The binding with OpenSSL linked into the program: where the Linux build loads
// the libraries (and can miss them), this build has every entry at once, and no
// folder setting makes it load anything.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/text.h"
#include "support/temp_dir.h"
#include "transport/tls/openssl_binding.h"

namespace vornel {
namespace {

// Every entry of the table with its name; the method families as the linked
// library has them.
std::vector<std::pair<std::string, const void*>> Entries(const TNetOpenSSLEntries& e) {
  std::vector<std::pair<std::string, const void*>> list;
#define VORNEL_LIST(lib, required, name) \
  list.emplace_back(#name, reinterpret_cast<const void*>(e.name));
#define VORNEL_LIST_RENAMED(lib, required, name, older) VORNEL_LIST(lib, required, name)
#define VORNEL_LIST_METHODS(prefix)       \
  VORNEL_LIST(, , prefix##_method)        \
  VORNEL_LIST(, , prefix##_server_method) \
  VORNEL_LIST(, , prefix##_client_method)
  VORNEL_OPENSSL_ENTRIES(VORNEL_LIST)
  VORNEL_OPENSSL_RENAMED_ENTRIES(VORNEL_LIST_RENAMED)
  VORNEL_LIST_METHODS(TLSv1)
  VORNEL_LIST_METHODS(TLSv1_1)
  VORNEL_LIST_METHODS(TLSv1_2)
  VORNEL_LIST_METHODS(TLS)
#undef VORNEL_LIST
#undef VORNEL_LIST_RENAMED
#undef VORNEL_LIST_METHODS
  return list;
}

// The first test of the program: nothing has loaded the binding before it.
TEST(OpenSSLLinked, TheFirstLoadSucceedsAtOnceWithEveryEntrySet) {
  EXPECT_FALSE(IsOpenSSLLoaded());
  ASSERT_TRUE(LoadOpenSSLLibrary());
  EXPECT_TRUE(IsOpenSSLLoaded());
  EXPECT_TRUE(OpenSSLFailedLoadList().empty());
  for (const auto& [name, pointer] : Entries(OpenSSLEntries())) {
    // The linked library ends with the process; a cleanup while it runs would
    // leave it unable to start again.
    if (name == "OPENSSL_cleanup")
      EXPECT_EQ(pointer, nullptr);
    else
      EXPECT_NE(pointer, nullptr) << name;
  }
  // SSL 2 is gone from the library, SSL 3 is left out of its build.
  EXPECT_EQ(OpenSSLEntries().SSLv2_method, nullptr);
  EXPECT_FALSE(OpenSSLVersionAvailable(sslvSSLv2));
  EXPECT_TRUE(OpenSSLVersionAvailable(sslvTLSv1_3));
}

// Where the Linux build fails on an empty folder or one holding libraries
// without the entries, this build never looks: not even libraries under
// OpenSSL's Windows names in the folder are loaded.
TEST(OpenSSLLinked, AFolderSettingLoadsNothingAndAnUnloadThenLoadStartsOverAtOnce) {
  testing::TTempDir dir;
  for (const char* name : {"libcrypto-3-x64.dll", "libssl-3-x64.dll"})
    std::ofstream(dir.Path() / name) << "not a library";
  ASSERT_TRUE(LoadOpenSSLLibrary());
  const auto sslNew = OpenSSLEntries().SSL_new;
  for (const std::u16string& folder :
       {dir.Join(""), std::u16string(u"C:\\nonexistent-openssl-folder")}) {
    SCOPED_TRACE(ToUtf8(folder));
    GNetOpenSSLPath = folder;
    UnLoadOpenSSLLibrary();
    EXPECT_FALSE(IsOpenSSLLoaded());
    EXPECT_EQ(OpenSSLEntries().SSL_new, nullptr);
    EXPECT_TRUE(LoadOpenSSLLibrary());
    EXPECT_TRUE(OpenSSLFailedLoadList().empty());
    EXPECT_EQ(OpenSSLEntries().SSL_new, sslNew);
    for (const char* name : {"libcrypto-3-x64.dll", "libssl-3-x64.dll"})
      EXPECT_EQ(::GetModuleHandleA(name), nullptr) << name;
  }
  GNetOpenSSLPath.clear();
}

}  // namespace
}  // namespace vornel
