#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "installer/label_lines.h"

namespace vornel {
namespace {

TEST(LabelLinesTest, SplitsAtEveryKindOfLineBreak) {
  using Lines = std::vector<std::u16string>;
  EXPECT_EQ(SplitLinesText(u""), Lines{});
  EXPECT_EQ(SplitLinesText(u"a"), Lines{u"a"});
  EXPECT_EQ(SplitLinesText(u"a\r\n"), Lines{u"a"});
  EXPECT_EQ(SplitLinesText(u"a\r\n\r\nb"), (Lines{u"a", u"", u"b"}));
  EXPECT_EQ(SplitLinesText(u"a\nb\rc\n\rd"), (Lines{u"a", u"b", u"c", u"", u"d"}));
  EXPECT_EQ(SplitLinesText(u"\r\n"), Lines{u""});
}

TEST(LabelLinesTest, JoinEndsEveryLineWithCrLf) {
  EXPECT_EQ(LinesText({}), u"");
  EXPECT_EQ(LinesText({u"a", u"", u"b"}), u"a\r\n\r\nb\r\n");
  EXPECT_EQ(LinesText(SplitLinesText(u"a\nb")), u"a\r\nb\r\n");
}

}  // namespace
}  // namespace vornel
