// What the tests expect of a product row: the address its download is fetched
// from and the name its set is saved under.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vornel::test {

// The publisher's host and the row's path; none for an identity in no row.
std::optional<std::u16string> DownloadAddress(std::u16string_view idApp);
// The last segment of that address.
std::optional<std::u16string> SetFileNameOf(std::u16string_view idApp);

}  // namespace vornel::test
