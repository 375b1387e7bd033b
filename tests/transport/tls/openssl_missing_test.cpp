// The binding without usable libraries. This program runs in a process of its
// own, because the binding loads once per process.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/text.h"
#include "transport/tls/openssl_binding.h"

namespace vornel {
namespace {

bool Has(const std::vector<std::u16string>& list, const std::u16string& text) {
  return std::find(list.begin(), list.end(), text) != list.end();
}

class OpenSSLMissing : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/vornel-no-openssl-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    FEmptyDir = pattern;
  }
  void TearDown() override {
    GNetOpenSSLPath.clear();
    ::rmdir(FEmptyDir.c_str());
  }
  std::string FEmptyDir;
};

TEST_F(OpenSSLMissing, AnEmptyFolderFailsWithTheCryptoLibraryName) {
  GNetOpenSSLPath = FromUtf8(FEmptyDir);
  EXPECT_FALSE(LoadOpenSSLLibrary());
  EXPECT_FALSE(IsOpenSSLLoaded());
  EXPECT_EQ(OpenSSLFailedLoadList(),
            std::vector<std::u16string>{u"Failed to load libcrypto.so.3."});
  EXPECT_EQ(OpenSSLEntries().SSL_new, nullptr);
}

TEST_F(OpenSSLMissing, LibrariesWithoutTheEntriesListEveryMissingRequiredName) {
  GNetOpenSSLPath = u"" VORNEL_STUB_DIR;
  EXPECT_FALSE(LoadOpenSSLLibrary());
  const auto list = OpenSSLFailedLoadList();
  EXPECT_FALSE(Has(list, u"Failed to load libcrypto.so.3."));
  EXPECT_FALSE(Has(list, u"Failed to load libssl.so.3."));
  for (const char16_t* name :
       {u"OPENSSL_init_crypto", u"ERR_error_string_n", u"OPENSSL_init_ssl", u"SSL_new", u"SSL_read",
        u"SSL_CTX_set_cipher_list", u"OpenSSL_version_num"})
    EXPECT_TRUE(Has(list, name)) << ToUtf8(name);
  // Optional entries are simply left empty.
  for (const char16_t* name : {u"SSL_pending", u"SSL_peek", u"TLSv1_client_method",
                               u"TLS_client_method", u"SSL_CTX_use_certificate_chain_file"})
    EXPECT_FALSE(Has(list, name)) << ToUtf8(name);
}

TEST_F(OpenSSLMissing, AFailedLoadLeavesNothingAndTheNextCallStartsOver) {
  GNetOpenSSLPath = u"" VORNEL_STUB_DIR;
  EXPECT_FALSE(LoadOpenSSLLibrary());
  GNetOpenSSLPath.clear();
  EXPECT_TRUE(LoadOpenSSLLibrary());
  EXPECT_TRUE(OpenSSLFailedLoadList().empty());
  EXPECT_NE(OpenSSLEntries().SSL_new, nullptr);
}

}  // namespace
}  // namespace vornel
