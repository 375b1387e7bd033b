#include "platform/memory_stream.h"

#include <algorithm>
#include <cstring>

namespace vornel {

std::int64_t TMemoryStream::Read(void* buffer, std::int64_t count) {
  const std::int64_t available = Size() - FPosition;
  const std::int64_t n = std::max<std::int64_t>(0, std::min(count, available));
  if (n > 0) {
    std::memcpy(buffer, FData.data() + FPosition, static_cast<std::size_t>(n));
    FPosition += n;
  }
  return n;
}

std::int64_t TMemoryStream::Write(const void* buffer, std::int64_t count) {
  if (count <= 0)
    return 0;
  const std::int64_t end = FPosition + count;
  if (end > Size()) {
    if (static_cast<std::size_t>(end) > FData.capacity()) {
      // Grow by at least a quarter so that many small writes stay linear.
      FData.reserve(
          std::max(static_cast<std::size_t>(end), FData.capacity() + FData.capacity() / 4));
    }
    FData.resize(static_cast<std::size_t>(end));
  }
  std::memcpy(FData.data() + FPosition, buffer, static_cast<std::size_t>(count));
  FPosition = end;
  return count;
}

std::int64_t TMemoryStream::Seek(std::int64_t offset, TSeekOrigin origin) {
  std::int64_t target = offset;
  if (origin == soCurrent)
    target += FPosition;
  if (origin == soEnd)
    target += Size();
  if (target < 0)
    throw EStreamError(u"Invalid stream position");
  FPosition = target;
  return FPosition;
}

void TMemoryStream::SetSize(std::int64_t newSize) {
  if (newSize < 0)
    throw EStreamError(u"Invalid stream size");
  FData.resize(static_cast<std::size_t>(newSize));
  FPosition = std::min(FPosition, newSize);
}

void TMemoryStream::Clear() {
  FData.clear();
  FData.shrink_to_fit();
  FPosition = 0;
}

}  // namespace vornel
