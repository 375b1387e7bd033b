#include "zip/crc32.h"

namespace vornel {

std::uint32_t ArCRC32Of(const void* data, std::size_t size) {
  return ArCrc32Update(0, data, size);
}

}  // namespace vornel
