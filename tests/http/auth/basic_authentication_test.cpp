#include <gtest/gtest.h>

#include <string>

#include "http/authentication.h"
#include "http/basic_authentication.h"

namespace vornel {
namespace {

TEST(BasicAuthenticationTest, ChallengeAndSteps) {
  TNetBasicAuthentication auth;
  EXPECT_EQ(auth.GetSteps(), 1);
  EXPECT_FALSE(auth.KeepAlive());
  auth.AuthParams.Add(u"Digest realm=\"d\"");
  auth.AuthParams.Add(u"basic realm=\"Vornel area\", charset=\"UTF-8\"");
  EXPECT_EQ(auth.Next(), wnAskTheProgram);
  EXPECT_EQ(auth.Realm, u"Vornel area");
  EXPECT_EQ(auth.Charset, u"UTF-8");
  EXPECT_EQ(auth.Params.Value(u"realm"), u"Vornel area");
  auth.SetUserName(u"Aladdin");
  auth.SetPassword(u"open sesame");
  EXPECT_EQ(auth.Next(), wnDoRequest);
  EXPECT_EQ(auth.Authentication(), u"Basic QWxhZGRpbjpvcGVuIHNlc2FtZQ==");
}

TEST(BasicAuthenticationTest, TheCharsetMakesTheBytes) {
  struct {
    const char16_t* challenge;
    const char16_t* charset;
    const char16_t* header;
  } cases[] = {
      // "žluť:kůň"
      {u"Basic realm=\"r\"", u"ISO-8859-1", u"Basic P2x1PzprPz8="},
      {u"Basic realm=\"r\", charset=\"UTF-8\"", u"UTF-8", u"Basic xb5sdcWlOmvFr8WI"},
      {u"Basic realm=\"r\", encoding=windows-1250", u"windows-1250", u"Basic nmx1nTpr+fI="},
  };
  for (const auto& c : cases) {
    TNetBasicAuthentication auth;
    auth.AuthParams.Add(c.challenge);
    auth.SetUserName(u"\u017Elu\u0165");
    auth.SetPassword(u"k\u016F\u0148");
    ASSERT_EQ(auth.Next(), wnDoRequest);
    EXPECT_EQ(auth.Charset, c.charset);
    EXPECT_EQ(auth.Authentication(), c.header);
  }
}

TEST(BasicAuthenticationTest, MadeForBasicAuthenticationOfARequest) {
  const auto auth = MakeBasicAuthentication(u"user", u"pass");
  ASSERT_TRUE(auth);
  EXPECT_EQ(auth->UserName(), u"user");
  EXPECT_EQ(auth->Authentication(), u"Basic dXNlcjpwYXNz");
}

}  // namespace
}  // namespace vornel
