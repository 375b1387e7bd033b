#include <array>
#include <string_view>

#include "platform/code_page.h"

// The code pages of a locale's language, the same table on every system.

namespace vornel {

namespace {

struct TLanguagePages {
  const char* Languages;  // space-separated language codes
  TCodePages Pages;
};

constexpr std::array<TLanguagePages, 8> kLanguagePages{{
    {"cs sk pl hu hr sl ro sq", {1250, 852}},
    {"ru uk be bg sr mk", {1251, 866}},
    {"el", {1253, 737}},
    {"tr", {1254, 857}},
    {"he", {1255, 862}},
    {"ar", {1256, 720}},
    {"lt lv et", {1257, 775}},
    {"de fr it es pt nl da sv no fi is", {1252, 850}},
}};

bool ListHas(std::string_view list, std::string_view language) {
  std::size_t start = 0;
  while (start < list.size()) {
    std::size_t end = list.find(' ', start);
    if (end == std::string_view::npos)
      end = list.size();
    if (list.substr(start, end - start) == language)
      return true;
    start = end + 1;
  }
  return false;
}

}  // namespace

TCodePages CodePagesForLocale(std::string_view localeName) {
  std::string_view language = localeName;
  const auto cut = language.find_first_of("_.@");
  if (cut != std::string_view::npos)
    language = language.substr(0, cut);
  if (!language.empty() && language != "C" && language != "POSIX") {
    for (const auto& row : kLanguagePages) {
      if (ListHas(row.Languages, language))
        return row.Pages;
    }
  }
  return {1252, 437};
}

}  // namespace vornel
