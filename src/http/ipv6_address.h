// Whether a host text is an IPv6 address literal, by the system's own parser
// (posix/ on Linux, win32/ on Windows).
#pragma once

#include <string>

namespace vornel {

bool IsIPv6Address(const std::u16string& host);

}  // namespace vornel
