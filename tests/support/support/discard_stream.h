// A destination that drops every byte written and keeps only a size and a
// position: for measured reads and for fuzz targets.
#pragma once

#include <algorithm>
#include <cstdint>

#include "platform/stream.h"

namespace vornel::testing {

class TDiscardStream : public TStream {
 public:
  std::int64_t Read(void*, std::int64_t) override { return 0; }
  std::int64_t Write(const void*, std::int64_t count) override {
    FPosition += count;
    FSize = std::max(FSize, FPosition);
    return count;
  }
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override {
    FPosition = (origin == soBeginning ? 0 : origin == soCurrent ? FPosition : FSize) + offset;
    return FPosition;
  }
  std::int64_t Size() override { return FSize; }
  void SetSize(std::int64_t size) override {
    FSize = size;
    FPosition = std::min(FPosition, FSize);
  }

 private:
  std::int64_t FPosition = 0;
  std::int64_t FSize = 0;
};

}  // namespace vornel::testing
