#include "platform/code_page.h"

#include <string>

#include "platform/text.h"

#include <windows.h>

namespace vornel {

TCodePages UserCodePages() {
  return {static_cast<int>(GetACP()), static_cast<int>(GetOEMCP())};
}

int AnsiCodePage() {
  return static_cast<int>(GetACP());
}
int OemCodePage() {
  return static_cast<int>(GetOEMCP());
}

std::u16string DecodeCodePage(int codePage, const std::uint8_t* data, std::size_t size) {
  if (codePage == 65001)
    return FromUtf8(std::string_view(reinterpret_cast<const char*>(data), size));
  if (size == 0)
    return {};
  const auto* in = reinterpret_cast<const char*>(data);
  const int length = static_cast<int>(size);
  // Without MB_ERR_INVALID_CHARS a byte without a character becomes the page's
  // default character; U+FFFD is asked for by decoding byte by byte on failure.
  const int count = MultiByteToWideChar(static_cast<UINT>(codePage), MB_ERR_INVALID_CHARS, in,
                                        length, nullptr, 0);
  if (count > 0) {
    std::u16string out(static_cast<std::size_t>(count), u'\0');
    MultiByteToWideChar(static_cast<UINT>(codePage), MB_ERR_INVALID_CHARS, in, length,
                        reinterpret_cast<wchar_t*>(out.data()), count);
    // The system's tables give the bytes that a single-byte page leaves undefined
    // (0x81 of 1250) the C1 control of their number; they have no character.
    CPINFO info{};
    if (GetCPInfo(static_cast<UINT>(codePage), &info) && info.MaxCharSize == 1) {
      for (char16_t& c : out) {
        if (c >= 0x80 && c <= 0x9F)
          c = u'\uFFFD';
      }
    }
    return out;
  }
  if (GetLastError() == ERROR_INVALID_PARAMETER) {
    // An unknown code page: each byte is the character of its number.
    return std::u16string(data, data + size);
  }
  std::u16string out;
  out.reserve(size);
  for (std::size_t i = 0; i < size;) {
    // The longest sequence from i that decodes (double-byte pages use two bytes).
    wchar_t unit[2] = {};
    int used = 0;
    for (int width = 1; width <= 2 && i + static_cast<std::size_t>(width) <= size; ++width) {
      if (MultiByteToWideChar(static_cast<UINT>(codePage), MB_ERR_INVALID_CHARS, in + i, width,
                              unit, 2) > 0) {
        used = width;
        break;
      }
    }
    if (used == 0) {
      out.push_back(u'\uFFFD');
      ++i;
    } else {
      out.push_back(static_cast<char16_t>(unit[0]));
      i += static_cast<std::size_t>(used);
    }
  }
  return out;
}

std::u16string DecodeCodePage(int codePage, const TBytes& bytes) {
  return DecodeCodePage(codePage, bytes.data(), bytes.size());
}

TBytes EncodeCodePage(int codePage, std::u16string_view text) {
  if (codePage == 65001) {
    const std::string utf8 = ToUtf8(text);
    return TBytes(utf8.begin(), utf8.end());
  }
  if (text.empty())
    return {};
  const auto* in = reinterpret_cast<const wchar_t*>(text.data());
  const int length = static_cast<int>(text.size());
  // No best fit: a character the page lacks is "?", never a look-alike ("r" for "ř").
  const int count = WideCharToMultiByte(static_cast<UINT>(codePage), WC_NO_BEST_FIT_CHARS, in,
                                        length, nullptr, 0, "?", nullptr);
  if (count <= 0) {
    TBytes out;
    for (char16_t c : text)
      out.push_back(c < 256 ? static_cast<std::uint8_t>(c) : '?');
    return out;
  }
  TBytes out(static_cast<std::size_t>(count));
  WideCharToMultiByte(static_cast<UINT>(codePage), WC_NO_BEST_FIT_CHARS, in, length,
                      reinterpret_cast<char*>(out.data()), count, "?", nullptr);
  return out;
}

}  // namespace vornel
