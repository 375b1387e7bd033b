// The three products one executable serves, and the lookups by identity.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace vornel {

struct TProduct {
  std::u16string_view Identity;
  std::u16string_view DownloadPath;  // path on the publisher's host
  std::u16string_view SetFileName;
  std::u16string_view CaptionText;
  std::u16string_view IntroductionText;
  std::u16string_view OldInstallerFile;  // removed from the installer's folder at close
};

std::span<const TProduct> ProductTable();

// The publisher's host name, fixed at build time.
std::u16string_view PublisherHost();

// The row of an identity; null for an identity in no row.
const TProduct* FindProduct(std::u16string_view idApp);

std::optional<std::u16string> OldInstallerFileOf(std::u16string_view idApp);

// The texts put into the caption and the introduction: the Tarvo texts for both
// Tarvo identities, the Kvelo texts for every other identity.
struct TProductTexts {
  std::u16string_view Caption;
  std::u16string_view Introduction;
};
TProductTexts ProductTextsOf(std::u16string_view idApp);

// The last segment of an address's path: after the last colon, then after the last
// "/" or "\".
std::u16string SetFileNameFromAddress(std::u16string_view address);

}  // namespace vornel
