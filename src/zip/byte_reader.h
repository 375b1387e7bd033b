// Little-endian fields of zip records, read from a stream or a buffer.
#pragma once

#include <cstdint>

#include "platform/bytes.h"
#include "platform/stream.h"

namespace vornel {

inline std::uint16_t LoadLE16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t LoadLE32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
inline std::uint64_t LoadLE64(const std::uint8_t* p) {
  return static_cast<std::uint64_t>(LoadLE32(p)) |
         (static_cast<std::uint64_t>(LoadLE32(p + 4)) << 32);
}

// Reads count bytes; what a short read leaves out stays zero.
inline TBytes ReadLenient(TStream& stream, std::size_t count) {
  TBytes bytes(count, 0);
  if (count > 0)
    stream.Read(bytes.data(), static_cast<std::int64_t>(count));
  return bytes;
}

// Reads count bytes or raises "Stream read error".
inline TBytes ReadExact(TStream& stream, std::size_t count) {
  TBytes bytes(count, 0);
  stream.ReadBuffer(bytes.data(), static_cast<std::int64_t>(count));
  return bytes;
}

}  // namespace vornel
