#include "transport/tls/ssl_context.h"

#include <gtest/gtest.h>

#include "transport/tls/openssl_binding.h"
#include "transport/tls/ssl_exceptions.h"

namespace vornel {
namespace {

constexpr std::uint64_t AllNoOptions =
    SSL_OP_NO_SSLv3 | SSL_OP_NO_TLSv1 | SSL_OP_NO_TLSv1_1 | SSL_OP_NO_TLSv1_2 | SSL_OP_NO_TLSv1_3;

struct TBuilt {
  std::unique_ptr<TNetSSLContext> context;
  std::uint64_t options;
};

TBuilt Build(const TNetSSLOptions& options) {
  TBuilt b{std::make_unique<TNetSSLContext>(nullptr), 0};
  b.context->CopyOptions(options);
  b.context->InitContext(sslCtxClient);
  b.options = OpenSSLEntries().SSL_CTX_get_options(b.context->Context()) & AllNoOptions;
  return b;
}

TEST(SSLContext, ProtocolOptionsFollowTheVersions) {
  const struct {
    const char* name;
    void (*configure)(TNetSSLOptions&);
    std::uint64_t expected;
  } cases[] = {
      {"default", [](TNetSSLOptions&) {}, SSL_OP_NO_TLSv1 | SSL_OP_NO_TLSv1_1},
      {"any version", [](TNetSSLOptions& o) { o.SetMethod(sslvSSLv23); }, 0},
      {"TLS 1.1 and 1.2",
       [](TNetSSLOptions& o) {
         o.SetSSLVersions({sslvTLSv1_1, sslvTLSv1_2});
       },
       SSL_OP_NO_TLSv1 | SSL_OP_NO_TLSv1_3},
      {"TLS 1.0 only", [](TNetSSLOptions& o) { o.SetMethod(sslvTLSv1); },
       SSL_OP_NO_TLSv1_1 | SSL_OP_NO_TLSv1_2 | SSL_OP_NO_TLSv1_3},
      {"TLS 1.3 only", [](TNetSSLOptions& o) { o.SetMethod(sslvTLSv1_3); },
       SSL_OP_NO_TLSv1 | SSL_OP_NO_TLSv1_1 | SSL_OP_NO_TLSv1_2},
  };
  for (const auto& c : cases) {
    TNetSSLOptions o;
    c.configure(o);
    EXPECT_EQ(Build(o).options, c.expected) << c.name;
  }
}

TEST(SSLContext, MethodPicksTheProtocolFamily) {
  TNetSSLOptions o;
  o.SetMethod(sslvTLSv1);
  TBuilt tls1 = Build(o);
  const TNetOpenSSLEntries& e = OpenSSLEntries();
  EXPECT_EQ(e.SSL_CTX_get_ssl_method(tls1.context->Context()), e.TLSv1_client_method());
  EXPECT_EQ(tls1.context->Mode(), sslmClient);  // unassigned resolves by role

  TBuilt any = Build(TNetSSLOptions());
  EXPECT_EQ(e.SSL_CTX_get_ssl_method(any.context->Context()), e.TLS_client_method());
}

TEST(SSLContext, SettingsThatCannotBeAppliedRaise) {
  TNetSSLOptions o;
  o.SetCipherList(u"NO-SUCH-CIPHER");
  EXPECT_THROW(Build(o), ENetOSSLSettingCipherError);

  TNetSSLOptions v2;
  v2.SetMethod(sslvSSLv2);  // no longer in the library
  EXPECT_THROW(Build(v2), ENetOSSLGetMethodError);

  TNetSSLOptions root;
  root.SetRootCertFile(u"/nonexistent/ca.pem");
  try {
    Build(root);
    FAIL() << "no exception";
  } catch (const ENetOSSLLoadingRootCertError& e) {
    const std::u16string prefix = u"Could not load root certificate.\r\n";
    EXPECT_EQ(e.Message().substr(0, prefix.size()), prefix);
    EXPECT_GT(e.Message().size(), prefix.size());  // OpenSSL's text follows
    EXPECT_NE(e.ErrorCode(), 0u);
  }
}

}  // namespace
}  // namespace vornel
