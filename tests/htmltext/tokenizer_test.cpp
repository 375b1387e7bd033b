#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "htmltext/builder.h"
#include "htmltext/char_utils.h"
#include "htmltext/def_tokens.h"
#include "htmltext/escape.h"
#include "layout_fixture.h"

namespace vornel {
namespace {

const char* KindName(TTokenKind kind) {
  static const char* const names[] = {"<?>", "B",     "I",       "U",       "S",      "FN",  "FS",
                                      "FC",  "BC",    "T",       "TF",      "BR",     "",    "A",
                                      "L",   "C",     "R",       "IMG",     "IMGRES", "UL",  "OL",
                                      "LI",  "FLOAT", "SPOILER", "SDETAIL", "LS",     "SUP", "SUB"};
  return names[static_cast<int>(kind)];
}

// Text tokens as 'text' (with ! for a single word-break character), tags as
// their name with / for closing, =value and [parameter].
std::vector<std::string> Describe(const std::vector<TToken>& tokens) {
  std::vector<std::string> out;
  for (const TToken& t : tokens) {
    std::string s;
    if (t.Kind == TTokenKind::ttText) {
      s = "'" + ToUtf8(t.Text) + "'" + (t.Value == -1 ? "!" : "");
      if (t.Value != 0 && t.Value != -1) {
        s += "=" + std::to_string(t.Value);
      }
    } else {
      s = std::string(t.TagClose ? "/" : "") + KindName(t.Kind);
      if (t.Value != 0) {
        s += "=" + std::to_string(t.Value);
      }
      if (!t.Text.empty()) {
        s += "[" + ToUtf8(t.Text) + "]";
      }
    }
    out.push_back(s);
  }
  return out;
}

std::vector<std::string> Tokenize(std::vector<std::u16string> lines) {
  TFixedLabel label;
  label.Lines = std::move(lines);
  TBuilder builder(label);
  builder.ReadTokens();
  return Describe(builder.Tokens());
}

using Tokens = std::vector<std::string>;

TEST(TokenizerTest, IntroductionTextOfTheWindow) {
  const Tokens tokens =
      Tokenize({u"S instalací <B>#PRODUKT#</B> Vám pomůže náš instalátor. Postupujte podle "
                u"následujících kroků:"});
  const Tokens expected = {"'S'",
                           "' '!",
                           "'instalací'",
                           "' '!",
                           "B",
                           "'#PRODUKT#'",
                           "/B",
                           "' '!",
                           "'Vám'",
                           "' '!",
                           "'pomůže'",
                           "' '!",
                           "'náš'",
                           "' '!",
                           "'instalátor.'",
                           "' '!",
                           "'Postupujte'",
                           "' '!",
                           "'podle'",
                           "' '!",
                           "'následujících'",
                           "' '!",
                           "'kroků:'",
                           "BR"};
  EXPECT_EQ(tokens, expected);
}

TEST(TokenizerTest, SuccessLineOfTheInstallStep) {
  const Tokens tokens =
      Tokenize({u"<FS:10><FC:$0000B000><B>Instalace byla úspěšně provedena.</B></FC></FS>"});
  const Tokens expected = {"FS=10[10]", "FC=45056[$0000B000]",
                           "B",         "'Instalace'",
                           "' '!",      "'byla'",
                           "' '!",      "'úspěšně'",
                           "' '!",      "'provedena.'",
                           "/B",        "/FC",
                           "/FS",       "BR"};
  EXPECT_EQ(tokens, expected);
}

struct TTagCase {
  const char16_t* Text;
  Tokens Expected;
};

class TagTest : public testing::TestWithParam<TTagCase> {};

TEST_P(TagTest, Tokenizes) {
  EXPECT_EQ(Tokenize({GetParam().Text}), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Tags, TagTest,
    testing::Values(
        // Names match whatever their case.
        TTagCase{u"<fs:10>", {"FS=10[10]", "BR"}}, TTagCase{u"<FS:10>", {"FS=10[10]", "BR"}},
        TTagCase{u"<b>x</B>", {"B", "'x'", "/B", "BR"}},
        // Rejected tags show as one invalid token each.
        TTagCase{u"<FS:0>", {"<?>", "BR"}}, TTagCase{u"<FS:x>", {"<?>", "BR"}},
        TTagCase{u"<FS>", {"<?>", "BR"}}, TTagCase{u"<FS:>", {"<?>", "BR"}},
        TTagCase{u"</FS:10>", {"<?>", "BR"}}, TTagCase{u"</BR>", {"<?>", "BR"}},
        TTagCase{u"<B:1>", {"<?>", "BR"}}, TTagCase{u"<XYZ>", {"<?>", "BR"}},
        TTagCase{u"<B >", {"<?>", "BR"}}, TTagCase{u"<>", {"<?>", "BR"}},
        TTagCase{u"<IMG:-1>", {"<?>", "BR"}},
        // The parameter is everything after the first colon.
        TTagCase{u"<A:http://x/?a=b:c>go</A>", {"A[http://x/?a=b:c]", "'go'", "/A", "BR"}},
        TTagCase{u"<A>x", {"A", "'x'", "BR"}},
        TTagCase{u"<IMG:0><T:5><TF:7><LS:0>", {"IMG[0]", "T=5[5]", "TF=7[7]", "LS[0]", "BR"}},
        TTagCase{u"<FN:Courier New>", {"FN[Courier New]", "BR"}},
        // An unclosed "<" and a stray ">" are invalid and the rest goes on.
        TTagCase{u"a<b", {"'a'", "<?>", "'b'", "BR"}},
        TTagCase{u"a>b", {"'a'", "<?>", "'b'", "BR"}},
        TTagCase{u"x</B", {"'x'", "<?>", "'/'!", "'B'", "BR"}},
        // Word-break characters become tokens of their own.
        TTagCase{u"a/b", {"'a'", "'/'!", "'b'", "BR"}},
        TTagCase{u"c:\\d", {"'c:'", "'\\'!", "'d'", "BR"}},
        TTagCase{u"中文x", {"'中'!", "'文'!", "'x'", "BR"}},
        // Entities.
        TTagCase{u"x &lt;y&gt;", {"'x'", "' '!", "'<y>'", "BR"}},
        TTagCase{u"a&amp;b &nbsp;", {"'a&b'", "' '!", "'&nbsp;'", "BR"}},
        TTagCase{u"&amp;lt;", {"'&lt;'", "BR"}}));

TEST(TokenizerTest, LinesAndLineBreaks) {
  EXPECT_EQ(Tokenize({}), Tokens{});
  EXPECT_EQ(Tokenize({u""}), Tokens{"BR"});
  EXPECT_EQ(Tokenize({u"A", u"<NBR>B"}), (Tokens{"'AB'", "BR"}));
  EXPECT_EQ(Tokenize({u"A ", u"<nbr>B", u"C"}), (Tokens{"'A'", "' '!", "'B'", "BR", "'C'", "BR"}));
  // Only a line that follows another one continues it.
  EXPECT_EQ(Tokenize({u"<NBR>A"}), (Tokens{"<?>", "'A'", "BR"}));
  // An unclosed "<" does not swallow the line break after it.
  EXPECT_EQ(Tokenize({u"a <", u"b"}), (Tokens{"'a'", "' '!", "<?>", "BR", "'b'", "BR"}));
  // Line breaks inside one line break like line ends.
  EXPECT_EQ(Tokenize({u"a\r\nb", u"c"}), (Tokens{"'a'", "BR", "'b'", "BR", "'c'", "BR"}));
}

struct TColorCase {
  const char16_t* Par;
  bool Valid;
  TColor Value;
};

class ColorTest : public testing::TestWithParam<TColorCase> {};

TEST_P(ColorTest, Converts) {
  TSystemColors colors;
  colors.Set(TSystemColor::scBtnFace, 0x123456);
  std::int64_t value = 0;
  const TColorCase& c = GetParam();
  ASSERT_EQ(Tag_Color_ProcValue(c.Par, colors, value), c.Valid) << ToUtf8(c.Par);
  if (c.Valid) {
    EXPECT_EQ(value, c.Value) << ToUtf8(c.Par);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Colors, ColorTest,
    testing::Values(TColorCase{u"#00FF00", true, 0x00FF00}, TColorCase{u"$00FF00", true, 0x00FF00},
                    TColorCase{u"$0000FF00", true, 0x00FF00},
                    TColorCase{u"#FF0000", true, clBlue},  // red in the low byte
                    TColorCase{u"$0000B000", true, 0x00B000}, TColorCase{u"$FF00", false, 0},
                    TColorCase{u"$00FF00FF00", false, 0}, TColorCase{u"#GG0000", false, 0},
                    TColorCase{u"clRed", true, 0x0000FF}, TColorCase{u"CLRED", true, 0x0000FF},
                    TColorCase{u"clMoneyGreen", true, 0xC0DCC0},
                    TColorCase{u"clBtnFace", true, 0x123456},  // through the system colours
                    TColorCase{u"clNone", false, 0}, TColorCase{u"$1FFFFFFF", false, 0},
                    TColorCase{u"255", true, 0x0000FF}, TColorCase{u"-1", false, 0},
                    TColorCase{u"clRedd", false, 0}, TColorCase{u" 255", false, 0}));

TEST(TokenizerTest, ColorTagsCarryTheColour) {
  EXPECT_EQ(Tokenize({u"<FC:#00FF00><BC:clLime><FC:$FF00>"}),
            (Tokens{"FC=65280[#00FF00]", "BC=65280[clLime]", "<?>", "BR"}));
}

TEST(TokenizerTest, EveryTagOfTheTableIsRecognised) {
  for (const TDefToken& def : DEF_TOKENS) {
    std::u16string tag = u"<" + std::u16string(def.Ident);
    if (def.AllowPar && !def.OptionalPar) {
      tag += def.Kind == TTokenKind::ttFloat ? u":1,2" : u":3";
    }
    tag += u">";
    TFixedLabel label;
    label.Lines = {tag};
    TBuilder builder(label);
    builder.ReadTokens();
    ASSERT_EQ(builder.Tokens().size(), 2u) << ToUtf8(tag);
    EXPECT_EQ(builder.Tokens()[0].Kind, def.Kind) << ToUtf8(tag);
  }
}

TEST(EscapeTest, EscapesAndUnescapes) {
  EXPECT_EQ(EscapeTextToHTML(u"a<b> & c"), u"a&lt;b&gt; &amp; c");
  EXPECT_EQ(EscapeTextToHTML(u"&lt;"), u"&amp;lt;");
  EXPECT_EQ(UnescapeHTMLToText(u"&amp;lt;"), u"&lt;");
  EXPECT_EQ(UnescapeHTMLToText(u"&lt;&gt;&amp;&quot;"), u"<>&&quot;");
  for (const char16_t* text : {u"", u"plain", u"<B>&amp;</B>", u"&&&<<>>"}) {
    EXPECT_EQ(UnescapeHTMLToText(EscapeTextToHTML(text)), text);
  }
}

TEST(CharUtilsTest, WordBreakCharacters) {
  for (char16_t c : {u' ', u'/', u'<', u'>', u'\\', char16_t(0x3400), char16_t(0x4DBF),
                     char16_t(0x4E00), char16_t(0x9FFF), char16_t(0xF900), char16_t(0xFAFF)}) {
    EXPECT_TRUE(TCharUtils::IsWordBreakChar(c)) << int(c);
  }
  for (char16_t c : {u'a', u'-', u'.', u'\t', char16_t(0x33FF), char16_t(0x4DC0), char16_t(0x4DFF),
                     char16_t(0xA000), char16_t(0xF8FF), char16_t(0xFB00)}) {
    EXPECT_FALSE(TCharUtils::IsWordBreakChar(c)) << int(c);
  }
  EXPECT_EQ(TCharUtils::FindNextWordBreakChar(u"abc"), 0u);
  EXPECT_EQ(TCharUtils::FindNextWordBreakChar(u" abc"), 1u);
  EXPECT_EQ(TCharUtils::FindNextWordBreakChar(u"ab/c"), 3u);
}

}  // namespace
}  // namespace vornel
