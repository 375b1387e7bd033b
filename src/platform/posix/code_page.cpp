#include "platform/code_page.h"

#include <iconv.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <string>

#include "platform/text.h"

namespace vornel {

namespace {

std::string IconvName(int codePage) {
  switch (codePage) {
    case CP_UTF8:
      return "UTF-8";
    case 437:
    case 737:
    case 775:
    case 850:
    case 852:
    case 857:
    case 862:
    case 866:
      return "IBM" + std::to_string(codePage);
    default:
      return "CP" + std::to_string(codePage);
  }
}

// An iconv descriptor closed on every path.
class TIconv {
 public:
  TIconv(const std::string& to, const std::string& from)
      : FHandle(iconv_open(to.c_str(), from.c_str())) {}
  ~TIconv() {
    if (Valid())
      iconv_close(FHandle);
  }
  TIconv(const TIconv&) = delete;
  TIconv& operator=(const TIconv&) = delete;
  bool Valid() const { return FHandle != reinterpret_cast<iconv_t>(-1); }
  iconv_t Get() const { return FHandle; }

 private:
  iconv_t FHandle;
};

}  // namespace

TCodePages UserCodePages() {
  for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && value[0] != '\0')
      return CodePagesForLocale(value);
  }
  return CodePagesForLocale("C");
}

int AnsiCodePage() {
  return UserCodePages().Ansi;
}
int OemCodePage() {
  return UserCodePages().Oem;
}

std::u16string DecodeCodePage(int codePage, const std::uint8_t* data, std::size_t size) {
  if (codePage == CP_UTF8) {
    return FromUtf8(std::string_view(reinterpret_cast<const char*>(data), size));
  }
  TIconv cd("UTF-16LE", IconvName(codePage));
  std::u16string out;
  if (!cd.Valid()) {
    out.assign(data, data + size);
    return out;
  }
  out.reserve(size);
  auto* in = const_cast<char*>(reinterpret_cast<const char*>(data));
  std::size_t inLeft = size;
  std::array<char16_t, 512> chunk{};
  while (inLeft > 0) {
    auto* outPtr = reinterpret_cast<char*>(chunk.data());
    std::size_t outLeft = sizeof chunk;
    const std::size_t result = iconv(cd.Get(), &in, &inLeft, &outPtr, &outLeft);
    out.append(chunk.data(), (sizeof chunk - outLeft) / sizeof(char16_t));
    if (result == static_cast<std::size_t>(-1)) {
      if (errno == E2BIG)
        continue;
      // EILSEQ or EINVAL: a byte without a character.
      out.push_back(u'\uFFFD');
      ++in;
      --inLeft;
      iconv(cd.Get(), nullptr, nullptr, nullptr, nullptr);
    }
  }
  return out;
}

std::u16string DecodeCodePage(int codePage, const TBytes& bytes) {
  return DecodeCodePage(codePage, bytes.data(), bytes.size());
}

TBytes EncodeCodePage(int codePage, std::u16string_view text) {
  if (codePage == CP_UTF8) {
    const std::string utf8 = ToUtf8(text);
    return TBytes(utf8.begin(), utf8.end());
  }
  TBytes out;
  TIconv cd(IconvName(codePage), "UTF-16LE");
  if (!cd.Valid()) {
    for (char16_t c : text)
      out.push_back(c < 256 ? static_cast<std::uint8_t>(c) : '?');
    return out;
  }
  out.reserve(text.size());
  auto* in = const_cast<char*>(reinterpret_cast<const char*>(text.data()));
  std::size_t inLeft = text.size() * sizeof(char16_t);
  std::array<char, 512> chunk{};
  while (inLeft > 0) {
    char* outPtr = chunk.data();
    std::size_t outLeft = chunk.size();
    const std::size_t result = iconv(cd.Get(), &in, &inLeft, &outPtr, &outLeft);
    out.insert(out.end(), chunk.data(), chunk.data() + (chunk.size() - outLeft));
    if (result == static_cast<std::size_t>(-1)) {
      if (errno == E2BIG)
        continue;
      // A character the page lacks (or half a surrogate pair): skip its code units.
      out.push_back('?');
      const auto* unit = reinterpret_cast<const char16_t*>(in);
      const std::size_t units = (*unit >= 0xD800 && *unit <= 0xDBFF && inLeft >= 4) ? 2 : 1;
      in += units * sizeof(char16_t);
      inLeft -= units * sizeof(char16_t);
      iconv(cd.Get(), nullptr, nullptr, nullptr, nullptr);
    }
  }
  return out;
}

}  // namespace vornel
