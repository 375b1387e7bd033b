#include "platform/owned_files.h"

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "platform/file_stream.h"
#include "platform/text.h"

namespace vornel {

namespace {

std::u16string CreateError(const std::u16string& path, int error) {
  return u"Cannot create file \"" + path + u"\". " + SysErrorMessage(error);
}

// Six letters and digits from the kernel's random source.
std::u16string RandomLetters() {
  static constexpr char16_t kAlphabet[] =
      u"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  unsigned char bytes[6] = {};
  std::size_t got = 0;
  while (got < sizeof bytes) {
    const ssize_t n = ::getrandom(bytes + got, sizeof bytes - got, 0);
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0)
      break;  // the name is then less random; O_EXCL still guards it
    got += static_cast<std::size_t>(n);
  }
  std::u16string letters;
  for (unsigned char b : bytes)
    letters += kAlphabet[b % 62];
  return letters;
}

// The descriptor of a new file of the name, or minus the errno. The umask has no
// say: the mode is applied to the descriptor as asked for.
int OpenNew(const std::u16string& path, unsigned mode) {
  const int fd = ::open(ToUtf8(path).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                        static_cast<mode_t>(mode));
  if (fd < 0)
    return -errno;
  if (::fchmod(fd, static_cast<mode_t>(mode)) != 0) {
    const int error = errno;
    ::close(fd);
    ::unlink(ToUtf8(path).c_str());
    return -error;
  }
  return fd;
}

}  // namespace

TFolderTrust CheckOwnFolder(const std::u16string& path, unsigned otherBits) {
  struct stat st {};
  if (::lstat(ToUtf8(path).c_str(), &st) != 0)
    return errno == ENOENT ? TFolderTrust::Missing : TFolderTrust::NotAFolder;
  if (!S_ISDIR(st.st_mode))
    return TFolderTrust::NotAFolder;
  if (st.st_uid != ::geteuid())
    return TFolderTrust::OtherOwner;
  if ((st.st_mode & otherBits) != 0)
    return TFolderTrust::OpenToOthers;
  return TFolderTrust::Own;
}

int MakeFolder(const std::u16string& path, unsigned mode) {
  if (::mkdir(ToUtf8(path).c_str(), static_cast<mode_t>(mode)) != 0 && errno != EEXIST)
    return errno;
  return 0;
}

bool DeleteOwnFile(const std::u16string& path) {
  const std::string name = ToUtf8(path);
  struct stat st {};
  if (::lstat(name.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid())
    return false;
  // Whatever replaces the file in between is at worst unlinked, never followed.
  return ::unlink(name.c_str()) == 0;
}

TNewFile TNewFile::Create(const std::u16string& path, unsigned mode) {
  const int fd = OpenNew(path, mode);
  if (fd < 0)
    throw EFCreateError(CreateError(path, -fd));
  return TNewFile(path, fd);
}

TNewFile TNewFile::CreateUnique(const std::u16string& folder, std::u16string_view stem,
                                std::u16string_view extension, unsigned mode) {
  std::u16string path;
  int fd = -EEXIST;
  // Only a taken name is worth another try; anything else fails the same way.
  for (int attempt = 0; attempt < 100 && fd == -EEXIST; ++attempt) {
    path = folder + std::u16string(stem) + RandomLetters() + std::u16string(extension);
    fd = OpenNew(path, mode);
  }
  if (fd < 0)
    throw EFCreateError(CreateError(path, -fd));
  return TNewFile(path, fd);
}

TNewFile::TNewFile(TNewFile&& other) noexcept
    : FPath(std::move(other.FPath)), FDescriptor(std::exchange(other.FDescriptor, -1)) {}

TNewFile& TNewFile::operator=(TNewFile&& other) noexcept {
  if (this != &other) {
    if (FDescriptor >= 0)
      ::close(FDescriptor);
    FPath = std::move(other.FPath);
    FDescriptor = std::exchange(other.FDescriptor, -1);
  }
  return *this;
}

TNewFile::~TNewFile() {
  if (FDescriptor >= 0)
    ::close(FDescriptor);
}

void TNewFile::Write(std::string_view bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(FDescriptor, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR)
      continue;
    if (n < 0)
      throw EWriteError(u"Cannot write file \"" + FPath + u"\". " + SysErrorMessage(errno));
    done += static_cast<std::size_t>(n);
  }
}

}  // namespace vornel
