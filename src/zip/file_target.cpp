#include "zip/file_target.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>

#include "platform/clock.h"
#include "platform/file_stream.h"
#include "platform/file_system.h"
#include "platform/native_io.h"
#include "platform/text.h"
#include "zip/ar_exceptions.h"

namespace vornel {

namespace {

[[noreturn]] void FailOnLevel(int error, const std::u16string& display) {
  throw EOSError(SysErrorMessage(error) + u" (" + display + u")", error);
}

}  // namespace

TArHandle::~TArHandle() {
  if (FFd >= 0)
    ::close(FFd);
}

std::int64_t TArHandleStream::Read(void*, std::int64_t) {
  throw EReadError(u"Stream read error");
}

std::int64_t TArHandleStream::Write(const void* buffer, std::int64_t count) {
  if (const int error = NativeWriteAll(FHandle.Fd(), buffer, count))
    throw EWriteError(u"Stream write error. " + SysErrorMessage(error));
  return count;
}

std::int64_t TArHandleStream::Seek(std::int64_t offset, TSeekOrigin origin) {
  std::int64_t position = 0;
  if (NativeSeek(FHandle.Fd(), offset, origin, position) != 0)
    throw EStreamError(u"Stream seek error");
  return position;
}

void TArHandleStream::SetSize(std::int64_t newSize) {
  if (::ftruncate(FHandle.Fd(), static_cast<off_t>(newSize)) != 0)
    throw EWriteError(u"Stream write error. " + SysErrorMessage(errno));
}

TArHandle ArOpenBaseFolder(const TArTargetPath& target) {
  const std::string native = target.Base.empty() ? std::string(".") : ToUtf8(target.Base);
  const int fd = ::open(native.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0)
    FailOnLevel(errno, target.Base.empty() ? u"." : target.Base);
  return TArHandle(fd);
}

TArHandle ArOpenFolderLevels(TArHandle folder, const TArTargetPath& target, std::size_t count) {
  for (std::size_t i = 0; i < count && i < target.Levels.size(); ++i) {
    const std::string level = ToUtf8(target.Levels[i]);
    if (::mkdirat(folder.Fd(), level.c_str(), 0777) != 0 && errno != EEXIST)
      FailOnLevel(errno, target.DisplayOf(i + 1));
    const int fd =
        ::openat(folder.Fd(), level.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
      const int error = errno;
      struct stat st {};
      if (::fstatat(folder.Fd(), level.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
          S_ISLNK(st.st_mode)) {
        throw EOSError(
            u"A symbolic link is in the way, it is not followed (" + target.DisplayOf(i + 1) + u")",
            ELOOP);
      }
      FailOnLevel(error, target.DisplayOf(i + 1));
    }
    folder = TArHandle(fd);
  }
  return folder;
}

std::unique_ptr<TArHandleStream> ArCreateTargetFile(const TArHandle& folder,
                                                    const std::u16string& name,
                                                    const std::u16string& display) {
  const std::string native = ToUtf8(name);
  const auto fail = [&display](int error) {
    throw EFCreateError(u"Cannot create file \"" + display + u"\". " + SysErrorMessage(error));
  };
  struct stat st {};
  if (::fstatat(folder.Fd(), native.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
    if (S_ISDIR(st.st_mode))
      fail(EISDIR);
    if (S_ISREG(st.st_mode) && (st.st_mode & 0222) == 0)
      fail(EACCES);
    // A new file in its place: a hard link keeps the old content for its other
    // names, a symbolic link is removed, not followed.
    if (::unlinkat(folder.Fd(), native.c_str(), 0) != 0 && errno != ENOENT)
      fail(errno);
  }
  const int fd = ::openat(folder.Fd(), native.c_str(),
                          O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (fd < 0)
    fail(errno);
  return std::make_unique<TArHandleStream>(TArHandle(fd));
}

void ArRemoveTargetFile(const TArHandle& folder, const std::u16string& name) {
  ::unlinkat(folder.Fd(), ToUtf8(name).c_str(), 0);
}

void ArApplyItemTimeAndAttributes(const TArZipItem& item, std::intptr_t fd) {
  try {
    const std::time_t seconds = LocalDateTimeToUnix(item.LastModTimeAsDateTime());
    struct timespec times[2];
    times[0].tv_sec = seconds;
    times[0].tv_nsec = 0;
    times[1] = times[0];
    ::futimens(fd, times);
  } catch (const EConvertError&) {
    // Writers that store no date (0) or an impossible one: the time stays.
  }
  const bool folder = item.IsDirectory();
  const std::uint32_t mode = item.UnixMode();
  if (item.HasUnixMode() && (mode & 0777) != 0) {
    std::uint32_t bits = mode & 0777;
    if ((mode & 0xF000) == 0xA000)
      bits = 0644;  // a link, written as a file of its text
    if (folder)
      bits |= 0700;  // its items must still go in
    ::fchmod(fd, static_cast<mode_t>(bits));
  } else if (!folder) {
    struct stat st {};
    if (::fstat(fd, &st) != 0)
      return;
    mode_t bits = st.st_mode & 07777;
    const bool readOnly = (item.NativeFileAttributes() & faReadOnly) != 0;
    bits = readOnly ? (bits & ~static_cast<mode_t>(0222)) : (bits | S_IWUSR);
    ::fchmod(fd, bits);
  }
}

}  // namespace vornel
