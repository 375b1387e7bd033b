#include <gtest/gtest.h>

#include <string>

#include "platform/text.h"

namespace vornel {
namespace {

TEST(TextTest, Utf8RoundTrip) {
  const std::u16string text = u"Vornel instalátor: Kvelo pro Windows \U0001F600 ěščřžýáíé";
  EXPECT_EQ(FromUtf8(ToUtf8(text)), text);
  EXPECT_EQ(ToUtf8(u"á"), "\xC3\xA1");
}

TEST(TextTest, MalformedUtf8BecomesReplacementCharacters) {
  struct Case {
    std::string in;
    std::u16string out;
  } cases[] = {
      {"a\x80z", u"a\uFFFDz"},          // a lone continuation byte
      {"\xC0\xAF", u"\uFFFD\uFFFD"},    // an overlong form
      {"\xE2\x82", u"\uFFFD"},          // cut at the end
      {"\xED\xA0\x80", u"\uFFFD"},      // a surrogate
      {"\xF4\x90\x80\x80", u"\uFFFD"},  // above U+10FFFF
      {"\xE2\x82"
       "A",
       u"\uFFFDA"},  // cut before an ASCII byte
  };
  for (const auto& c : cases)
    EXPECT_EQ(FromUtf8(c.in), c.out) << c.in;
}

TEST(TextTest, UnpairedSurrogateBecomesReplacementCharacter) {
  EXPECT_EQ(ToUtf8(std::u16string(1, char16_t(0xD800)) + u"x"), "\xEF\xBF\xBDx");
}

TEST(TextTest, AsciiCaseTouchesOnlyAsciiLetters) {
  EXPECT_EQ(AsciiUpperCase(u"installtarvo.exe ěš"), u"INSTALLTARVO.EXE ěš");
  EXPECT_EQ(AsciiLowerCase(u"ABC Ě"), u"abc Ě");
  EXPECT_TRUE(SameTextAscii(u"Chunked", u"cHUNKED"));
  EXPECT_FALSE(SameTextAscii(u"chunk", u"chunked"));
  EXPECT_EQ(IntToText(-42), u"-42");
}

TEST(TextTest, TrimTakesBlanksAndControlsAtTheEndsOnly) {
  struct Case {
    std::u16string in;
    std::u16string both;
    std::u16string left;
    std::u16string right;
  } cases[] = {
      {u"", u"", u"", u""},
      {u" \t\r\n", u"", u"", u""},
      {u"\x01 a b\x1F", u"a b", u"a b\x1F", u"\x01 a b"},
      {u"  chunked\r\n", u"chunked", u"chunked\r\n", u"  chunked"},
      // U+00A0 and letters above ASCII are text, not blanks.
      {u"\u00A0é\u00A0", u"\u00A0é\u00A0", u"\u00A0é\u00A0", u"\u00A0é\u00A0"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Trim(c.in), c.both) << ToUtf8(c.in);
    EXPECT_EQ(TrimLeft(c.in), c.left) << ToUtf8(c.in);
    EXPECT_EQ(TrimRight(c.in), c.right) << ToUtf8(c.in);
  }
}

}  // namespace
}  // namespace vornel
