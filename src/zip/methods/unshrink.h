// Method 1 (shrink): LZW with codes of 9 to 13 bits and partial clearing.
#pragma once

#include <cstdint>

#include "platform/stream.h"

namespace vornel {

// Decodes source into dest until size bytes are produced.
void ArUnshrink(TStream& source, TStream& dest, std::int64_t size);

}  // namespace vornel
