#include <algorithm>
#include <vector>

#include "zip/method_decoders.h"

namespace vornel {

void ArDecodeStored(TArDecodeJob& job) {
  constexpr std::int64_t kBlock = 61440;
  std::vector<std::uint8_t> block(
      static_cast<std::size_t>(std::min(job.Item.UncompressedSize, kBlock)));
  for (std::int64_t left = job.Item.UncompressedSize; left > 0;) {
    const std::int64_t n = std::min(left, kBlock);
    job.In.ReadBuffer(block.data(), n);
    job.Out.WriteBuffer(block.data(), n);
    left -= n;
  }
}

}  // namespace vornel
