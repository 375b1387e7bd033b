// Method 6 (implode): a sliding dictionary of 4 KiB or 8 KiB with Shannon-Fano
// coded lengths and distances, and with two trees or three (literals coded too).
#pragma once

#include <cstdint>

#include "platform/stream.h"

namespace vornel {

// Decodes source into dest until size bytes are produced.
void ArExplode(TStream& source, TStream& dest, std::int64_t size, bool largeDictionary,
               bool literalTree);

}  // namespace vornel
