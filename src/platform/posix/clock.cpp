#include "platform/clock.h"

#include <time.h>

#include <cmath>

namespace vornel {

namespace {

// Days from 30 December 1899 to a civil date (proleptic Gregorian calendar).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  const std::int64_t unixDays = era * 146097 + static_cast<std::int64_t>(doe) - 719468;
  return unixDays + 25569;  // 1970-01-01 is day 25569
}

}  // namespace

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

double EncodeDateTime(int year, int month, int day, int hour, int minute, int second,
                      int millisecond) {
  const double days = static_cast<double>(
      DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)));
  const double time =
      (hour * 3600000.0 + minute * 60000.0 + second * 1000.0 + millisecond) / 86400000.0;
  return days + time;
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
  std::int64_t unixDays = static_cast<std::int64_t>(dayPart) - 25569;
  // Civil date of the day (inverse of DaysFromCivil).
  const std::int64_t z = unixDays + 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const unsigned d = doy - (153 * mp + 2) / 5 + 1;
  const unsigned m = mp < 10 ? mp + 3 : mp - 9;
  const std::int64_t y = static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2);
  const auto secondsOfDay = static_cast<int>(std::lround((localDateTime - dayPart) * 86400.0));
  tm local{};
  local.tm_year = static_cast<int>(y - 1900);
  local.tm_mon = static_cast<int>(m) - 1;
  local.tm_mday = static_cast<int>(d);
  local.tm_hour = secondsOfDay / 3600;
  local.tm_min = secondsOfDay / 60 % 60;
  local.tm_sec = secondsOfDay % 60;
  local.tm_isdst = -1;
  return mktime(&local);
}

}  // namespace vornel
