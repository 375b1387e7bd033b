#include "zip/subset_stream.h"

#include <algorithm>

#include "zip/ar_exceptions.h"

namespace vornel {

TArUnzipSubsetStream::TArUnzipSubsetStream(TStream& archive, std::int64_t size)
    : FArchive(archive), FStartPos(archive.Position()) {
  FEndPos = FStartPos + std::max<std::int64_t>(size, 0);
  FCurPos = FStartPos;
}

std::int64_t TArUnzipSubsetStream::Read(void* buffer, std::int64_t count) {
  const std::int64_t n = std::min(count, FEndPos - FCurPos);
  if (n <= 0)
    return 0;
  const std::int64_t got = FArchive.Read(buffer, n);
  FCurPos += got;
  return got;
}

std::int64_t TArUnzipSubsetStream::Write(const void*, std::int64_t) {
  throw EArException(u"TArUnzipSubsetStream.Write not supported");
}

std::int64_t TArUnzipSubsetStream::Seek(std::int64_t offset, TSeekOrigin origin) {
  std::int64_t target = offset;
  switch (origin) {
    case soBeginning:
      target = FStartPos + offset;
      break;
    case soCurrent:
      target = FCurPos + offset;
      break;
    case soEnd:
      target = FEndPos + offset;
      break;
  }
  target = std::clamp(target, FStartPos, FEndPos);
  if (target != FCurPos) {
    FArchive.SetPosition(target);
    FCurPos = target;
  }
  return FCurPos - FStartPos;
}

void TArUnzipSubsetStream::SetSize(std::int64_t) {
  throw EArException(u"TArUnzipSubsetStream.Write not supported");
}

}  // namespace vornel
