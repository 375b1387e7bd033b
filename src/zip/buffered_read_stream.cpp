#include "zip/buffered_read_stream.h"

#include <algorithm>
#include <cstring>

namespace vornel {

TArBufferedReadStream::TArBufferedReadStream(std::unique_ptr<TStream> source,
                                             std::size_t bufferSize)
    : FSource(std::move(source)), FBuffer(bufferSize) {
  FPosition = FSource->Position();
  FBufferStart = FPosition;
}

std::int64_t TArBufferedReadStream::Read(void* buffer, std::int64_t count) {
  auto* out = static_cast<std::uint8_t*>(buffer);
  std::int64_t done = 0;
  while (done < count) {
    const std::int64_t offset = FPosition - FBufferStart;
    if (offset >= 0 && offset < static_cast<std::int64_t>(FBufferLength)) {
      const std::int64_t n =
          std::min<std::int64_t>(count - done, static_cast<std::int64_t>(FBufferLength) - offset);
      std::memcpy(out + done, FBuffer.data() + offset, static_cast<std::size_t>(n));
      done += n;
      FPosition += n;
      continue;
    }
    const std::int64_t rest = count - done;
    FSource->SetPosition(FPosition);
    if (rest >= static_cast<std::int64_t>(FBuffer.size())) {
      const std::int64_t n = FSource->Read(out + done, rest);
      FPosition += n;
      done += n;
      FBufferLength = 0;
      break;
    }
    FBufferStart = FPosition;
    FBufferLength = static_cast<std::size_t>(
        FSource->Read(FBuffer.data(), static_cast<std::int64_t>(FBuffer.size())));
    if (FBufferLength == 0)
      break;
  }
  return done;
}

std::int64_t TArBufferedReadStream::Write(const void*, std::int64_t) {
  throw EWriteError(u"Stream write error");
}

std::int64_t TArBufferedReadStream::Seek(std::int64_t offset, TSeekOrigin origin) {
  std::int64_t target = offset;
  if (origin == soCurrent)
    target = FPosition + offset;
  if (origin == soEnd)
    target = Size() + offset;
  if (target < 0)
    throw EStreamError(u"Stream seek error");
  FPosition = target;
  return FPosition;
}

std::int64_t TArBufferedReadStream::Size() {
  if (FSize < 0)
    FSize = FSource->Size();
  return FSize;
}

void TArBufferedReadStream::SetSize(std::int64_t) {
  throw EWriteError(u"Stream write error");
}

}  // namespace vornel
