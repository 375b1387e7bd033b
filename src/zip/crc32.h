// The zip CRC-32 of a whole buffer, as names and headers are checked with it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/bytes.h"
#include "zip/inflate/checksum.h"

namespace vornel {

std::uint32_t ArCRC32Of(const void* data, std::size_t size);
inline std::uint32_t ArCRC32Of(const TBytes& bytes) {
  return ArCRC32Of(bytes.data(), bytes.size());
}

}  // namespace vornel
