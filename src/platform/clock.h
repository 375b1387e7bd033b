// Time: a monotonic tick count, sleeping, and local date-time values (days since
// 30 December 1899 as a double, the fraction being the time of day).
#pragma once

#include <cstdint>
#include <ctime>

namespace vornel {

// Milliseconds of CLOCK_MONOTONIC.
std::uint64_t TickCount();
void SleepMs(unsigned milliseconds);

// The local clock now, as a date-time value.
double Now();
// A date-time value of a calendar date and time (no time zone involved).
double EncodeDateTime(int year, int month, int day, int hour, int minute, int second,
                      int millisecond = 0);
// Between local date-time values and seconds of the Unix epoch (localtime_r/mktime).
double UnixToLocalDateTime(std::time_t seconds, long nanoseconds = 0);
std::time_t LocalDateTimeToUnix(double localDateTime);

}  // namespace vornel
