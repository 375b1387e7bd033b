#include "transport/tls/ssl_options.h"

#include <gtest/gtest.h>

namespace vornel {
namespace {

TEST(SSLOptions, DefaultsOfferTls12And13) {
  TNetSSLOptions o;
  EXPECT_EQ(o.SSLVersions(), (TNetSSLVersions{sslvTLSv1_2, sslvTLSv1_3}));
  EXPECT_EQ(o.Method(), sslvSSLv23);
  EXPECT_EQ(o.Mode(), sslmUnassigned);
  EXPECT_TRUE(o.VerifyMode().Empty());
  EXPECT_EQ(o.VerifyDepth(), 0);
  EXPECT_TRUE(o.CipherList().empty());
  EXPECT_TRUE(o.RootCertFile().empty());
}

TEST(SSLOptions, AllVersionsSetIncludesTls13) {
  EXPECT_EQ(SSLAllVersions.Byte(), 61 + 64);
  EXPECT_FALSE(SSLAllVersions.Contains(sslvSSLv23));
}

TEST(SSLOptions, SettingMethodSetsVersions) {
  const struct {
    TNetSSLVersion method;
    TNetSSLVersions versions;
  } cases[] = {
      {sslvSSLv23, SSLAllVersions}, {sslvSSLv2, {sslvSSLv2}},     {sslvSSLv3, {sslvSSLv3}},
      {sslvTLSv1, {sslvTLSv1}},     {sslvTLSv1_1, {sslvTLSv1_1}}, {sslvTLSv1_2, {sslvTLSv1_2}},
      {sslvTLSv1_3, {sslvTLSv1_3}},
  };
  for (const auto& c : cases) {
    TNetSSLOptions o;
    o.SetMethod(c.method);
    EXPECT_EQ(o.Method(), c.method);
    EXPECT_EQ(o.SSLVersions().Byte(), c.versions.Byte()) << int(c.method);
  }
}

TEST(SSLOptions, SettingVersionsSetsMethod) {
  const struct {
    TNetSSLVersions set;
    TNetSSLVersion method;
    TNetSSLVersions stored;
  } cases[] = {
      {{sslvTLSv1}, sslvTLSv1, {sslvTLSv1}},
      {{sslvSSLv2}, sslvSSLv2, {sslvSSLv2}},
      {{sslvTLSv1_3}, sslvTLSv1_3, {sslvTLSv1_3}},
      {{sslvTLSv1_1, sslvTLSv1_2}, sslvSSLv23, {sslvTLSv1_1, sslvTLSv1_2}},
      // "Any version" is no member of its own: it is removed ...
      {{sslvSSLv23, sslvTLSv1_2, sslvTLSv1}, sslvSSLv23, {sslvTLSv1, sslvTLSv1_2}},
      // ... and a set left empty means every version.
      {{sslvSSLv23}, sslvSSLv23, SSLAllVersions},
      {{}, sslvSSLv23, SSLAllVersions},
  };
  for (const auto& c : cases) {
    TNetSSLOptions o;
    o.SetMethod(sslvTLSv1_1);
    o.SetSSLVersions(c.set);
    EXPECT_EQ(o.Method(), c.method) << int(c.set.Byte());
    EXPECT_EQ(o.SSLVersions().Byte(), c.stored.Byte()) << int(c.set.Byte());
  }
}

TEST(SSLOptions, AssignCopiesEverySettingThroughTheCoupling) {
  TNetSSLOptions source;
  source.SetRootCertFile(u"/ca.pem");
  source.SetCertFile(u"/c.pem");
  source.SetKeyFile(u"/k.pem");
  source.SetDHParamsFile(u"/dh.pem");
  source.SetSSLVersions({sslvTLSv1_1, sslvTLSv1_2});
  source.SetMode(sslmClient);
  source.SetVerifyMode({sslvrfPeer, sslvrfClientOnce});
  source.SetVerifyDepth(7);
  source.SetVerifyDirs(u"/certs");
  source.SetCipherList(u"HIGH");

  TNetSSLOptions target;
  target.SetMethod(sslvTLSv1);
  target.Assign(source);
  EXPECT_EQ(target.RootCertFile(), u"/ca.pem");
  EXPECT_EQ(target.CertFile(), u"/c.pem");
  EXPECT_EQ(target.KeyFile(), u"/k.pem");
  EXPECT_EQ(target.DHParamsFile(), u"/dh.pem");
  EXPECT_EQ(target.Method(), sslvSSLv23);
  EXPECT_EQ(target.SSLVersions(), (TNetSSLVersions{sslvTLSv1_1, sslvTLSv1_2}));
  EXPECT_EQ(target.Mode(), sslmClient);
  EXPECT_EQ(target.VerifyMode().Bits(), 5);
  EXPECT_EQ(target.VerifyDepth(), 7);
  EXPECT_EQ(target.VerifyDirs(), u"/certs");
  EXPECT_EQ(target.CipherList(), u"HIGH");

  // A single-version source keeps its method.
  source.SetMethod(sslvTLSv1);
  target.Assign(source);
  EXPECT_EQ(target.Method(), sslvTLSv1);
  EXPECT_EQ(target.SSLVersions(), TNetSSLVersions{sslvTLSv1});
}

}  // namespace
}  // namespace vornel
