// Method 93: a Zstandard frame (through libzstd).
#pragma once

#include <cstdint>

#include "platform/stream.h"

namespace vornel {

// Decodes source into dest until size bytes are produced; the data must hold
// exactly that many.
void ArUnzstd(TStream& source, TStream& dest, std::int64_t size);

}  // namespace vornel
