#include "platform/native_io.h"

#include <unistd.h>

#include <cerrno>

namespace vornel {

int NativeWriteAll(std::intptr_t handle, const void* buffer, std::int64_t count) {
  const auto* in = static_cast<const char*>(buffer);
  const int fd = static_cast<int>(handle);
  std::int64_t done = 0;
  while (done < count) {
    const ssize_t n = ::write(fd, in + done, static_cast<std::size_t>(count - done));
    if (n < 0 && errno == EINTR)
      continue;
    if (n < 0)
      return errno;
    done += n;
  }
  return 0;
}

int NativeSeek(std::intptr_t handle, std::int64_t offset, TSeekOrigin origin,
               std::int64_t& position) {
  const int whence = origin == soBeginning ? SEEK_SET : origin == soCurrent ? SEEK_CUR : SEEK_END;
  const off_t result = ::lseek(static_cast<int>(handle), static_cast<off_t>(offset), whence);
  if (result < 0)
    return errno;
  position = result;
  return 0;
}

}  // namespace vornel
