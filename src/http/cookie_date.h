// Dates of the "Expires" attribute of cookies.
#pragma once

#include <optional>
#include <string_view>

namespace vornel {

// Reads a cookie date the way browsers do: the date's parts are found among the
// tokens whatever their order or separators, so the RFC 6265 form, the forms of
// RFC 850 and asctime and the older Netscape form ("Wdy, DD-Mon-YY HH:MM:SS GMT")
// all read. The date is UTC; the result is a local date-time value. Nothing when
// a part is missing or out of range.
std::optional<double> ParseCookieDate(std::u16string_view text);

}  // namespace vornel
