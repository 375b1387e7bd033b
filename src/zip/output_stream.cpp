#include "zip/output_stream.h"

#include "zip/ar_exceptions.h"
#include "zip/ar_types.h"

namespace vornel {

TArUnzipOutputStream::TArUnzipOutputStream(TStream& dest, std::int64_t uncompressedSize,
                                           TProgress progress)
    : FDest(dest), FUncompressedSize(uncompressedSize), FProgress(std::move(progress)) {}

std::int64_t TArUnzipOutputStream::Read(void*, std::int64_t) {
  throw EArException(u"TArUnzipOutputStream.Read not supported");
}

std::int64_t TArUnzipOutputStream::Write(const void* buffer, std::int64_t count) {
  if (count <= 0)
    return 0;
  if (count > FUncompressedSize - FBytesWritten)
    throw EArZipSizeExceeded();
  FCrc = ArCrc32Update(FCrc, buffer, static_cast<std::size_t>(count));
  const std::int64_t written = FDest.Write(buffer, count);
  FBytesWritten += written;
  if (FProgress) {
    const std::uint8_t progress = ArPercentage(FBytesWritten, FUncompressedSize);
    if (progress != FCurrentProgress) {
      bool abort = false;
      FProgress(progress, abort);
      FCurrentProgress = progress;
      if (abort)
        throw EArUserAbort();
    }
  }
  return written;
}

std::int64_t TArUnzipOutputStream::Seek(std::int64_t offset, TSeekOrigin origin) {
  return FDest.Seek(offset, origin);
}

void TArUnzipOutputStream::SetSize(std::int64_t newSize) {
  FDest.SetSize(newSize);
}

std::int64_t TArNullStream::Seek(std::int64_t offset, TSeekOrigin origin) {
  if (origin == soBeginning)
    FPosition = offset;
  if (origin == soCurrent)
    FPosition += offset;
  return FPosition;
}

}  // namespace vornel
