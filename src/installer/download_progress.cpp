#include "installer/download_progress.h"

#include <charconv>
#include <cmath>

namespace vornel {

namespace {

constexpr std::int64_t MSecsPerDay = 86400000;

std::u16string Widened(std::string_view text) {
  return {text.begin(), text.end()};
}

// The last two characters of "00" followed by the number.
std::u16string TwoDigits(unsigned number) {
  const std::u16string text = u"00" + Widened(std::to_string(number));
  return text.substr(text.size() - 2);
}

}  // namespace

std::int64_t KilobytesOf(std::int64_t bytes) {
  // Floor division, so that the rest lies in 0..1023 for negative counts too.
  std::int64_t whole = bytes / 1024;
  std::int64_t rest = bytes % 1024;
  if (rest < 0) {
    whole -= 1;
    rest += 1024;
  }
  if (rest > 512 || (rest == 512 && whole % 2 != 0))
    return whole + 1;
  return whole;
}

double MegabytesOf(std::int64_t bytes) {
  return static_cast<double>(bytes) / 1024 / 1024;
}

double ElapsedSeconds(double startDateTime, double nowDateTime) {
  // Rounded to whole milliseconds with ties to even, as the date-time split does;
  // the time of day is taken from the magnitude.
  const double totalMs = std::nearbyint((nowDateTime - startDateTime) * MSecsPerDay);
  const auto timeOfDay = static_cast<std::int64_t>(std::fmod(std::fabs(totalMs), MSecsPerDay));
  const std::int64_t hours = timeOfDay / 3600000;
  const std::int64_t minutes = timeOfDay / 60000 % 60;
  const std::int64_t seconds = timeOfDay / 1000 % 60;
  const std::int64_t milliseconds = timeOfDay % 1000;
  const auto secs = static_cast<std::uint16_t>(hours * 3600 + minutes * 60 + seconds);
  return static_cast<double>(milliseconds) / 1000 + secs;
}

double AverageSpeedOf(std::int64_t kb, double elapsed, double previousSpeed) {
  if (elapsed > 0)
    return static_cast<double>(kb) / 1024 / elapsed;
  return previousSpeed;
}

std::uint16_t RemainingSeconds(std::int64_t maximumKb, std::int64_t kb, double speed) {
  const double seconds = std::trunc(static_cast<double>(maximumKb - kb) / 1024 / speed);
  if (!std::isfinite(seconds))
    return 0;
  // Modulo 65536 on the double, so that no value is too large for an integer.
  double wrapped = std::fmod(seconds, 65536.0);
  if (wrapped < 0)
    wrapped += 65536.0;
  return static_cast<std::uint16_t>(wrapped);
}

std::u16string ClockText(std::uint16_t seconds) {
  return TwoDigits(seconds / 3600u) + u":" + TwoDigits(seconds / 60u % 60u) + u":" +
         TwoDigits(seconds % 60u);
}

std::u16string FixedText(double value, int decimals, char16_t decimalSeparator) {
  // The shortest decimal form that reads back as the value, rounded half away from
  // zero at the wanted decimal, as a person would round the printed number.
  // to_chars ignores the C locale, which the GUI sets from the environment.
  if (!std::isfinite(value))
    value = 0;
  char buffer[400];
  const auto result =
      std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value), std::chars_format::fixed);
  std::string shortest(buffer, result.ptr);
  const std::size_t point = shortest.find('.');
  std::string whole = shortest.substr(0, point);
  std::string fraction = point == std::string::npos ? std::string() : shortest.substr(point + 1);
  const bool roundUp = fraction.size() > static_cast<std::size_t>(decimals) &&
                       fraction[static_cast<std::size_t>(decimals)] >= '5';
  fraction.resize(static_cast<std::size_t>(decimals), '0');
  std::string digits = whole + fraction;
  if (roundUp) {
    std::size_t i = digits.size();
    while (i > 0 && digits[i - 1] == '9')
      digits[--i] = '0';
    if (i == 0)
      digits.insert(digits.begin(), '1');
    else
      ++digits[i - 1];
  }
  const std::size_t wholeDigits = digits.size() - static_cast<std::size_t>(decimals);
  std::u16string text = Widened(digits.substr(0, wholeDigits));
  if (decimals > 0)
    text += decimalSeparator + Widened(digits.substr(wholeDigits));
  const bool negative = value < 0 && digits.find_first_not_of('0') != std::string::npos;
  return negative ? u"-" + text : text;
}

std::u16string BeginStatusText(std::u16string_view zipFileName) {
  return u"Začíná stahování " + std::u16string(zipFileName);
}

std::u16string EndStatusText(std::u16string_view zipFileName) {
  return u" Stahování " + std::u16string(zipFileName) + u" ukončeno; čekejte prosím.";
}

std::u16string TransferStatusText(std::u16string_view zipFileName, double sizeMb, double speed,
                                  std::int64_t maximumKb, std::int64_t kb,
                                  char16_t decimalSeparator) {
  // Built in one string: the line is made for every block of the download.
  std::u16string text;
  text.reserve(zipFileName.size() + 160);
  text += u"Stahuje se soubor <B>";
  text += zipFileName;
  text += u"</B> (velikost <B>";
  text += FixedText(sizeMb, 3, decimalSeparator);
  text += u" MB</B>); rychlost stahování <B>";
  text += FixedText(speed, 2, decimalSeparator);
  text += u" MB/s</B>; ";
  if (speed > 0 && maximumKb > 0) {
    text += u"zbývající čas <B>";
    text += ClockText(RemainingSeconds(maximumKb, kb, speed));
    text += u"</B>.";
  }
  return text;
}

}  // namespace vornel
