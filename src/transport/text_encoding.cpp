#include "transport/text_encoding.h"

#include "platform/code_page.h"
#include "platform/text.h"

namespace vornel {

namespace {

class TAsciiEncoding : public INetTextEncoding {
 public:
  TBytes GetBytes(std::u16string_view AText) const override {
    TBytes bytes(AText.size());
    for (std::size_t i = 0; i < AText.size(); ++i) {
      bytes[i] = AText[i] < 128 ? static_cast<std::uint8_t>(AText[i]) : '?';
    }
    return bytes;
  }
  std::u16string GetString(const std::uint8_t* AData, std::size_t ASize) const override {
    std::u16string text(ASize, u'\0');
    for (std::size_t i = 0; i < ASize; ++i)
      text[i] = AData[i] < 0x80 ? AData[i] : u'\xFFFD';
    return text;
  }
  std::size_t CharByteLength(const std::uint8_t*, std::size_t) const override { return 1; }
  std::size_t MaxCharByteLength() const override { return 1; }
};

class T8BitEncoding : public INetTextEncoding {
 public:
  TBytes GetBytes(std::u16string_view AText) const override {
    TBytes bytes(AText.size());
    for (std::size_t i = 0; i < AText.size(); ++i) {
      bytes[i] = AText[i] < 256 ? static_cast<std::uint8_t>(AText[i]) : '?';
    }
    return bytes;
  }
  std::u16string GetString(const std::uint8_t* AData, std::size_t ASize) const override {
    return std::u16string(AData, AData + ASize);
  }
  std::size_t CharByteLength(const std::uint8_t*, std::size_t) const override { return 1; }
  std::size_t MaxCharByteLength() const override { return 1; }
};

class TUtf8Encoding : public INetTextEncoding {
 public:
  TBytes GetBytes(std::u16string_view AText) const override {
    const std::string text = ToUtf8(AText);
    return TBytes(text.begin(), text.end());
  }
  std::u16string GetString(const std::uint8_t* AData, std::size_t ASize) const override {
    return FromUtf8(std::string_view(reinterpret_cast<const char*>(AData), ASize));
  }
  std::size_t CharByteLength(const std::uint8_t* AData, std::size_t) const override {
    const std::uint8_t lead = AData[0];
    if (lead >= 0xF0 && lead <= 0xF4)
      return 4;
    if (lead >= 0xE0 && lead <= 0xEF)
      return 3;
    if (lead >= 0xC2 && lead <= 0xDF)
      return 2;
    return 1;
  }
  std::size_t MaxCharByteLength() const override { return 4; }
};

class TUtf16Encoding : public INetTextEncoding {
 public:
  explicit TUtf16Encoding(bool bigEndian) : FBigEndian(bigEndian) {}
  TBytes GetBytes(std::u16string_view AText) const override {
    TBytes bytes(AText.size() * 2);
    for (std::size_t i = 0; i < AText.size(); ++i) {
      const std::uint8_t low = static_cast<std::uint8_t>(AText[i] & 0xFF);
      const std::uint8_t high = static_cast<std::uint8_t>(AText[i] >> 8);
      bytes[2 * i] = FBigEndian ? high : low;
      bytes[2 * i + 1] = FBigEndian ? low : high;
    }
    return bytes;
  }
  std::u16string GetString(const std::uint8_t* AData, std::size_t ASize) const override {
    std::u16string text(ASize / 2, u'\0');
    for (std::size_t i = 0; i < text.size(); ++i)
      text[i] = Unit(AData + 2 * i);
    // A lone byte at the end has no character.
    if (ASize % 2)
      text += u'\xFFFD';
    return text;
  }
  std::size_t CharByteLength(const std::uint8_t* AData, std::size_t AAvailable) const override {
    if (AAvailable < 2)
      return 2;
    const char16_t unit = Unit(AData);
    return unit >= 0xD800 && unit <= 0xDBFF ? 4 : 2;
  }
  std::size_t MaxCharByteLength() const override { return 4; }

 private:
  char16_t Unit(const std::uint8_t* p) const {
    return FBigEndian ? static_cast<char16_t>(p[0] << 8 | p[1])
                      : static_cast<char16_t>(p[1] << 8 | p[0]);
  }
  bool FBigEndian;
};

class TCodePageEncoding : public INetTextEncoding {
 public:
  TBytes GetBytes(std::u16string_view AText) const override {
    return EncodeCodePage(AnsiCodePage(), AText);
  }
  std::u16string GetString(const std::uint8_t* AData, std::size_t ASize) const override {
    return DecodeCodePage(AnsiCodePage(), AData, ASize);
  }
  // The ANSI pages chosen from the locale are all single-byte pages.
  std::size_t CharByteLength(const std::uint8_t*, std::size_t) const override { return 1; }
  std::size_t MaxCharByteLength() const override { return 1; }
};

}  // namespace

TNetEncoding NetEncASCII() {
  static const TAsciiEncoding encoding;
  return &encoding;
}

TNetEncoding NetEnc8Bit() {
  static const T8BitEncoding encoding;
  return &encoding;
}

TNetEncoding NetEncUTF8() {
  static const TUtf8Encoding encoding;
  return &encoding;
}

TNetEncoding NetEncUTF16LE() {
  static const TUtf16Encoding encoding(false);
  return &encoding;
}

TNetEncoding NetEncUTF16BE() {
  static const TUtf16Encoding encoding(true);
  return &encoding;
}

TNetEncoding NetEncOSDefault() {
  static const TCodePageEncoding encoding;
  return &encoding;
}

TNetEncoding NetEncDefault() {
  return NetEncASCII();
}

}  // namespace vornel
