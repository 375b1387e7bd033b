// The write-only stream every decoder writes an item through: it keeps the
// CRC-32 and the count of bytes written, reports item progress when the
// percentage changes, and refuses data beyond the item's declared size.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/stream.h"
#include "zip/crc32.h"

namespace vornel {

class TArUnzipOutputStream : public TStream {
 public:
  using TProgress = std::function<void(std::uint8_t progress, bool& abort)>;

  TArUnzipOutputStream(TStream& dest, std::int64_t uncompressedSize, TProgress progress);

  std::int64_t Read(void* buffer, std::int64_t count) override;
  // More than the declared size in all raises EArZipSizeExceeded before anything
  // of the write reaches the destination; an abort from progress EArUserAbort.
  std::int64_t Write(const void* buffer, std::int64_t count) override;
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
  void SetSize(std::int64_t newSize) override;

  std::uint32_t CRC32() const { return FCrc; }
  std::int64_t BytesWritten() const { return FBytesWritten; }
  std::int64_t UncompressedSize() const { return FUncompressedSize; }

 private:
  TStream& FDest;
  std::uint32_t FCrc = 0;  // CRC-32 of the bytes so far
  std::int64_t FBytesWritten = 0;
  std::int64_t FUncompressedSize;
  std::uint8_t FCurrentProgress = 0;
  TProgress FProgress;
};

// A destination that keeps nothing (testing an item).
class TArNullStream : public TStream {
 public:
  std::int64_t Read(void*, std::int64_t) override { return 0; }
  std::int64_t Write(const void*, std::int64_t count) override {
    FPosition += count;
    return count;
  }
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
  void SetSize(std::int64_t) override {}

 private:
  std::int64_t FPosition = 0;
};

}  // namespace vornel
