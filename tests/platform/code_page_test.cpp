#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/code_page.h"

namespace vornel {
namespace {

TEST(CodePageTest, PagesFollowTheLanguageOfTheLocale) {
  struct Case {
    const char* locale;
    int ansi, oem;
  } cases[] = {
      {"cs_CZ.UTF-8", 1250, 852}, {"sk_SK", 1250, 852},      {"pl", 1250, 852},
      {"ru_RU.UTF-8", 1251, 866}, {"el_GR", 1253, 737},      {"tr_TR", 1254, 857},
      {"he_IL", 1255, 862},       {"ar_EG", 1256, 720},      {"lt_LT", 1257, 775},
      {"de_DE.UTF-8", 1252, 850}, {"fr_FR@euro", 1252, 850}, {"en_US.UTF-8", 1252, 437},
      {"C", 1252, 437},           {"POSIX", 1252, 437},      {"", 1252, 437},
      {"C.UTF-8", 1252, 437},     {"csb_PL", 1252, 437},  // a language is matched whole
  };
  for (const auto& c : cases) {
    const TCodePages pages = CodePagesForLocale(c.locale);
    EXPECT_EQ(pages.Ansi, c.ansi) << c.locale;
    EXPECT_EQ(pages.Oem, c.oem) << c.locale;
  }
}

TEST(CodePageTest, EnvironmentOrderIsLcAllThenLcCtypeThenLang) {
  ::setenv("LC_ALL", "", 1);
  ::setenv("LC_CTYPE", "ru_RU", 1);
  ::setenv("LANG", "cs_CZ.UTF-8", 1);
  EXPECT_EQ(AnsiCodePage(), 1251);
  ::setenv("LC_ALL", "tr_TR", 1);
  EXPECT_EQ(OemCodePage(), 857);
  ::unsetenv("LC_ALL");
  ::unsetenv("LC_CTYPE");
  EXPECT_EQ(AnsiCodePage(), 1250);
  ::unsetenv("LANG");
}

TEST(CodePageTest, ConversionsBothWays) {
  struct Case {
    int page;
    std::string bytes;
    std::u16string text;
  } cases[] = {
      {1250, "P\xF8\xEDli\x9A \x9Elu\x9Dou\xE8k\xFD k\xF9\xF2", u"Příliš žluťoučký kůň"},
      {852, "P\xFD\xA1li\xE7 \xA7lu\x9Cou\x9Fk\xEC k\x85\xE5", u"Příliš žluťoučký kůň"},
      {437, "\x80\x81\xE1\xB0\xDB", u"Çüß░█"},
      {CP_UTF8, "\xC5\xBElu\xC5\xA5", u"žluť"},
  };
  for (const auto& c : cases) {
    const TBytes bytes(c.bytes.begin(), c.bytes.end());
    EXPECT_EQ(DecodeCodePage(c.page, bytes), c.text) << c.page;
    EXPECT_EQ(EncodeCodePage(c.page, c.text), bytes) << c.page;
  }
}

TEST(CodePageTest, BytesAndCharactersWithoutCounterpart) {
  // 0x81 and 0x83 have no character in CP1250; a cut UTF-8 sequence has none either.
  EXPECT_EQ(DecodeCodePage(1250, TBytes{'a', 0x81, 'b', 0x83}), u"a\uFFFDb\uFFFD");
  EXPECT_EQ(DecodeCodePage(CP_UTF8, TBytes{'a', 0xC5}), u"a\uFFFD");
  // Characters that the page lacks become "?", a surrogate pair a single "?".
  EXPECT_EQ(EncodeCodePage(1250, u"a€ж\U0001F600b"), (TBytes{'a', 0x80, '?', '?', 'b'}));
  EXPECT_EQ(EncodeCodePage(437, u"ř"), (TBytes{'?'}));
}

}  // namespace
}  // namespace vornel
