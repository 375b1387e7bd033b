// Method 95: an .xz stream (through liblzma).
#pragma once

#include <cstdint>

#include "platform/stream.h"

namespace vornel {

// Decodes source into dest until size bytes are produced; the stream must hold
// exactly that many.
void ArUnxz(TStream& source, TStream& dest, std::int64_t size);

}  // namespace vornel
