#include <stdexcept>

#include <gtest/gtest.h>

#include "installer/exception_handling.h"
#include "installer/support/recording_view.h"
#include "platform/exception.h"
#include "platform/text.h"

namespace vornel {
namespace {

TEST(ExceptionHandlingTest, DotIsAppendedAfterCharactersAboveIt) {
  struct {
    const char16_t* Message;
    const char16_t* Shown;
  } const cases[] = {
      {u"Disk full", u"Disk full."},
      {u"Connection Closed Gracefully", u"Connection Closed Gracefully."},
      {u"Already ends.", u"Already ends."},
      {u"Ends in a hyphen -", u"Ends in a hyphen -"},  // '-' lies below '.'
      {u"Ends in a bang!", u"Ends in a bang!"},
      {u"Ends in a slash/", u"Ends in a slash/."},  // '/' lies above '.'
      {u"Kód 5", u"Kód 5."},
      {u"Chyba č", u"Chyba č."},
      {u"", u""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ToUtf8(ErrorBoxText(c.Message)), ToUtf8(c.Shown));
  }
}

TEST(ExceptionHandlingTest, HandlerExceptionsReachTheErrorBoxAndAbortShowsNothing) {
  TRecordingView view;
  RunHandler(view, [] { throw Exception(u"Cannot create file \"x\". No such file"); });
  RunHandler(view, [] { throw EAbort(); });
  RunHandler(view, [] { throw std::runtime_error("plain"); });
  RunHandler(view, [] { throw 42; });
  bool ran = false;
  RunHandler(view, [&] { ran = true; });
  EXPECT_TRUE(ran);
  ASSERT_EQ(view.ErrorBoxes().size(), 3u);
  EXPECT_EQ(ToUtf8(view.ErrorBoxes()[0]), "Cannot create file \"x\". No such file.");
  EXPECT_EQ(ToUtf8(view.ErrorBoxes()[1]), "plain.");
  EXPECT_EQ(ToUtf8(view.ErrorBoxes()[2]), "Unknown exception.");
}

}  // namespace
}  // namespace vornel
