// Eight bytes read as one little-endian 64-bit word, from any alignment.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

namespace vornel {

inline std::uint64_t LoadLe64(const std::uint8_t* p) {
  std::uint64_t v;
  std::memcpy(&v, p, 8);
  if constexpr (std::endian::native == std::endian::big)
    v = __builtin_bswap64(v);
  return v;
}

}  // namespace vornel
