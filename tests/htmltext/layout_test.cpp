#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "htmltext/html_text_error.h"
#include "layout_fixture.h"

namespace vornel {
namespace {

using Boxes = std::vector<TWordBox>;

TEST(LayoutTest, OneLineAndItsHeight) {
  TFixedLabel label;
  label.Show({u"Hello world"});
  EXPECT_EQ(Words(label),
            (Boxes{{"Hello", 0, 0, 50, 20}, {" ", 50, 0, 60, 20}, {"world", 60, 0, 110, 20}}));
  EXPECT_EQ(label.LineCount(), 1);
  EXPECT_EQ(label.TextWidth(), 110);
  EXPECT_EQ(label.TextHeight(), 20);
}

TEST(LayoutTest, EmptyTextHasNoSize) {
  TFixedLabel label;
  label.Settings.AutoHeight = true;
  label.Show({}, 100, 77);
  EXPECT_TRUE(label.VisualItems().empty());
  EXPECT_EQ(label.LineCount(), 0);
  EXPECT_EQ(label.TextHeight(), 0);
  EXPECT_EQ(label.Height(), 0);
}

TEST(LayoutTest, EmptyLinesAreAsHighAsASpaceInTheFontAtTheirEnd) {
  TFixedLabel label;
  label.Show({u"a", u"", u"b"});
  EXPECT_EQ(Words(label), (Boxes{{"a", 0, 0, 10, 20}, {"b", 0, 40, 10, 60}}));
  EXPECT_EQ(label.LineCount(), 3);
  EXPECT_EQ(label.TextHeight(), 60);

  label.Show({u"a<FS:15>", u"", u"b"});
  EXPECT_EQ(Words(label), (Boxes{{"a", 0, 0, 10, 20}, {"b", 0, 50, 15, 80}}));
  EXPECT_EQ(label.TextHeight(), 80);

  label.Show({u""});
  EXPECT_EQ(label.LineCount(), 1);
  EXPECT_EQ(label.TextHeight(), 20);
}

TEST(LayoutTest, WrapsBeforeTheFirstWordThatPassesTheWidth) {
  TFixedLabel label;
  // Words of 40 pixels and spaces of 10 in a label 100 wide: the space before
  // the third word goes with it and is not shown.
  label.Show({u"aaaa bbbb cccc"}, 100);
  EXPECT_EQ(Words(label), (Boxes{{"aaaa", 0, 0, 40, 20},
                                 {" ", 40, 0, 50, 20},
                                 {"bbbb", 50, 0, 90, 20},
                                 {"cccc", 0, 20, 40, 40}}));
  EXPECT_EQ(label.LineCount(), 2);
  EXPECT_EQ(label.TextWidth(), 90);
  EXPECT_EQ(label.TextHeight(), 40);

  // A word that ends exactly at the width still fits.
  label.Show({u"aaaa bbbbb"}, 100);
  EXPECT_EQ(label.LineCount(), 1);
}

TEST(LayoutTest, ASpaceLeftAtTheLineEndIsNotShown) {
  TFixedLabel label;
  // The space fits, the "/" after it does not: the space is taken back.
  label.Show({u"aaaaaaaa /bb"}, 100);
  EXPECT_EQ(Words(label),
            (Boxes{{"aaaaaaaa", 0, 0, 80, 20}, {"/", 0, 20, 10, 40}, {"bb", 10, 20, 30, 40}}));
  EXPECT_EQ(label.TextWidth(), 80);
}

TEST(LayoutTest, WordsJoinedByTagsWrapAsOne) {
  TFixedLabel label;
  // Bold "ab" (22 pixels) and plain "cd" (20) do not fit after "xxxxx " together.
  label.Show({u"xxxxx <B>ab</B>cd"}, 100);
  EXPECT_EQ(Words(label),
            (Boxes{{"xxxxx", 0, 0, 50, 20}, {"ab", 0, 20, 22, 40}, {"cd", 22, 20, 42, 40}}));
  // Alone, plain "ab" would still fit.
  label.Show({u"xxxxx ab cd"}, 100);
  EXPECT_EQ(FindWord(label, u"ab")->Rect.Top, 0);
}

TEST(LayoutTest, AutoWidthWrapsOnlyAtMaxWidth) {
  TFixedLabel label;
  label.Settings.AutoWidth = true;
  label.Show({u"aaaa bbbb cccc", u"dd"}, 30);
  EXPECT_EQ(label.LineCount(), 2);
  EXPECT_EQ(label.Width(), 140);
  EXPECT_EQ(label.TextWidth(), 140);

  label.Settings.MaxWidth = 100;
  label.Show({u"aaaa bbbb cccc", u"dd"}, 30);
  EXPECT_EQ(label.LineCount(), 3);
  EXPECT_EQ(label.Width(), 90);
  EXPECT_EQ(label.Height(), 500);  // no automatic height

  label.Settings.AutoHeight = true;
  label.Rebuild();
  EXPECT_EQ(label.Height(), 60);
}

TEST(LayoutTest, TabsAndFixedTabContinuation) {
  TFixedLabel label;
  label.Show({u"a<T:50>b", u"abcdef<T:20>x"});
  EXPECT_EQ(Words(label), (Boxes{{"a", 0, 0, 10, 20},
                                 {"b", 50, 0, 60, 20},
                                 {"abcdef", 0, 20, 60, 40},
                                 {"x", 20, 20, 30, 40}}));

  // Lines wrapped after "TF" continue at its position; "T" does not do that.
  label.Show({u"a<TF:30>bbbb cccc dddd", u"e"}, 100);
  EXPECT_EQ(Words(label), (Boxes{{"a", 0, 0, 10, 20},
                                 {"bbbb", 30, 0, 70, 20},
                                 {"cccc", 30, 20, 70, 40},
                                 {"dddd", 30, 40, 70, 60},
                                 {"e", 0, 60, 10, 80}}));
  label.Show({u"a<T:30>bbbb cccc"}, 100);
  EXPECT_EQ(Words(label),
            (Boxes{{"a", 0, 0, 10, 20}, {"bbbb", 30, 0, 70, 20}, {"cccc", 0, 20, 40, 40}}));
}

TEST(LayoutTest, FloatingBox) {
  TFixedLabel label;
  label.Show({u"x<FLOAT:200,5,50>aaaa bbbb</FLOAT>y", u"z"}, 400);
  EXPECT_EQ(Words(label), (Boxes{{"x", 0, 0, 10, 20},
                                 {"aaaa", 200, 5, 240, 25},
                                 {"bbbb", 200, 25, 240, 45},
                                 {"y", 10, 0, 20, 20},
                                 {"z", 0, 20, 10, 40}}));
  // Lines inside the box do not count.
  EXPECT_EQ(label.LineCount(), 2);
  EXPECT_EQ(label.TextHeight(), 45);

  // Without a width the box wraps at the label's width; a stray closing tag
  // changes nothing.
  label.Show({u"</FLOAT><FLOAT:10,0>aaaa bbbb"}, 100);
  EXPECT_EQ(Words(label),
            (Boxes{{"aaaa", 10, 0, 50, 20}, {" ", 50, 0, 60, 20}, {"bbbb", 60, 0, 100, 20}}));
}

TEST(LayoutTest, NumberedBulletAndNestedLists) {
  TFixedLabel label;
  label.Show({u"<OL><LI>one", u"<LI>two", u"<LI>three</OL>"});
  EXPECT_EQ(Words(label), (Boxes{{"1. ", 20, 0, 50, 20},
                                 {"one", 50, 0, 80, 20},
                                 {"2. ", 20, 20, 50, 40},
                                 {"two", 50, 20, 80, 40},
                                 {"3. ", 20, 40, 50, 60},
                                 {"three", 50, 40, 100, 60}}));

  label.Show({u"<OL><LI>a", u"<OL><LI>b</OL>", u"<LI>c</OL>"});
  EXPECT_EQ(Words(label), (Boxes{{"1. ", 20, 0, 50, 20},
                                 {"a", 50, 0, 60, 20},
                                 {"1. ", 40, 20, 70, 40},
                                 {"b", 70, 20, 80, 40},
                                 {"2. ", 20, 40, 50, 60},
                                 {"c", 50, 40, 60, 60}}));

  label.Settings.ListLevelPadding = 5;
  label.Show({u"<UL><LI>x</UL><LI>y"});
  EXPECT_EQ(Words(label),
            (Boxes{{"\u2022 ", 5, 0, 25, 20}, {"x", 25, 0, 35, 20}, {"y", 35, 0, 45, 20}}));
}

TEST(LayoutTest, ClosingAnotherListKindChangesNothing) {
  TFixedLabel label;
  label.Show({u"<OL><LI>a</UL>", u"<LI>b"});
  ASSERT_NE(FindWord(label, u"2. "), nullptr);
  label.Show({u"<UL><LI>a</OL>", u"<LI>b"});
  EXPECT_EQ(Words(label)[2].Text, "\u2022 ");
}

TEST(LayoutTest, SuperscriptAndSubscript) {
  TFixedLabel label;
  label.Show({u"a<SUP>b</SUP><SUB>c</SUB><SUB><SUB>d</SUB></SUB><SUP><SUB>e"});
  struct TExpect {
    const char16_t* Text;
    int Size;
    std::int64_t YPos;
    std::int64_t Width;
  };
  // 10 × 0.75 = 7.5 rounds to 8 (a space 16 high), 10 × 0.5625 to 6 (12 high).
  for (const TExpect& e : {TExpect{u"a", 10, 0, 10}, TExpect{u"b", 8, 0, 8}, TExpect{u"c", 8, 4, 8},
                           TExpect{u"d", 6, 8, 6}, TExpect{u"e", 6, 4, 6}}) {
    const TQxVisualItem_Word* word = FindWord(label, e.Text);
    ASSERT_NE(word, nullptr);
    EXPECT_EQ(word->Font.Size, e.Size) << ToUtf8(e.Text);
    EXPECT_EQ(word->YPos, e.YPos) << ToUtf8(e.Text);
    EXPECT_EQ(word->Rect.Width(), e.Width) << ToUtf8(e.Text);
    EXPECT_EQ(word->Rect.Height(), 20) << ToUtf8(e.Text);  // the height stays
  }
  // Halves round to even: 6 × 0.75 = 4.5 gives 4, 2 × 0.75 = 1.5 gives 2.
  label.Show({u"<FS:6><SUP>x</SUP></FS><FS:2><SUP>y"});
  EXPECT_EQ(FindWord(label, u"x")->Font.Size, 4);
  EXPECT_EQ(FindWord(label, u"y")->Font.Size, 2);
}

struct TAlignCase {
  const char* Name;
  std::u16string Line;
  THorzAlign OverallHorz;
  TVertAlign LineVert;
  TVertAlign OverallVert;
  std::int64_t Left, Top;  // of the word "ab"
};

class AlignTest : public testing::TestWithParam<TAlignCase> {};

TEST_P(AlignTest, PlacesTheWord) {
  const TAlignCase& c = GetParam();
  TFixedLabel label;
  label.Settings.OverallHorzAlign = c.OverallHorz;
  label.Settings.LineVertAlign = c.LineVert;
  label.Settings.OverallVertAlign = c.OverallVert;
  label.Show({c.Line}, 100, 100);
  const TQxVisualItem_Word* word = FindWord(label, u"ab");
  ASSERT_NE(word, nullptr);
  EXPECT_EQ(word->Rect.Left, c.Left);
  EXPECT_EQ(word->Rect.Top, c.Top);
}

constexpr auto L = THorzAlign::haLeft;
constexpr auto HC = THorzAlign::haCenter;
constexpr auto HR = THorzAlign::haRight;
constexpr auto T = TVertAlign::vaTop;
constexpr auto VC = TVertAlign::vaCenter;
constexpr auto B = TVertAlign::vaBottom;

INSTANTIATE_TEST_SUITE_P(
    Alignments, AlignTest,
    testing::Values(TAlignCase{"plain", u"ab", L, T, T, 0, 0},
                    TAlignCase{"part_center", u"<C>ab</C>", L, T, T, 40, 0},
                    TAlignCase{"part_right", u"<R>ab</R>", L, T, T, 80, 0},
                    TAlignCase{"part_after_tab", u"x<T:20><R>ab</R><T:70>y", L, T, T, 50, 0},
                    TAlignCase{"line_bottom", u"ab<FS:20>X", L, B, T, 0, 20},
                    TAlignCase{"line_center", u"ab<FS:20>X", L, VC, T, 0, 10},
                    TAlignCase{"overall_right", u"ab", HR, T, T, 80, 0},
                    TAlignCase{"overall_center", u"ab", HC, T, T, 40, 0},
                    TAlignCase{"overall_bottom", u"ab", L, T, B, 0, 80},
                    TAlignCase{"overall_vcenter", u"ab", L, T, VC, 0, 40},
                    // Against the text width when the whole text is aligned too.
                    TAlignCase{"part_right_in_centered", u"<R>ab</R>", HC, T, T, 40, 0}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(LayoutTest, UnmatchedClosingTagsKeepTheLabelsOwnStyle) {
  TFixedLabel label;
  label.Settings.Font.Style = fsBold;
  label.Show({u"</B></FS></FC>x<B>y</B></B>z"});
  for (const char16_t* text : {u"x", u"y", u"z"}) {
    const TQxVisualItem_Word* word = FindWord(label, text);
    ASSERT_NE(word, nullptr);
    EXPECT_TRUE(word->Font.Has(fsBold));
    EXPECT_EQ(word->Font.Size, 10);
  }
}

TEST(LayoutTest, StylesNestAndRestore) {
  TFixedLabel label;
  label.Show({u"<FS:12><FC:clRed><I>a<FN:Mono><BC:clLime>b</BC></FN></I></FC></FS>c"});
  const TQxVisualItem_Word* a = FindWord(label, u"a");
  const TQxVisualItem_Word* b = FindWord(label, u"b");
  const TQxVisualItem_Word* c = FindWord(label, u"c");
  EXPECT_EQ(a->Font.Size, 12);
  EXPECT_EQ(a->Font.Color, clRed);
  EXPECT_TRUE(a->Font.Has(fsItalic));
  EXPECT_EQ(a->BColor, clNone);
  EXPECT_EQ(b->Font.Name, u"Mono");
  EXPECT_EQ(b->BColor, clLime);
  EXPECT_EQ(c->Font, label.Settings.Font);
}

TEST(LayoutTest, InvalidTagsShowAsQuestionMarks) {
  TFixedLabel label;
  label.Show({u"a<X>b"});
  EXPECT_EQ(Words(label),
            (Boxes{{"a", 0, 0, 10, 20}, {"<?>", 10, 0, 40, 20}, {"b", 40, 0, 50, 20}}));
}

TEST(LayoutTest, LinksCollectTheirText) {
  TFixedLabel label;
  label.Show({u"see <A:http://127.0.0.1/x>this page</A> or <A>that</A>"});
  ASSERT_EQ(label.LinkRefs().size(), 2u);
  EXPECT_EQ(label.LinkRefs()[0]->Target, u"http://127.0.0.1/x");
  EXPECT_EQ(label.LinkRefs()[0]->Text, u"this page");
  EXPECT_EQ(label.LinkRefs()[1]->Target, u"");
  EXPECT_EQ(FindWord(label, u"page")->Link, label.LinkRefs()[0]);
  EXPECT_EQ(FindWord(label, u"or")->Link, nullptr);
  // Link references are made anew on every run.
  label.Rebuild();
  EXPECT_EQ(label.LinkRefs().size(), 2u);
}

// Words of one run are made again by the next, which must not carry over any of
// their fonts, colours, links or offsets.
TEST(LayoutTest, ANewRunKeepsNothingOfTheLastOnesWords) {
  TFixedLabel label;
  label.Show(
      {u"<B><BC:clRed><A:http://127.0.0.1/x>one two</A></BC></B> "
       u"<SUB>three</SUB> <FS:20>four</FS>"});
  ASSERT_NE(FindWord(label, u"one")->Link, nullptr);
  label.Show({u"alpha beta gamma delta epsilon zeta"});
  const std::vector<TWordBox> expected = {
      {"alpha", 0, 0, 50, 20},    {" ", 50, 0, 60, 20},       {"beta", 60, 0, 100, 20},
      {" ", 100, 0, 110, 20},     {"gamma", 110, 0, 160, 20}, {" ", 160, 0, 170, 20},
      {"delta", 170, 0, 220, 20}, {" ", 220, 0, 230, 20},     {"epsilon", 230, 0, 300, 20},
      {" ", 300, 0, 310, 20},     {"zeta", 310, 0, 350, 20}};
  EXPECT_EQ(Words(label), expected);
  for (const auto& item : label.VisualItems()) {
    const auto& word = dynamic_cast<const TQxVisualItem_Word&>(*item);
    EXPECT_EQ(word.Link, nullptr) << ToUtf8(word.Text);
    EXPECT_EQ(word.BColor, clNone) << ToUtf8(word.Text);
    EXPECT_EQ(word.YPos, 0) << ToUtf8(word.Text);
    EXPECT_EQ(word.Font, label.Settings.Font) << ToUtf8(word.Text);
  }
}

TEST(LayoutTest, SpoilersOpenAndClosed) {
  TFixedLabel label;
  label.Show({u"<SPOILER:s>Title</SPOILER>", u"<SDETAIL:s>hidden</SDETAIL>", u"end"});
  ASSERT_EQ(label.Spoilers().size(), 1u);
  EXPECT_FALSE(label.Spoilers()[0]->Expanded);
  EXPECT_EQ(FindWord(label, u"Title")->Link, label.Spoilers()[0]);
  EXPECT_EQ(FindWord(label, u"hidden"), nullptr);
  EXPECT_EQ(FindWord(label, u"end")->Rect.Top, 40);

  label.Spoilers()[0]->Expanded = true;
  label.Rebuild();
  ASSERT_EQ(label.Spoilers().size(), 1u);  // kept across runs
  ASSERT_NE(FindWord(label, u"hidden"), nullptr);
  EXPECT_EQ(FindWord(label, u"hidden")->Rect.Top, 20);

  // A detail of a spoiler that does not exist stays hidden.
  label.Show({u"<SDETAIL:nope>x</SDETAIL>y"});
  EXPECT_EQ(Words(label), (Boxes{{"y", 0, 0, 10, 20}}));
}

TEST(LayoutTest, HiddenLastLineBreakStillClosesTheLine) {
  TFixedLabel label;
  label.Show({u"<C>ab<SDETAIL:x>cd"}, 100);
  EXPECT_EQ(Words(label), (Boxes{{"ab", 40, 0, 60, 20}}));
  EXPECT_EQ(label.LineCount(), 1);
  EXPECT_EQ(label.TextHeight(), 20);
}

TEST(LayoutTest, LineSpaceBelowLines) {
  TFixedLabel label;
  label.Settings.LineSpacing = 3;
  label.Show({u"a", u"<LS:7>b</LS>", u"c"});
  EXPECT_EQ(Words(label), (Boxes{{"a", 0, 0, 10, 20}, {"b", 0, 23, 10, 43}, {"c", 0, 50, 10, 70}}));
  EXPECT_EQ(label.TextHeight(), 73);
}

TEST(LayoutTest, NbrContinuesTheLine) {
  TFixedLabel label;
  label.Show({u"A", u"<NBR>B"});
  EXPECT_EQ(Words(label), (Boxes{{"AB", 0, 0, 20, 20}}));
  EXPECT_EQ(label.LineCount(), 1);
}

class ImageLabel : public TFixedLabel {
 public:
  class TBox : public TQxPicture {
   public:
    int Width() const override { return 30; }
    int Height() const override { return 40; }
  };
  std::optional<TSize64> ImageListSize() const override { return TSize64{16, 16}; }
  std::shared_ptr<TQxPicture> RetrieveImgRes(const std::u16string& name) override {
    Requested.push_back(name);
    return name == u"box" ? std::make_shared<TBox>() : TQxLabel::RetrieveImgRes(name);
  }
  std::vector<std::u16string> Requested;
};

TEST(LayoutTest, ImagesTakeTheirSizes) {
  ImageLabel label;
  label.Show({u"<IMG:3><IMGRES:box><IMGRES:none>x"});
  ASSERT_EQ(label.VisualItems().size(), 4u);
  const auto* image = dynamic_cast<const TQxVisualItem_Image*>(label.VisualItems()[0].get());
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->ImageIndex, 3);
  EXPECT_EQ(image->Rect, (TRect64{0, 0, 16, 16}));
  EXPECT_EQ(label.VisualItems()[1]->Rect, (TRect64{16, 0, 46, 40}));
  EXPECT_EQ(label.VisualItems()[2]->Rect, (TRect64{46, 0, 46, 0}));
  EXPECT_EQ(label.Requested, (std::vector<std::u16string>{u"box", u"none"}));
  EXPECT_EQ(label.TextHeight(), 40);

  TFixedLabel plain;  // no image list: nothing to measure
  plain.Show({u"<IMG:0>x"});
  EXPECT_EQ(plain.VisualItems()[0]->Rect, (TRect64{0, 0, 0, 0}));
}

TEST(LayoutTest, ExtremeParametersStayInRange) {
  TFixedLabel label;
  label.Show({u"<T:2147483647>x<FLOAT:2147483647,2147483647,2147483647>y<LS:2147483647>z",
              u"<FLOAT:-2147483648,-2147483648,-5>w</FLOAT><FS:2147483647>v"},
             std::numeric_limits<int>::max());
  EXPECT_EQ(FindWord(label, u"y")->Rect.Left, 2147483647);
  EXPECT_GT(label.TextWidth(), 2147483647);
  EXPECT_GT(label.TextHeight(), 2147483647);
}

}  // namespace
}  // namespace vornel
