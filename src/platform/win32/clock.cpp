#include "platform/clock.h"

#include <cmath>

#include "platform/calendar.h"

#include <windows.h>

namespace vornel {

namespace {

// 100-nanosecond intervals between 1601-01-01 (FILETIME) and 1970-01-01.
constexpr std::int64_t kUnixEpochInFileTime = 116444736000000000LL;

double FromSystemTime(const SYSTEMTIME& time) {
  return EncodeDateTime(time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute, time.wSecond,
                        time.wMilliseconds);
}

}  // namespace

std::uint64_t TickCount() {
  return GetTickCount64();
}

void SleepMs(unsigned milliseconds) {
  ::Sleep(milliseconds);
}

double Now() {
  SYSTEMTIME local{};
  GetLocalTime(&local);
  return FromSystemTime(local);
}

double UnixToLocalDateTime(std::time_t seconds, long nanoseconds) {
  const std::int64_t ticks =
      static_cast<std::int64_t>(seconds) * 10000000LL + nanoseconds / 100 + kUnixEpochInFileTime;
  FILETIME universal{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
  SYSTEMTIME utc{};
  SYSTEMTIME local{};
  if (!FileTimeToSystemTime(&universal, &utc) ||
      !SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local))
    return 0;
  return FromSystemTime(local);
}

std::time_t LocalDateTimeToUnix(double localDateTime) {
  const double dayPart = std::floor(localDateTime);
  const TCivilDate date = CivilFromDays(static_cast<std::int64_t>(dayPart));
  const auto secondsOfDay = static_cast<int>(std::lround((localDateTime - dayPart) * 86400.0));
  SYSTEMTIME local{};
  local.wYear = static_cast<WORD>(date.Year);
  local.wMonth = static_cast<WORD>(date.Month);
  local.wDay = static_cast<WORD>(date.Day);
  local.wHour = static_cast<WORD>(secondsOfDay / 3600);
  local.wMinute = static_cast<WORD>(secondsOfDay / 60 % 60);
  local.wSecond = static_cast<WORD>(secondsOfDay % 60);
  SYSTEMTIME utc{};
  FILETIME universal{};
  if (!TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc) ||
      !SystemTimeToFileTime(&utc, &universal))
    return -1;
  const std::int64_t ticks =
      (static_cast<std::int64_t>(universal.dwHighDateTime) << 32) | universal.dwLowDateTime;
  return static_cast<std::time_t>((ticks - kUnixEpochInFileTime) / 10000000LL);
}

}  // namespace vornel
