#include "platform/file_stream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/native_io.h"
#include "platform/text.h"

namespace vornel {

namespace {

std::u16string FileError(const char16_t* what, const std::u16string& fileName, int error) {
  return std::u16string(what) + u" \"" + fileName + u"\". " + SysErrorMessage(error);
}

}  // namespace

TFileStream::TFileStream(const std::u16string& fileName, std::uint16_t mode) : FFileName(fileName) {
  const std::string path = ToUtf8(fileName);
  if (mode == fmCreate || (mode & 0xFF00) == fmCreate) {
    FHandle = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (FHandle < 0)
      throw EFCreateError(FileError(u"Cannot create file", fileName, errno));
    NoteKind();
    return;
  }
  int flags = O_RDONLY;
  if ((mode & 0x0003) == fmOpenWrite)
    flags = O_WRONLY;
  if ((mode & 0x0003) == fmOpenReadWrite)
    flags = O_RDWR;
  FHandle = ::open(path.c_str(), flags | O_CLOEXEC);
  if (FHandle < 0)
    throw EFOpenError(FileError(u"Cannot open file", fileName, errno));
  struct stat st {};
  if (::fstat(FHandle, &st) == 0 && S_ISDIR(st.st_mode)) {
    ::close(FHandle);
    FHandle = -1;
    throw EFOpenError(FileError(u"Cannot open file", fileName, EISDIR));
  }
  NoteKind();
}

void TFileStream::NoteKind() {
  struct stat st {};
  FSequential = ::fstat(FHandle, &st) == 0 && !S_ISREG(st.st_mode) && !S_ISBLK(st.st_mode);
}

TFileStream::~TFileStream() {
  if (FHandle >= 0)
    ::close(FHandle);
}

std::int64_t TFileStream::Read(void* buffer, std::int64_t count) {
  auto* out = static_cast<char*>(buffer);
  std::int64_t done = 0;
  while (done < count) {
    const ssize_t n = ::read(FHandle, out + done, static_cast<std::size_t>(count - done));
    if (n < 0 && errno == EINTR)
      continue;
    if (n < 0)
      throw EReadError(FileError(u"Cannot read file", FFileName, errno));
    if (n == 0)
      break;
    done += n;
  }
  FSequentialPosition += done;
  return done;
}

std::int64_t TFileStream::Write(const void* buffer, std::int64_t count) {
  if (const int error = NativeWriteAll(FHandle, buffer, count))
    throw EWriteError(FileError(u"Cannot write file", FFileName, error));
  FSequentialPosition += count;
  return count;
}

std::int64_t TFileStream::Seek(std::int64_t offset, TSeekOrigin origin) {
  if (FSequential) {
    // Its end is where it has got to; it can only stay there.
    if ((origin == soBeginning ? offset : FSequentialPosition + offset) != FSequentialPosition)
      throw EStreamError(FileError(u"Cannot seek in file", FFileName, ESPIPE));
    return FSequentialPosition;
  }
  std::int64_t position = 0;
  if (const int error = NativeSeek(FHandle, offset, origin, position))
    throw EStreamError(FileError(u"Cannot seek in file", FFileName, error));
  return position;
}

void TFileStream::SetSize(std::int64_t newSize) {
  if (FSequential)
    return;  // a size is only a hint here: the data is written as it comes
  const std::int64_t position = Position();
  if (::ftruncate(FHandle, newSize) != 0) {
    throw EStreamError(FileError(u"Cannot set the size of file", FFileName, errno));
  }
  if (position > newSize)
    Seek(newSize, soBeginning);
}

}  // namespace vornel
