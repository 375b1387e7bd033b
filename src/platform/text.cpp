#include "platform/text.h"

namespace vornel {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

void AppendUtf16(std::u16string& out, char32_t c) {
  if (c < 0x10000) {
    out.push_back(static_cast<char16_t>(c));
  } else {
    c -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
  }
}

char16_t AsciiUpper(char16_t c) {
  return (c >= u'a' && c <= u'z') ? c - 32 : c;
}
char16_t AsciiLower(char16_t c) {
  return (c >= u'A' && c <= u'Z') ? c + 32 : c;
}

}  // namespace

std::string ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = kReplacement;
    }
    AppendUtf8(out, c);
  }
  return out;
}

std::u16string FromUtf8(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t n = text.size();
  std::size_t i = 0;
  while (i < n) {
    const unsigned char b = p[i];
    if (b < 0x80) {
      out.push_back(b);
      ++i;
      continue;
    }
    int extra;
    char32_t c;
    char32_t min;
    if (b >= 0xC2 && b <= 0xDF) {
      extra = 1, c = b & 0x1F, min = 0x80;
    } else if (b >= 0xE0 && b <= 0xEF) {
      extra = 2, c = b & 0x0F, min = 0x800;
    } else if (b >= 0xF0 && b <= 0xF4) {
      extra = 3, c = b & 0x07, min = 0x10000;
    } else {
      out.push_back(kReplacement);
      ++i;
      continue;
    }
    std::size_t j = i + 1;
    int k = 0;
    for (; k < extra && j < n && (p[j] & 0xC0) == 0x80; ++k, ++j) {
      c = (c << 6) | (p[j] & 0x3F);
    }
    if (k < extra || c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
      out.push_back(kReplacement);
      i = (k < extra) ? j : i + 1 + extra;
      continue;
    }
    AppendUtf16(out, c);
    i = j;
  }
  return out;
}

std::u16string AsciiUpperCase(std::u16string_view text) {
  std::u16string out(text);
  for (auto& c : out)
    c = AsciiUpper(c);
  return out;
}

std::u16string AsciiLowerCase(std::u16string_view text) {
  std::u16string out(text);
  for (auto& c : out)
    c = AsciiLower(c);
  return out;
}

bool SameTextAscii(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size())
    return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (AsciiUpper(a[i]) != AsciiUpper(b[i]))
      return false;
  }
  return true;
}

std::u16string Trim(std::u16string_view text) {
  return TrimLeft(TrimRight(text));
}

std::u16string TrimLeft(std::u16string_view text) {
  std::size_t start = 0;
  while (start < text.size() && text[start] <= u' ')
    ++start;
  return std::u16string(text.substr(start));
}

std::u16string TrimRight(std::u16string_view text) {
  std::size_t end = text.size();
  while (end > 0 && text[end - 1] <= u' ')
    --end;
  return std::u16string(text.substr(0, end));
}

std::u16string IntToText(std::int64_t value) {
  const std::string digits = std::to_string(value);
  return std::u16string(digits.begin(), digits.end());
}

}  // namespace vornel
