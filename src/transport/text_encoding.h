// Text encodings between UTF-16 text and bytes on the wire. The encodings are
// shared objects that live as long as the process; a null encoding means "none
// given" and callers then use their default.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/bytes.h"

namespace vornel {

class INetTextEncoding {
 public:
  virtual ~INetTextEncoding() = default;
  virtual TBytes GetBytes(std::u16string_view AText) const = 0;
  virtual std::u16string GetString(const std::uint8_t* AData, std::size_t ASize) const = 0;
  std::u16string GetString(const TBytes& ABytes) const {
    return GetString(ABytes.data(), ABytes.size());
  }
  // The number of bytes of the character that starts at AData, judged from the
  // bytes available (at least 1).
  virtual std::size_t CharByteLength(const std::uint8_t* AData, std::size_t AAvailable) const = 0;
  // The most bytes one character takes.
  virtual std::size_t MaxCharByteLength() const = 0;
};

using TNetEncoding = const INetTextEncoding*;

// Bytes 0x00-0x7F as themselves; code units of 128 and above encode as "?", bytes
// of 0x80 and above decode to U+FFFD.
TNetEncoding NetEncASCII();
// Byte n and U+00nn one to one; code units of 256 and above encode as "?".
TNetEncoding NetEnc8Bit();
TNetEncoding NetEncUTF8();
TNetEncoding NetEncUTF16LE();
TNetEncoding NetEncUTF16BE();
// The system's ANSI code page.
TNetEncoding NetEncOSDefault();
// The process-wide default: ASCII.
TNetEncoding NetEncDefault();

// AEncoding, or the process-wide default when it is null.
inline TNetEncoding NetEncodingOrDefault(TNetEncoding AEncoding) {
  return AEncoding ? AEncoding : NetEncDefault();
}

}  // namespace vornel
