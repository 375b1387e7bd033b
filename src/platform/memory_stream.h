// A stream held in memory.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/stream.h"

namespace vornel {

class TMemoryStream : public TStream {
 public:
  TMemoryStream() = default;

  std::int64_t Read(void* buffer, std::int64_t count) override;
  std::int64_t Write(const void* buffer, std::int64_t count) override;
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
  std::int64_t Size() override { return static_cast<std::int64_t>(FData.size()); }
  void SetSize(std::int64_t newSize) override;

  // Empties the stream and rewinds it.
  void Clear();
  std::uint8_t* Memory() { return FData.data(); }
  const std::uint8_t* Memory() const { return FData.data(); }
  const std::vector<std::uint8_t>& Bytes() const { return FData; }

 private:
  std::vector<std::uint8_t> FData;
  std::int64_t FPosition = 0;
};

}  // namespace vornel
