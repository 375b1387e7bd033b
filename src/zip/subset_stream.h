// A read-only window on the archive stream: the CompressedSize bytes of one item,
// starting where the window is created.
#pragma once

#include <cstdint>

#include "platform/stream.h"

namespace vornel {

class TArUnzipSubsetStream : public TStream {
 public:
  TArUnzipSubsetStream(TStream& archive, std::int64_t size);

  std::int64_t Read(void* buffer, std::int64_t count) override;
  std::int64_t Write(const void* buffer, std::int64_t count) override;
  // Clamped to the window; the result is relative to its start.
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
  std::int64_t Size() override { return FEndPos - FStartPos; }
  void SetSize(std::int64_t newSize) override;

 private:
  TStream& FArchive;
  std::int64_t FStartPos;
  std::int64_t FEndPos;
  std::int64_t FCurPos;
};

}  // namespace vornel
