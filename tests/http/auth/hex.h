// Bytes as lower-case hexadecimal text, for comparing with published test vectors.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace vornel::test {

inline std::string Hex(const std::uint8_t* data, std::size_t size) {
  static const char kHex[] = "0123456789abcdef";
  std::string out;
  for (std::size_t i = 0; i < size; ++i) {
    out += kHex[data[i] >> 4];
    out += kHex[data[i] & 15];
  }
  return out;
}

template <typename TBytesLike>
std::string Hex(const TBytesLike& bytes) {
  return Hex(bytes.data(), bytes.size());
}

}  // namespace vornel::test
