#include "installer/support/product_addresses.h"

#include "installer/product_table.h"

namespace vornel::test {

std::optional<std::u16string> DownloadAddress(std::u16string_view idApp) {
  const TProduct* product = FindProduct(idApp);
  if (product == nullptr)
    return std::nullopt;
  return u"https://" + std::u16string(PublisherHost()) + std::u16string(product->DownloadPath);
}

std::optional<std::u16string> SetFileNameOf(std::u16string_view idApp) {
  const std::optional<std::u16string> address = DownloadAddress(idApp);
  if (!address)
    return std::nullopt;
  return SetFileNameFromAddress(*address);
}

}  // namespace vornel::test
