// The proleptic Gregorian calendar behind date-time values, for the clock's
// implementations.
#pragma once

#include <cstdint>

namespace vornel {

struct TCivilDate {
  std::int64_t Year;
  unsigned Month;
  unsigned Day;
};

// Days from 30 December 1899 to a civil date, and back.
std::int64_t DaysFromCivil(std::int64_t year, unsigned month, unsigned day);
TCivilDate CivilFromDays(std::int64_t days);

}  // namespace vornel
