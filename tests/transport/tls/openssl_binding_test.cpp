#include "transport/tls/openssl_binding.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "platform/file_system.h"
#include "platform/temp_folder.h"

namespace vornel {
namespace {

TEST(OpenSSLBinding, LoadsTheSystemLibrariesOnceFromSeveralThreads) {
  std::atomic<int> ok{0};
  std::vector<std::thread> threads;
  for (int i = 0; i < 4; ++i)
    threads.emplace_back([&] { ok += LoadOpenSSLLibrary() ? 1 : 0; });
  for (auto& t : threads)
    t.join();
  EXPECT_EQ(ok, 4);
  EXPECT_TRUE(IsOpenSSLLoaded());
  EXPECT_TRUE(OpenSSLFailedLoadList().empty());

  const TNetOpenSSLEntries& e = OpenSSLEntries();
  EXPECT_NE(e.SSL_new, nullptr);
  EXPECT_NE(e.ERR_error_string_n, nullptr);
  EXPECT_NE(e.SSL_pending, nullptr);
  // Renamed in OpenSSL 1.1 and 3: found under the newer names.
  EXPECT_NE(e.TLS_client_method, nullptr);
  EXPECT_NE(e.SSL_get1_peer_certificate, nullptr);
  ASSERT_NE(e.OpenSSL_version_num, nullptr);
  EXPECT_GE(e.OpenSSL_version_num(), 0x30000000UL);
}

TEST(OpenSSLBinding, ReportsTheVersionsTheLibraryOffers) {
  ASSERT_TRUE(LoadOpenSSLLibrary());
  EXPECT_TRUE(OpenSSLVersionAvailable(sslvSSLv23));
  EXPECT_TRUE(OpenSSLVersionAvailable(sslvTLSv1));
  EXPECT_TRUE(OpenSSLVersionAvailable(sslvTLSv1_1));
  EXPECT_TRUE(OpenSSLVersionAvailable(sslvTLSv1_2));
  EXPECT_TRUE(OpenSSLVersionAvailable(sslvTLSv1_3));
  EXPECT_FALSE(OpenSSLVersionAvailable(sslvSSLv2));  // gone since OpenSSL 1.1
}

TEST(OpenSSLBinding, ASecondLoadReturnsAtOnceWithoutLoadingAgain) {
  ASSERT_TRUE(LoadOpenSSLLibrary());
  const auto sslNew = OpenSSLEntries().SSL_new;
  // Were anything loaded again, this folder (without libraries) would fail it.
  const std::u16string saved = GNetOpenSSLPath;
  GNetOpenSSLPath = u"/nonexistent-openssl-folder";
  const bool again = LoadOpenSSLLibrary();
  GNetOpenSSLPath = saved;
  EXPECT_TRUE(again);
  EXPECT_TRUE(OpenSSLFailedLoadList().empty());
  EXPECT_EQ(OpenSSLEntries().SSL_new, sslNew);
}

}  // namespace
}  // namespace vornel
