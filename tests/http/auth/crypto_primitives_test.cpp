#include <gtest/gtest.h>

#include <string>

#include "hex.h"
#include "http/base64.h"
#include "http/des.h"
#include "http/message_digest.h"

namespace vornel {
namespace {

using test::Hex;

TEST(MessageDigestTest, RfcTestSuites) {
  // RFC 1320 and RFC 1321, appendix A.5; the longer inputs cross block bounds.
  struct {
    const char* input;
    const char* md4;
    const char* md5;
  } cases[] = {
      {"", "31d6cfe0d16ae931b73c59d7e0c089c0", "d41d8cd98f00b204e9800998ecf8427e"},
      {"a", "bde52cb31de33e46245e05fbdbd6fb24", "0cc175b9c0f1b6a831c399e269772661"},
      {"abc", "a448017aaf21d8525fc10ae87aa6729d", "900150983cd24fb0d6963f7d28e17f72"},
      {"message digest", "d9130a8164549fe818874806e1c7014b", "f96b697d7cb7938d525a2f31aaf161d0"},
      {"abcdefghijklmnopqrstuvwxyz", "d79e1c308aa5bbcdeea8ed63df412da9",
       "c3fcd3d76192e4007dfb496cca67e13b"},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
       "043f8582f241db351ce627e153e7f0e4", "d174ab98d277d9f5a5611c2c9f419d9f"},
      {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
       "e33b4ddc9c38f2199c3e7b164fcc0536", "57edf4a22be3c955ac49da2e2107b67a"},
  };
  for (const auto& c : cases) {
    const std::string input = c.input;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(input.data());
    EXPECT_EQ(DigestToHex(MD4(bytes, input.size())), c.md4) << input;
    EXPECT_EQ(DigestToHex(MD5(bytes, input.size())), c.md5) << input;
  }
  // Around the block end: the length fits the last block at 55 bytes, not at 56.
  EXPECT_EQ(DigestToHex(MD5(std::string(55, 'x'))), "04364420e25c512fd958a70738aa8f72");
  EXPECT_EQ(DigestToHex(MD5(std::string(56, 'x'))), "668a72d5ba17f08e62dabcafad6db14b");
  EXPECT_EQ(DigestToHex(MD5(std::string(64, 'x'))), "c1bb4f81d892b2d57947682aeb252456");
}

TEST(DESTest, KnownBlocks) {
  struct {
    TDESBlock key, plain;
    const char* cipher;
  } cases[] = {
      // The classic worked example, and a vector of the NBS validation set.
      {{0x13, 0x34, 0x57, 0x79, 0x9B, 0xBC, 0xDF, 0xF1},
       {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF},
       "85e813540f0ab405"},
      {{0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01},
       {0x95, 0xF8, 0xA5, 0xE5, 0xDD, 0x31, 0xD9, 0x00},
       "8000000000000000"},
      {{0x0E, 0x32, 0x92, 0x32, 0xEA, 0x6D, 0x0D, 0x73},
       {0x87, 0x87, 0x87, 0x87, 0x87, 0x87, 0x87, 0x87},
       "0000000000000000"},
  };
  for (const auto& c : cases) {
    const TDESBlock out = DESEncrypt(c.key, c.plain);
    EXPECT_EQ(Hex(out.data(), out.size()), c.cipher);
  }
  const std::uint8_t seven[7] = {0xFF, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0xFF};
  const TDESBlock key = DESKeyFrom56Bits(seven);
  EXPECT_EQ(Hex(key.data(), key.size()), "fe803ee00ef802fe");
}

TEST(Base64Test, RoundTripsAndRejects) {
  struct {
    const char* plain;
    const char16_t* encoded;
  } cases[] = {{"", u""},
               {"f", u"Zg=="},
               {"fo", u"Zm8="},
               {"foo", u"Zm9v"},
               {"foob", u"Zm9vYg=="},
               {"fooba", u"Zm9vYmE="},
               {"foobar", u"Zm9vYmFy"},
               {"Aladdin:open sesame", u"QWxhZGRpbjpvcGVuIHNlc2FtZQ=="}};
  for (const auto& c : cases) {
    const std::string plain = c.plain;
    const TBytes bytes(plain.begin(), plain.end());
    EXPECT_EQ(Base64Encode(bytes), c.encoded);
    EXPECT_EQ(Base64Decode(c.encoded), bytes);
  }
  const TBytes high = {0xFF, 0xFE, 0x00, 0x80};
  EXPECT_EQ(Base64Decode(Base64Encode(high)), high);
  EXPECT_EQ(Base64Decode(u"  Zm9v "), (TBytes{'f', 'o', 'o'}));
  EXPECT_FALSE(Base64Decode(u"Zm9v!"));
  EXPECT_FALSE(Base64Decode(u"Z"));
  EXPECT_FALSE(Base64Decode(u"Zm=v"));
}

}  // namespace
}  // namespace vornel
