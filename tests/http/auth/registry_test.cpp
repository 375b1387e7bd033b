#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "http/authentication_manager.h"
#include "http/authentication_registry.h"
#include "http/basic_authentication.h"
#include "http/digest_authentication.h"
#include "http/ntlm_authentication.h"

namespace vornel {
namespace {

class TTestScheme : public TNetAuthentication {
 public:
  std::u16string Authentication() override { return u"Test"; }

 protected:
  TNetAuthWhatsNext DoNext() override { return wnFail; }
};

TEST(AuthenticationRegistryTest, StartUpOrderAndLookups) {
  // The platform's NTLM and Negotiate package does not exist here.
  EXPECT_EQ(RegisteredAuthenticationMethods(),
            (std::vector<std::u16string>{u"Basic", u"NTLM", u"Digest"}));
  EXPECT_EQ(FindAuthClass(u"basic"), &CreateAuthentication<TNetBasicAuthentication>);
  EXPECT_EQ(FindAuthClass(u"NTLM"), &CreateAuthentication<TNetNTLMAuthentication>);
  EXPECT_EQ(FindAuthClass(u"DIGEST"), &CreateAuthentication<TNetDigestAuthentication>);
  EXPECT_EQ(FindAuthClass(u"Negotiate"), nullptr);
  EXPECT_EQ(FindAuthClass(u""), nullptr);
  EXPECT_NE(dynamic_cast<TNetDigestAuthentication*>(FindAuthClass(u"Digest")().get()), nullptr);
}

TEST(AuthenticationRegistryTest, RegisteringAgainReplacesAndUnregisteringRemoves) {
  RegisterAuthenticationMethod(u"Test", &CreateAuthentication<TTestScheme>);
  EXPECT_EQ(FindAuthClass(u"TEST")()->Authentication(), u"Test");
  RegisterAuthenticationMethod(u"test", &CreateAuthentication<TNetBasicAuthentication>);
  EXPECT_EQ(FindAuthClass(u"Test"), &CreateAuthentication<TNetBasicAuthentication>);
  EXPECT_EQ(RegisteredAuthenticationMethods().size(), 4u);
  UnregisterAuthenticationMethod(u"TeSt");
  EXPECT_EQ(FindAuthClass(u"Test"), nullptr);

  // Without "Basic", a request's basic authentication has no object to make.
  UnregisterAuthenticationMethod(u"Basic");
  EXPECT_EQ(MakeBasicAuthentication(u"u", u"p"), nullptr);
  RegisterAuthenticationMethod(u"Basic", &CreateAuthentication<TNetBasicAuthentication>);
  EXPECT_NE(MakeBasicAuthentication(u"u", u"p"), nullptr);
}

TEST(AuthenticationManagerTest, KeepsTheURIAndACopyOfTheParams) {
  TNetAuthenticationManager manager;
  TNetBasicAuthentication auth;
  auth.Params.SetValue(u"realm", u"r");
  auth.Params.SetValue(u"Authorization", u"Basic dTpw");
  manager.AddAuthentication(auth, TNetURI(u"http://127.0.0.1:8080/a/b.html"));
  auth.Params.Clear();
  ASSERT_EQ(manager.Authentications().size(), 1u);
  EXPECT_EQ(manager.Authentications()[0].URI.Host, u"127.0.0.1");
  EXPECT_EQ(manager.Authentications()[0].Params.Value(u"Authorization"), u"Basic dTpw");
}

}  // namespace
}  // namespace vornel
