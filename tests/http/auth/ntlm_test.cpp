#include <gtest/gtest.h>

#include <string>

#include "hex.h"
#include "http/base64.h"
#include "http/ntlm_authentication.h"
#include "http/ntlm_messages.h"
#include "platform/exception.h"

namespace vornel {
namespace {

using test::Hex;

TBytes FromHex(const std::string& hex) {
  TBytes out;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
    out.push_back(static_cast<std::uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
  return out;
}

constexpr TNTLMServerChallenge kChallenge = {0x01, 0x23, 0x45, 0x67, 0x89, 0xab, 0xcd, 0xef};

// A type 2 message from the server with this challenge and these flags.
TBytes Type2(std::uint32_t flags) {
  TBytes message = FromHex("4e544c4d53535000020000000000000028000000");
  for (int i = 0; i < 4; ++i)
    message.push_back(static_cast<std::uint8_t>(flags >> (8 * i)));
  message.insert(message.end(), kChallenge.begin(), kChallenge.end());
  message.resize(40, 0);
  return message;
}

// The worked examples of the published NTLM documentation: the hashes and
// version 1 responses for the password "Password" of the protocol documentation,
// and the LM and NT responses for "SecREt01" of the protocol description.
TEST(NTLMResponsesTest, PublishedExamples) {
  EXPECT_EQ(Hex(NTLMLMHash(u"Password")), "e52cac67419a9a224a3b108f3fa6cb6d");
  EXPECT_EQ(Hex(NTLMNTHash(u"Password")), "a4f49c406510bdcab6824ee7c30fd852");
  EXPECT_EQ(Hex(NTLMResponse(NTLMLMHash(u"Password"), kChallenge)),
            "98def7b87f88aa5dafe2df779688a172def11c7d5ccdef13");
  EXPECT_EQ(Hex(NTLMResponse(NTLMNTHash(u"Password"), kChallenge)),
            "67c43011f30298a2ad35ece64f16331c44bdbed927841f94");
  EXPECT_EQ(Hex(NTLMResponse(NTLMLMHash(u"SecREt01"), kChallenge)),
            "c337cd5cbd44fc9782a667af6d427c6de67c20c2d3e77c56");
  EXPECT_EQ(Hex(NTLMResponse(NTLMNTHash(u"SecREt01"), kChallenge)),
            "25a98c1c31e81847466b29b2df4680f39958fb8c213a9cc6");
  // The LM password is cut at 14 characters and upper-cased.
  EXPECT_EQ(Hex(NTLMLMHash(u"secret01")), Hex(NTLMLMHash(u"SECRET01")));
  EXPECT_EQ(Hex(NTLMLMHash(u"ABCDEFGHIJKLMNxyz")), Hex(NTLMLMHash(u"ABCDEFGHIJKLMN")));
}

TEST(NTLMMessagesTest, Type1AsTheWorkedExample) {
  // Domain "DOMAIN", workstation "WORKSTATION", with the OS version structure.
  const TNTLMVersion version = {0x05, 0x00, 0x93, 0x08, 0x00, 0x00, 0x00, 0x0f};
  EXPECT_EQ(Hex(NTLMType1Message(u"domain", u"workstation", version)),
            "4e544c4d53535000010000000732000006000600330000000b000b0028000000"
            "050093080000000f574f524b53544154494f4e444f4d41494e");
  // Without domain and version: the flags say only what is there.
  EXPECT_EQ(Hex(NTLMType1Message(u"", u"PC")),
            "4e544c4d535350000100000007220000000000002200000002000200200000005043");
}

TEST(NTLMMessagesTest, Type3AsTheWorkedExample) {
  const auto challenge = ReadNTLMType2Message(Type2(0x00000201));
  ASSERT_TRUE(challenge);
  EXPECT_EQ(Hex(challenge->Challenge), "0123456789abcdef");
  EXPECT_EQ(Hex(NTLMType3Message(*challenge, u"DOMAIN", u"user", u"WORKSTATION", u"SecREt01")),
            "4e544c4d5353500003000000180018006a00000018001800820000000c000c00"
            "40000000080008004c0000001600160054000000000000009a00000001020000"
            "44004f004d00410049004e00750073006500720057004f0052004b0053005400"
            "4100540049004f004e00c337cd5cbd44fc9782a667af6d427c6de67c20c2d3e7"
            "7c5625a98c1c31e81847466b29b2df4680f39958fb8c213a9cc6");
  // A server without Unicode gets the strings in the OEM code page.
  const auto oem = ReadNTLMType2Message(Type2(0x00000202));
  const TBytes type3 = NTLMType3Message(*oem, u"D", u"u", u"W", u"x");
  EXPECT_EQ(Hex(type3.data() + 60, 4), "02020000");
  EXPECT_EQ(Hex(type3.data() + 64, 3), "447557");
}

TEST(NTLMMessagesTest, MalformedChallengesAreRefused) {
  EXPECT_FALSE(ReadNTLMType2Message({}));
  TBytes shortMessage = Type2(1);
  shortMessage.resize(31);
  EXPECT_FALSE(ReadNTLMType2Message(shortMessage));
  TBytes wrongType = Type2(1);
  wrongType[8] = 3;
  EXPECT_FALSE(ReadNTLMType2Message(wrongType));
  TBytes wrongSignature = Type2(1);
  wrongSignature[0] = 'X';
  EXPECT_FALSE(ReadNTLMType2Message(wrongSignature));
}

TEST(NTLMAuthenticationTest, StepsOfTheScheme) {
  TNetNTLMAuthentication auth;
  auth.Host = u"WORKSTATION";
  EXPECT_EQ(auth.GetSteps(), 3);
  EXPECT_TRUE(auth.KeepAlive());
  EXPECT_EQ(auth.Next(), wnAskTheProgram);
  auth.SetUserName(u"DOMAIN\\user");
  auth.SetPassword(u"SecREt01");
  EXPECT_EQ(auth.Authentication(), u"");
  EXPECT_EQ(auth.Next(), wnDoRequest);
  EXPECT_EQ(auth.CurrentStep(), 1);
  const std::u16string type1 = auth.Authentication();
  ASSERT_EQ(type1.substr(0, 5), u"NTLM ");
  EXPECT_EQ(Hex(*Base64Decode(type1.substr(5))), Hex(NTLMType1Message(u"DOMAIN", u"WORKSTATION")));

  auth.AuthParams.Add(u"NTLM " + Base64Encode(Type2(0x00000201)));
  EXPECT_EQ(auth.Next(), wnDoRequest);
  EXPECT_EQ(auth.CurrentStep(), 2);
  const std::u16string type3 = auth.Authentication();
  ASSERT_EQ(type3.substr(0, 5), u"NTLM ");
  // The user name's domain part goes into the domain field.
  EXPECT_EQ(Hex(*Base64Decode(type3.substr(5))),
            Hex(NTLMType3Message(*ReadNTLMType2Message(Type2(0x201)), u"DOMAIN", u"user",
                                 u"WORKSTATION", u"SecREt01")));
  EXPECT_EQ(auth.Next(), wnDoRequest);
  EXPECT_EQ(auth.CurrentStep(), 3);
  EXPECT_EQ(auth.Authentication(), u"");
  EXPECT_EQ(auth.Next(), wnFail);
  EXPECT_EQ(auth.CurrentStep(), 0);
}

TEST(NTLMAuthenticationTest, AMissingOrBrokenChallengeAbortsSilently) {
  for (const char16_t* challenge : {u"", u"NTLM", u"NTLM !!!", u"NTLM TlRMTQ=="}) {
    TNetNTLMAuthentication auth;
    auth.SetUserName(u"user");
    auth.SetPassword(u"x");
    ASSERT_EQ(auth.Next(), wnDoRequest);
    auth.AuthParams.Clear();
    if (*challenge)
      auth.AuthParams.Add(challenge);
    ASSERT_EQ(auth.Next(), wnDoRequest);
    EXPECT_THROW(auth.Authentication(), EAbort);
    EXPECT_EQ(auth.CurrentStep(), 0);
  }
}

}  // namespace
}  // namespace vornel
