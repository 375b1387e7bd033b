// A read-only stream that reads its source in large blocks, so that the many
// small field reads of headers cost no system call each. Large reads bypass the
// buffer. The source must not be moved by anyone else while this stream is used.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/stream.h"

namespace vornel {

class TArBufferedReadStream : public TStream {
 public:
  explicit TArBufferedReadStream(std::unique_ptr<TStream> source, std::size_t bufferSize = 65536);

  std::int64_t Read(void* buffer, std::int64_t count) override;
  std::int64_t Write(const void* buffer, std::int64_t count) override;
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
  std::int64_t Size() override;
  void SetSize(std::int64_t newSize) override;

  TStream& Source() { return *FSource; }

 private:
  std::unique_ptr<TStream> FSource;
  std::vector<std::uint8_t> FBuffer;
  std::int64_t FBufferStart = 0;  // source position of FBuffer[0]
  std::size_t FBufferLength = 0;  // valid bytes in FBuffer
  std::int64_t FPosition = 0;     // this stream's position
  std::int64_t FSize = -1;        // cached size of the source
};

}  // namespace vornel
