// The MD4 and MD5 message digests, for the authentication schemes that need them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vornel {

using TDigest16 = std::array<std::uint8_t, 16>;

TDigest16 MD4(const std::uint8_t* data, std::size_t size);
TDigest16 MD5(const std::uint8_t* data, std::size_t size);
inline TDigest16 MD5(std::string_view bytes) {
  return MD5(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

// The digest as lower-case hexadecimal digits.
std::string DigestToHex(const TDigest16& digest);

}  // namespace vornel
