#include "platform/stream.h"

#include <algorithm>
#include <vector>

namespace vornel {

std::int64_t TStream::Size() {
  const std::int64_t position = Seek(0, soCurrent);
  const std::int64_t size = Seek(0, soEnd);
  Seek(position, soBeginning);
  return size;
}

void TStream::ReadBuffer(void* buffer, std::int64_t count) {
  if (count > 0 && Read(buffer, count) != count) {
    throw EReadError(u"Stream read error");
  }
}

void TStream::WriteBuffer(const void* buffer, std::int64_t count) {
  if (count > 0 && Write(buffer, count) != count) {
    throw EWriteError(u"Stream write error");
  }
}

std::int64_t TStream::CopyFrom(TStream& source, std::int64_t count) {
  if (count == 0) {
    source.SetPosition(0);
    count = source.Size();
  }
  constexpr std::int64_t kChunk = 64 * 1024;
  std::vector<std::uint8_t> chunk(static_cast<std::size_t>(std::min(count, kChunk)));
  std::int64_t done = 0;
  while (done < count) {
    const std::int64_t n = std::min(count - done, kChunk);
    source.ReadBuffer(chunk.data(), n);
    WriteBuffer(chunk.data(), n);
    done += n;
  }
  return done;
}

}  // namespace vornel
