// Writes and seeks on a handle of the system: a file descriptor on Linux, a
// HANDLE on Windows, both carried as an integer. Each returns 0 on success or
// the system's error number, so that each caller raises its own error.
#pragma once

#include <cstdint>

#include "platform/stream.h"

namespace vornel {

// Writes all of the bytes (a short write is continued, an interrupted one retried).
int NativeWriteAll(std::intptr_t handle, const void* buffer, std::int64_t count);
// Moves the position; the new one is given back through position.
int NativeSeek(std::intptr_t handle, std::int64_t offset, TSeekOrigin origin,
               std::int64_t& position);

}  // namespace vornel
