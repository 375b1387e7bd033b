#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "platform/clock.h"

namespace vornel {
namespace {

TEST(ClockTest, DateTimeValuesCountDaysSince30December1899) {
  struct Case {
    int y, m, d, h, n, s;
    double value;
  } cases[] = {
      {1899, 12, 30, 0, 0, 0, 0.0},     {1900, 1, 1, 0, 0, 0, 2.0},
      {1970, 1, 1, 0, 0, 0, 25569.0},   {2021, 1, 1, 12, 0, 0, 44197.5},
      {2026, 12, 9, 6, 0, 0, 46365.25}, {1899, 12, 29, 0, 0, 0, -1.0},
  };
  for (const auto& c : cases) {
    EXPECT_DOUBLE_EQ(EncodeDateTime(c.y, c.m, c.d, c.h, c.n, c.s), c.value) << c.y << "-" << c.m;
  }
}

TEST(ClockTest, UnixSecondsAndLocalValuesAgreeInTheLocalZone) {
  ::setenv("TZ", "Europe/Prague", 1);
  ::tzset();
  // 2021-01-01 00:00:00 UTC is 01:00 in Prague (winter time).
  EXPECT_DOUBLE_EQ(UnixToLocalDateTime(1609459200), EncodeDateTime(2021, 1, 1, 1, 0, 0));
  EXPECT_EQ(LocalDateTimeToUnix(EncodeDateTime(2021, 1, 1, 1, 0, 0)), 1609459200);
  // Summer time: 2021-07-01 12:00 in Prague is 10:00 UTC.
  EXPECT_EQ(LocalDateTimeToUnix(EncodeDateTime(2021, 7, 1, 12, 0, 0)), 1625133600);
  ::unsetenv("TZ");
  ::tzset();
}

TEST(ClockTest, NowIsTodayAndTicksRise) {
  const double now = Now();
  EXPECT_GT(now, EncodeDateTime(2020, 1, 1, 0, 0, 0));
  const auto before = TickCount();
  SleepMs(20);
  EXPECT_GE(TickCount() - before, 20u);
}

}  // namespace
}  // namespace vornel
