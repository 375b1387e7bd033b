#include "http/header_list.h"

#include <gtest/gtest.h>

namespace vornel {
namespace {

TNetHeaderList Lines(std::initializer_list<std::u16string> lines) {
  TNetHeaderList list;
  for (const auto& line : lines)
    list.Add(line);
  return list;
}

TEST(HeaderList, NamesMatchWithoutCaseAndTheFirstWins) {
  const TNetHeaderList h = Lines({u"Content-Type: a", u"content-type: b", u"X : y", u"Bare"});
  EXPECT_EQ(h.Value(u"CONTENT-TYPE"), u"a");
  EXPECT_EQ(h.Values(u"Content-type"), (std::vector<std::u16string>{u"a", u"b"}));
  // The name is everything before the colon, blanks included.
  EXPECT_EQ(h.Value(u"X"), u"");
  EXPECT_EQ(h.Value(u"X "), u"y");
  EXPECT_EQ(h.Value(u"Bare"), u"");
  EXPECT_EQ(h.Value(u""), u"");
}

TEST(HeaderList, UnfoldsContinuationLines) {
  const TNetHeaderList h = Lines({u"A:  one  ", u"   two ", u"\tthree", u"B: x", u" "});
  EXPECT_EQ(h.Value(u"A"), u"one two three");
  EXPECT_EQ(h.Value(u"B"), u"x");
}

TEST(HeaderList, SetValueReplacesInPlaceAppendsOrDeletes) {
  TNetHeaderList h = Lines({u"A: 1", u" folded", u"Accept: old", u"C: 3"});
  h.SetValue(u"accept", u"new");
  h.SetValue(u"A", u"2");
  h.SetValue(u"D", u"4");
  EXPECT_EQ(h.Lines(), (std::vector<std::u16string>{u"A: 2", u"accept: new", u"C: 3", u"D: 4"}));
  h.SetValue(u"C", u"");
  h.SetValue(u"Missing", u"");
  EXPECT_EQ(h.Lines(), (std::vector<std::u16string>{u"A: 2", u"accept: new", u"D: 4"}));
}

TEST(HeaderList, LongValuesAreNeverFolded) {
  TNetHeaderList h;
  const std::u16string value(5000, u'v');
  h.SetValue(u"Long", value);
  ASSERT_EQ(h.Count(), 1u);
  EXPECT_EQ(h[0], u"Long: " + value);
}

struct TSubItemCase {
  std::u16string Value, Name, Expected;
};

TEST(HeaderList, SubItemsUnquote) {
  const TSubItemCase cases[] = {
      {u"text/html; charset=utf-8", u"charset", u"utf-8"},
      {u"text/html;CHARSET=\"ISO-8859-2\"", u"charset", u"ISO-8859-2"},
      {u"text/html; a=\"x;y\"; charset=b", u"charset", u"b"},
      {u"text/html; a=\"q\\\"uote\"", u"a", u"q\"uote"},
      {u"text/html", u"charset", u""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ExtractHeaderSubItem(c.Value, c.Name), c.Expected)
        << std::string(c.Value.begin(), c.Value.end());
  }
  EXPECT_EQ(ExtractHeaderItem(u" text/html ; charset=x"), u"text/html");
}

TEST(HeaderList, ReplaceSubItemQuotesWhenNeeded) {
  EXPECT_EQ(ReplaceHeaderSubItem(u"text/plain", u"charset", u"utf-8"),
            u"text/plain; charset=utf-8");
  EXPECT_EQ(ReplaceHeaderSubItem(u"text/plain; charset=x; a=b", u"charset", u"y z"),
            u"text/plain; charset=\"y z\"; a=b");
  EXPECT_EQ(ReplaceHeaderSubItem(u"text/plain; charset=x; a=b", u"charset", u""),
            u"text/plain; a=b");
}

}  // namespace
}  // namespace vornel
