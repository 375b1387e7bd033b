#include "transport/text_encoding.h"

#include <gtest/gtest.h>

namespace vornel {
namespace {

TEST(TextEncodingTest, EncodeTable) {
  struct Case {
    TNetEncoding encoding;
    std::u16string text;
    TBytes bytes;
  } cases[] = {
      {NetEncASCII(), u"Az\x7F", {'A', 'z', 0x7F}},
      {NetEncASCII(), u"\x80\xE9\x4E2D", {'?', '?', '?'}},
      {NetEnc8Bit(), u"\xE9\xFF\x100", {0xE9, 0xFF, '?'}},
      {NetEncUTF8(), u"\xE9\x4E2D", {0xC3, 0xA9, 0xE4, 0xB8, 0xAD}},
      {NetEncUTF16LE(), u"A\x4E2D", {'A', 0, 0x2D, 0x4E}},
      {NetEncUTF16BE(), u"A\x4E2D", {0, 'A', 0x4E, 0x2D}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.encoding->GetBytes(c.text), c.bytes);
}

TEST(TextEncodingTest, DecodeTable) {
  struct Case {
    TNetEncoding encoding;
    TBytes bytes;
    std::u16string text;
  } cases[] = {
      {NetEncASCII(), {'O', 'K', 0x80, 0xFF}, u"OK\xFFFD\xFFFD"},
      {NetEnc8Bit(), {0x80, 0xFF}, u"\x80\xFF"},
      {NetEncUTF8(), {0xC3, 0xA9, 0xFF}, u"\xE9\xFFFD"},
      {NetEncUTF16LE(), {'A', 0, 0x2D, 0x4E, 0x41}, u"A\x4E2D\xFFFD"},
      {NetEncUTF16BE(), {0, 'A'}, u"A"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.encoding->GetString(c.bytes), c.text);
}

TEST(TextEncodingTest, DefaultIsAscii) {
  EXPECT_EQ(NetEncDefault(), NetEncASCII());
}

TEST(TextEncodingTest, CharacterLengths) {
  const std::uint8_t utf8[] = {0xE4, 0xB8, 0xAD};
  EXPECT_EQ(NetEncUTF8()->CharByteLength(utf8, 1), 3u);
  const std::uint8_t pair[] = {0x3D, 0xD8, 0x00, 0xDE};  // U+1F600 in UTF-16LE
  EXPECT_EQ(NetEncUTF16LE()->CharByteLength(pair, 2), 4u);
  EXPECT_EQ(NetEncASCII()->CharByteLength(utf8, 1), 1u);
}

}  // namespace
}  // namespace vornel
