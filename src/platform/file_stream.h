// A stream on a file of the file system.
#pragma once

#include <cstdint>
#include <string>

#include "platform/stream.h"

namespace vornel {

// Open modes; one access value or fmCreate, combined with a share value. There is
// no mandatory locking on this platform: share values are accepted and ignored.
enum : std::uint16_t {
  fmOpenRead = 0x0000,
  fmOpenWrite = 0x0001,
  fmOpenReadWrite = 0x0002,
  fmShareCompat = 0x0000,
  fmShareExclusive = 0x0010,
  fmShareDenyWrite = 0x0020,
  fmShareDenyRead = 0x0030,
  fmShareDenyNone = 0x0040,
  // A new empty file, replacing any file of the name, open for reading and writing.
  fmCreate = 0xFF00,
};

// The file cannot be created: "Cannot create file "<path>". <platform's text>".
class EFCreateError : public EStreamError {
 public:
  using EStreamError::EStreamError;
};
// The file cannot be opened: "Cannot open file "<path>". <platform's text>".
class EFOpenError : public EStreamError {
 public:
  using EStreamError::EStreamError;
};

// A regular file (or a block device) is seekable and can be sized. Anything else
// (a character device such as /dev/null, a pipe, a FIFO, a socket) is sequential:
// reads and writes go through in order, the position and the size are the bytes
// passed so far, a seek may only name that position, and setting the size does
// nothing, so a writer that pre-sizes its target can still stream into it.
class TFileStream : public TStream {
 public:
  TFileStream(const std::u16string& fileName, std::uint16_t mode);
  ~TFileStream() override;
  TFileStream(const TFileStream&) = delete;
  TFileStream& operator=(const TFileStream&) = delete;

  std::int64_t Read(void* buffer, std::int64_t count) override;
  std::int64_t Write(const void* buffer, std::int64_t count) override;
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
  void SetSize(std::int64_t newSize) override;

  const std::u16string& FileName() const { return FFileName; }
  int Handle() const { return FHandle; }
  bool Sequential() const { return FSequential; }

 private:
  void NoteKind();

  std::u16string FFileName;
  int FHandle = -1;
  bool FSequential = false;
  std::int64_t FSequentialPosition = 0;  // bytes read and written, when sequential
};

}  // namespace vornel
