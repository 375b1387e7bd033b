#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "installer/label_lines.h"

namespace vornel {
namespace {

TEST(LabelLinesTest, SplitsAtEveryKindOfLineBreak) {
  using Lines = std::vector<std::u16string>;
  EXPECT_EQ(SplitLines(u""), Lines{});
  EXPECT_EQ(SplitLines(u"a"), Lines{u"a"});
  EXPECT_EQ(SplitLines(u"a\r\n"), Lines{u"a"});
  EXPECT_EQ(SplitLines(u"a\r\n\r\nb"), (Lines{u"a", u"", u"b"}));
  EXPECT_EQ(SplitLines(u"a\nb\rc\n\rd"), (Lines{u"a", u"b", u"c", u"", u"d"}));
  EXPECT_EQ(SplitLines(u"\r\n"), Lines{u""});
}

TEST(LabelLinesTest, JoinEndsEveryLineWithCrLf) {
  EXPECT_EQ(JoinLines({}), u"");
  EXPECT_EQ(JoinLines({u"a", u"", u"b"}), u"a\r\n\r\nb\r\n");
  EXPECT_EQ(JoinLines(SplitLines(u"a\nb")), u"a\r\nb\r\n");
}

}  // namespace
}  // namespace vornel
