// HTTP dates (RFC 7231: IMF-fixdate, the obsolete RFC 850 form and asctime's form)
// to and from local date-time values.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vornel {

// The date as a local date-time value; nothing when the text is no HTTP date.
std::optional<double> ParseHTTPDate(std::u16string_view text);
// IMF-fixdate ("Sun, 06 Nov 1994 08:49:37 GMT") of a local date-time value.
std::u16string FormatHTTPDate(double localDateTime);

}  // namespace vornel
