#include "installer/product_table.h"

#include <array>

namespace vornel {

namespace {

constexpr std::array<TProduct, 3> kProducts{{
    {u"INSTALLTARVO", u"/QRTX/Instalace/Tarvo2021_2021K1.zip", u"Tarvo2021_2021K1.zip",
     u"Účetní průvodce Tarvo, revize k 1.1.2021", u"účetního průvodce Tarvo", u"SetupTarvo.exe"},
    {u"INSTALLTARVONET", u"/QRTX/Instalace/Tarvo2021_NET_2021K1.zip", u"Tarvo2021_NET_2021K1.zip",
     u"Účetní průvodce Tarvo, revize k 1.1.2021", u"účetního průvodce Tarvo", u"SetupTarvo.exe"},
    {u"INSTALLKVELOWIN", u"/QRTX/Instalace/KveloWin2021_2021K1.zip", u"KveloWin2021_2021K1.zip",
     u"Kvelo pro Windows, stav k 1.1.2021", u"Kvelo pro Windows", u"SetupKveloWin.exe"},
}};

}  // namespace

std::span<const TProduct> ProductTable() {
  return kProducts;
}

const TProduct* FindProduct(std::u16string_view idApp) {
  for (const TProduct& product : kProducts) {
    if (product.Identity == idApp)
      return &product;
  }
  return nullptr;
}

std::optional<std::u16string> OldInstallerFileOf(std::u16string_view idApp) {
  const TProduct* product = FindProduct(idApp);
  if (product == nullptr)
    return std::nullopt;
  return std::u16string(product->OldInstallerFile);
}

TProductTexts ProductTextsOf(std::u16string_view idApp) {
  const bool tarvo = idApp == kProducts[0].Identity || idApp == kProducts[1].Identity;
  const TProduct& row = tarvo ? kProducts[0] : kProducts[2];
  return {row.CaptionText, row.IntroductionText};
}

std::u16string SetFileNameFromAddress(std::u16string_view address) {
  std::u16string_view rest = address;
  if (const auto colon = rest.rfind(u':'); colon != std::u16string_view::npos) {
    rest.remove_prefix(colon + 1);
  }
  if (const auto slash = rest.find_last_of(u"/\\"); slash != std::u16string_view::npos) {
    rest.remove_prefix(slash + 1);
  }
  return std::u16string(rest);
}

}  // namespace vornel
