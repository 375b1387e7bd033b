// The arithmetic and the texts of the download's progress display: kilobytes for
// the bar and the taskbar, the announced size and the average speed in megabytes,
// the elapsed and remaining whole seconds (16-bit fields, so modulo 65536), and the
// status line of the label in its markup.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vornel {

// bytes / 1024 rounded to the nearest integer, an exact half to the even neighbour.
std::int64_t KilobytesOf(std::int64_t bytes);

// bytes / 1024 / 1024, unrounded.
double MegabytesOf(std::int64_t bytes);

// Seconds between two local date-times, from the time-of-day part of their
// difference rounded to whole milliseconds: the whole seconds modulo 65536 plus the
// milliseconds as a fraction. Whole days drop out.
double ElapsedSeconds(double startDateTime, double nowDateTime);

// The average speed in megabytes per second after kb kilobytes in elapsed seconds;
// the previous speed while no time has passed.
double AverageSpeedOf(std::int64_t kb, double elapsed, double previousSpeed);

// Whole seconds still to go for the kilobytes between kb and maximumKb at the given
// speed, truncated and taken modulo 65536. Only meaningful for a speed above 0.
std::uint16_t RemainingSeconds(std::int64_t maximumKb, std::int64_t kb, double speed);

// "hh:mm:ss", each field in decimal cut to its last two digits.
std::u16string ClockText(std::uint16_t seconds);

// The value with the given number of decimals (rounded half away from zero) and the
// given decimal separator: "1,250" for 1.25, 3 decimals and ",".
std::u16string FixedText(double value, int decimals, char16_t decimalSeparator);

// The status lines of HTMText_InfoDown.
std::u16string BeginStatusText(std::u16string_view zipFileName);
std::u16string EndStatusText(std::u16string_view zipFileName);

// The line during the transfer. The remaining time is shown only while the speed is
// above 0 and a length was announced (maximumKb above 0).
std::u16string TransferStatusText(std::u16string_view zipFileName, double sizeMb, double speed,
                                  std::int64_t maximumKb, std::int64_t kb,
                                  char16_t decimalSeparator);

}  // namespace vornel
