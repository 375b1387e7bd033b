#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "installer/taskbar.h"

namespace vornel {
namespace {

class TLogSink : public ITaskbarSink {
 public:
  explicit TLogSink(std::vector<std::string>& log) : FLog(log) {}
  void SetProgressValue(std::int64_t value, std::int64_t maximum) override {
    FLog.push_back("value " + std::to_string(value) + "/" + std::to_string(maximum));
  }
  void SetProgressState(TTaskBarProgressState state) override {
    FLog.push_back("state " + std::to_string(state));
  }
  void SetThumbnailTooltip(const std::u16string& toolTip) override {
    FLog.push_back("tip " + std::to_string(toolTip.size()));
  }

 private:
  std::vector<std::string>& FLog;
};

class TaskbarTest : public ::testing::Test {
 protected:
  std::vector<std::string> log;
  TTaskbar taskbar{std::make_unique<TLogSink>(log)};
};

using Log = std::vector<std::string>;

TEST_F(TaskbarTest, StartsEmpty) {
  EXPECT_EQ(taskbar.ProgressState(), tbpsNone);
  EXPECT_EQ(taskbar.ProgressValue(), 0);
  EXPECT_EQ(taskbar.ProgressMaxValue(), 0);
  EXPECT_TRUE(taskbar.ToolTip().empty());
}

TEST_F(TaskbarTest, ValueIsHeldWithinZeroAndTheMaximum) {
  struct {
    std::int64_t Maximum, Value, Held;
  } const cases[] = {{0, 5, 0},
                     {10, 5, 5},
                     {10, 11, 10},
                     {10, -3, 0},
                     {1LL << 40, (1LL << 40) - 1, (1LL << 40) - 1}};
  for (const auto& c : cases) {
    TTaskbar bar;
    bar.SetProgressMaxValue(c.Maximum);
    bar.SetProgressValue(c.Value);
    EXPECT_EQ(bar.ProgressValue(), c.Held) << c.Maximum << " " << c.Value;
  }
}

TEST_F(TaskbarTest, ValueAboveAZeroMaximumIsNotRememberedForLater) {
  taskbar.SetProgressValue(5);
  taskbar.SetProgressMaxValue(100);
  EXPECT_EQ(taskbar.ProgressValue(), 0);
  EXPECT_EQ(log, (Log{"value 0/100", "state 0"}));
}

TEST_F(TaskbarTest, LoweringTheMaximumLowersTheValue) {
  taskbar.SetProgressMaxValue(100);
  taskbar.SetProgressValue(40);
  log.clear();
  taskbar.SetProgressMaxValue(0);
  EXPECT_EQ(taskbar.ProgressValue(), 0);
  EXPECT_EQ(log, (Log{"value 0/0", "state 0"}));
  taskbar.SetProgressMaxValue(-7);  // held at 0: no change
  EXPECT_EQ(taskbar.ProgressMaxValue(), 0);
  EXPECT_EQ(log.size(), 2u);
}

TEST_F(TaskbarTest, EqualSettingsArePassedOnOnce) {
  taskbar.SetProgressMaxValue(10);
  taskbar.SetProgressValue(3);
  taskbar.SetProgressValue(3);
  taskbar.SetProgressValue(12);
  taskbar.SetProgressValue(10);  // what 12 became
  taskbar.SetProgressState(tbpsNormal);
  taskbar.SetProgressState(tbpsNormal);
  taskbar.SetToolTip(u"ab");
  taskbar.SetToolTip(u"ab");
  taskbar.SetProgressState(tbpsNone);
  taskbar.SetToolTip(u"");
  EXPECT_EQ(log, (Log{"value 0/10", "state 0", "value 3/10", "state 0", "value 10/10", "state 0",
                      "value 10/10", "state 2", "tip 2", "value 10/10", "state 0", "tip 0"}));
}

TEST_F(TaskbarTest, WithoutSinkChangesAreKept) {
  TTaskbar bar;
  bar.SetProgressMaxValue(4);
  bar.SetProgressValue(2);
  bar.SetProgressState(tbpsPaused);
  bar.SetToolTip(u"x");
  EXPECT_EQ(bar.ProgressValue(), 2);
  EXPECT_EQ(bar.ProgressState(), tbpsPaused);
  EXPECT_EQ(bar.ToolTip(), u"x");
}

}  // namespace
}  // namespace vornel
