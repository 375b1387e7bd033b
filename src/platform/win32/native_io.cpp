#include "platform/native_io.h"

#include <algorithm>

#include <windows.h>

namespace vornel {

int NativeWriteAll(std::intptr_t handle, const void* buffer, std::int64_t count) {
  const auto* in = static_cast<const char*>(buffer);
  std::int64_t done = 0;
  while (done < count) {
    // WriteFile takes at most a DWORD at once.
    const auto chunk = static_cast<DWORD>(std::min<std::int64_t>(count - done, 1 << 30));
    DWORD n = 0;
    if (!WriteFile(reinterpret_cast<HANDLE>(handle), in + done, chunk, &n, nullptr))
      return static_cast<int>(GetLastError());
    done += n;
  }
  return 0;
}

int NativeSeek(std::intptr_t handle, std::int64_t offset, TSeekOrigin origin,
               std::int64_t& position) {
  const DWORD method = origin == soBeginning ? FILE_BEGIN
                       : origin == soCurrent ? FILE_CURRENT
                                             : FILE_END;
  LARGE_INTEGER distance{};
  distance.QuadPart = offset;
  LARGE_INTEGER result{};
  if (!SetFilePointerEx(reinterpret_cast<HANDLE>(handle), distance, &result, method))
    return static_cast<int>(GetLastError());
  position = result.QuadPart;
  return 0;
}

}  // namespace vornel
