// Deciding how the bytes of a stored name are to be read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/bytes.h"

namespace vornel {

enum TArCharSet { csASCII, csANSI, csUTF8 };

// csASCII for pure 7-bit bytes, csUTF8 for well-formed multi-byte sequences,
// csANSI otherwise.
TArCharSet ArDetectCharSet(const std::uint8_t* data, std::size_t size);
inline TArCharSet ArDetectCharSet(const TBytes& bytes) {
  return ArDetectCharSet(bytes.data(), bytes.size());
}

// True when every byte of 0x80 and above belongs to the OEM code page's letters
// and not all of them to the ANSI code page's (decided for the given OEM page).
bool ArIsOEM(const std::uint8_t* data, std::size_t size, int oemCodePage);
bool ArIsOEM(const TBytes& bytes);

// The provisional decoding of a raw name: ASCII, the ANSI code page or UTF-8.
std::u16string ArDecodeDetected(const TBytes& bytes);

}  // namespace vornel
