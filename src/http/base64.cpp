#include "http/base64.h"

#include "platform/text.h"

namespace vornel {

namespace {

constexpr char16_t kAlphabet[] =
    u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int SextetOf(char16_t c) {
  if (c >= u'A' && c <= u'Z')
    return c - u'A';
  if (c >= u'a' && c <= u'z')
    return c - u'a' + 26;
  if (c >= u'0' && c <= u'9')
    return c - u'0' + 52;
  if (c == u'+')
    return 62;
  if (c == u'/')
    return 63;
  return -1;
}

}  // namespace

std::u16string Base64Encode(const TBytes& bytes) {
  std::u16string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    const std::size_t n = bytes.size() - i < 3 ? bytes.size() - i : 3;
    std::uint32_t group = static_cast<std::uint32_t>(bytes[i]) << 16;
    if (n > 1)
      group |= static_cast<std::uint32_t>(bytes[i + 1]) << 8;
    if (n > 2)
      group |= bytes[i + 2];
    out += kAlphabet[(group >> 18) & 63];
    out += kAlphabet[(group >> 12) & 63];
    out += n > 1 ? kAlphabet[(group >> 6) & 63] : u'=';
    out += n > 2 ? kAlphabet[group & 63] : u'=';
  }
  return out;
}

std::optional<TBytes> Base64Decode(std::u16string_view input) {
  const std::u16string text = Trim(input);
  std::size_t end = text.size();
  while (end > 0 && text[end - 1] == u'=' && text.size() - end < 2)
    --end;
  TBytes out;
  out.reserve(end / 4 * 3 + 2);
  std::uint32_t group = 0;
  int sextets = 0;
  for (std::size_t i = 0; i < end; ++i) {
    const int value = SextetOf(text[i]);
    if (value < 0)
      return std::nullopt;
    group = (group << 6) | static_cast<std::uint32_t>(value);
    if (++sextets == 4) {
      out.push_back(static_cast<std::uint8_t>(group >> 16));
      out.push_back(static_cast<std::uint8_t>(group >> 8));
      out.push_back(static_cast<std::uint8_t>(group));
      group = 0;
      sextets = 0;
    }
  }
  if (sextets == 1)
    return std::nullopt;
  if (sextets == 2) {
    out.push_back(static_cast<std::uint8_t>(group >> 4));
  } else if (sextets == 3) {
    out.push_back(static_cast<std::uint8_t>(group >> 10));
    out.push_back(static_cast<std::uint8_t>(group >> 2));
  }
  return out;
}

}  // namespace vornel
