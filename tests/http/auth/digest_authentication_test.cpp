#include <gtest/gtest.h>

#include <string>

#include "http/authentication.h"
#include "http/digest_authentication.h"

namespace vornel {
namespace {

// The client nonce of RFC 2617's worked example instead of one from the clock.
class TFixedNonceDigest : public TNetDigestAuthentication {
 protected:
  std::u16string ClientNonce() override { return u"0a4f113b"; }
};

constexpr char16_t kNonce[] = u"dcd98b7102dd2f0e8b11d0f600bfb0c093";

std::u16string Challenge(const std::u16string& extra) {
  return u"Digest realm=\"testrealm@host.com\", " + extra + u"nonce=\"" + kNonce +
         u"\", opaque=\"5ccc069c403ebaf9f0171e9517f40e41\"";
}

std::u16string Expected(const std::u16string& algorithm, const std::u16string& qopPart,
                        const std::u16string& response) {
  return u"Digest username=\"Mufasa\", realm=\"testrealm@host.com\", nonce=\"" +
         std::u16string(kNonce) + u"\", algorithm=\"" + algorithm +
         u"\", uri=\"/dir/index.html\", " + qopPart + u"response=\"" + response +
         u"\", opaque=\"5ccc069c403ebaf9f0171e9517f40e41\"";
}

TEST(DigestAuthenticationTest, ResponsesToTheWorkedExample) {
  struct {
    const char16_t* extra;
    int round;  // the response of this round for the same nonce
    const char16_t* algorithm;
    const char16_t* qopPart;
    const char16_t* response;
  } cases[] = {
      // RFC 2617, section 3.5.
      {u"qop=\"auth\", ", 1, u"MD5", u"qop=\"auth\", nc=00000001, cnonce=\"0a4f113b\", ",
       u"6629fae49393a05397450978507c4ef1"},
      // auth-int wins when offered; the second response counts 2.
      {u"qop=\"auth,auth-int\", ", 2, u"MD5",
       u"qop=\"auth-int\", nc=00000002, cnonce=\"0a4f113b\", ",
       u"6ec7076d64ff4573f892125a0b69be5d"},
      {u"algorithm=MD5-sess, qop=\"auth\", ", 1, u"MD5-sess",
       u"qop=\"auth\", nc=00000001, cnonce=\"0a4f113b\", ", u"8e3825c57e897f5a0dec6c2d4e5059d0"},
      // No qop: the RFC 2069 form.
      {u"algorithm=\"md5\", ", 1, u"MD5", u"", u"670fd8c2df070c60b045671b8b24ff02"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.response, c.response + 32));
    TFixedNonceDigest auth;
    auth.SetUserName(u"Mufasa");
    auth.SetPassword(u"Circle Of Life");
    auth.SetRequest(u"GET", u"/dir/index.html");
    auth.AuthParams.Add(u"Basic realm=\"other\"");
    auth.AuthParams.Add(Challenge(c.extra));
    std::u16string text;
    for (int round = 1; round <= c.round; ++round) {
      EXPECT_EQ(auth.Authentication(), u"Digest");
      ASSERT_EQ(auth.Next(), wnDoRequest);
      EXPECT_EQ(auth.CurrentStep(), 1);
      text = auth.Authentication();
      EXPECT_EQ(auth.CurrentStep(), 0);
    }
    EXPECT_EQ(text, Expected(c.algorithm, c.qopPart, c.response));
    EXPECT_EQ(auth.Realm, u"testrealm@host.com");
  }
}

TEST(DigestAuthenticationTest, ChallengeFieldsAndNonceCount) {
  TFixedNonceDigest auth;
  auth.AuthParams.Add(
      u"Digest realm=\"a \\\"quoted\\\", realm\", nonce=\"n1\", domain=\"/a /b\", stale=TRUE, "
      u"qop=\"auth\"");
  EXPECT_EQ(auth.Next(), wnAskTheProgram);
  EXPECT_EQ(auth.Realm, u"a \"quoted\", realm");
  EXPECT_EQ(auth.Domain, (std::vector<std::u16string>{u"/a", u"/b"}));
  EXPECT_TRUE(auth.Stale);
  EXPECT_EQ(auth.Nonce, u"n1");
  EXPECT_EQ(auth.NonceCount, 1u);
  auth.SetUserName(u"u\"ser");
  ASSERT_EQ(auth.Next(), wnDoRequest);
  const std::u16string first = auth.Authentication();
  EXPECT_NE(first.find(u"username=\"u\\\"ser\""), std::u16string::npos) << "escaped";
  EXPECT_NE(first.find(u"realm=\"a \\\"quoted\\\", realm\""), std::u16string::npos);
  EXPECT_EQ(first.find(u"opaque"), std::u16string::npos);
  EXPECT_EQ(auth.NonceCount, 2u);
  // The same nonce keeps counting; a new one starts again at 1.
  ASSERT_EQ(auth.Next(), wnDoRequest);
  EXPECT_NE(auth.Authentication().find(u"nc=00000002"), std::u16string::npos);
  auth.AuthParams.Clear();
  auth.AuthParams.Add(u"Digest realm=\"r\", nonce=\"n2\", qop=\"auth\"");
  ASSERT_EQ(auth.Next(), wnDoRequest);
  EXPECT_NE(auth.Authentication().find(u"nc=00000001"), std::u16string::npos);
}

TEST(DigestAuthenticationTest, OtherAlgorithmsAreRefused) {
  for (const char16_t* algorithm : {u"SHA-256", u"MD5-sess-x", u"\"SHA-512-256\""}) {
    TNetDigestAuthentication auth;
    auth.SetUserName(u"u");
    auth.AuthParams.Add(std::u16string(u"Digest realm=\"r\", nonce=\"n\", algorithm=") + algorithm);
    try {
      auth.Next();
      ADD_FAILURE() << "no exception";
    } catch (const ENetInvalidAlgorithm& e) {
      EXPECT_EQ(e.Message(),
                u"Unsupported hash algorithm. This implementation supports only MD5 encoding.");
    }
  }
}

}  // namespace
}  // namespace vornel
