#include "platform/clock.h"

#include <time.h>

#include <cmath>

#include "platform/calendar.h"

namespace vornel {

std::uint64_t TickCount() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<std::uint64_t>(ts.tv_sec) * 1000u +
         static_cast<std::uint64_t>(ts.tv_nsec / 1000000);
}

void SleepMs(unsigned milliseconds) {
  timespec ts{static_cast<time_t>(milliseconds / 1000),
              static_cast<long>(milliseconds % 1000) * 1000000L};
  while (nanosleep(&ts, &ts) != 0) {
  }
}

double UnixToLocalDateTime(std::time_t seconds, long nanoseconds) {
  tm local{};
  localtime_r(&seconds, &local);
  return EncodeDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                        local.tm_min, local.tm_sec, static_cast<int>(nanoseconds / 1000000));
}

double Now() {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  return UnixToLocalDateTime(ts.tv_sec, ts.tv_nsec);
}

std::time_t LocalDateTimeToUnix(double localDateTime) {
  const double dayPart = std::floor(localDateTime);
  const TCivilDate date = CivilFromDays(static_cast<std::int64_t>(dayPart));
  const auto secondsOfDay = static_cast<int>(std::lround((localDateTime - dayPart) * 86400.0));
  tm local{};
  local.tm_year = static_cast<int>(date.Year - 1900);
  local.tm_mon = static_cast<int>(date.Month) - 1;
  local.tm_mday = static_cast<int>(date.Day);
  local.tm_hour = secondsOfDay / 3600;
  local.tm_min = secondsOfDay / 60 % 60;
  local.tm_sec = secondsOfDay % 60;
  local.tm_isdst = -1;
  return mktime(&local);
}

}  // namespace vornel
