// Streams for the inflater tests: a destination that records the size of every
// write, and a source that hands out its bytes in small pieces.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/memory_stream.h"

namespace vornel::testing {

class RecordingStream : public TMemoryStream {
 public:
  std::int64_t Write(const void* buffer, std::int64_t count) override {
    Writes.push_back(count);
    return TMemoryStream::Write(buffer, count);
  }
  std::vector<std::int64_t> Writes;
};

// Reads return at most Piece bytes, so the reader refills at every byte offset.
class TrickleStream : public TMemoryStream {
 public:
  explicit TrickleStream(std::int64_t piece) : FPiece(piece) {}
  std::int64_t Read(void* buffer, std::int64_t count) override {
    return TMemoryStream::Read(buffer, std::min(count, FPiece));
  }

 private:
  std::int64_t FPiece;
};

inline void Fill(TMemoryStream& stream, const std::vector<std::uint8_t>& bytes) {
  stream.Clear();
  if (!bytes.empty())
    stream.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  stream.SetPosition(0);
}

}  // namespace vornel::testing
