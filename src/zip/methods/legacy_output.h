// The output side of the legacy decoders: a window of the bytes produced so far,
// back-references into it, and writes to the destination in blocks of 32768
// bytes. Bytes before the start of the output read as zeros, as the legacy
// methods define. Nothing is produced beyond the item's uncompressed size.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/stream.h"

namespace vornel {

class TArLegacyOutput {
 public:
  static constexpr std::size_t kWindowSize = 65536;  // a power of two above every distance
  static constexpr std::size_t kBlockSize = 32768;   // kWindowSize is a multiple of it

  TArLegacyOutput(TStream& dest, std::int64_t size)
      : FDest(dest), FSize(size), FWindow(kWindowSize, 0) {}

  bool Done() const { return FProduced >= FSize; }
  std::int64_t Produced() const { return FProduced; }

  void Put(std::uint8_t byte) {
    if (Done())
      return;
    FWindow[FProduced & (kWindowSize - 1)] = byte;
    ++FProduced;
    if ((FProduced & (kBlockSize - 1)) == 0)
      FlushBlock();
  }

  // Copies length bytes from distance bytes back (distance >= 1); the source may
  // overlap the bytes being written.
  void Copy(std::size_t distance, std::size_t length) {
    for (std::size_t i = 0; i < length && !Done(); ++i) {
      const std::int64_t from = FProduced - static_cast<std::int64_t>(distance);
      Put(from < 0 ? 0 : FWindow[static_cast<std::size_t>(from) & (kWindowSize - 1)]);
    }
  }

  // Writes what is left of the last block.
  void Finish() {
    const std::size_t pending = static_cast<std::size_t>(FProduced - FFlushed);
    if (pending > 0) {
      FDest.WriteBuffer(FWindow.data() + (FFlushed & (kWindowSize - 1)),
                        static_cast<std::int64_t>(pending));
      FFlushed = FProduced;
    }
  }

 private:
  void FlushBlock() {
    FDest.WriteBuffer(FWindow.data() + (FFlushed & (kWindowSize - 1)),
                      static_cast<std::int64_t>(kBlockSize));
    FFlushed = FProduced;
  }

  TStream& FDest;
  std::int64_t FSize;
  std::int64_t FProduced = 0;
  std::int64_t FFlushed = 0;
  std::vector<std::uint8_t> FWindow;
};

}  // namespace vornel
