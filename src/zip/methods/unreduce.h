// Methods 2 to 5 (reduce with factor 1 to 4): follower sets, then runs of
// repeated text introduced by the byte 0x90.
#pragma once

#include <cstdint>

#include "platform/stream.h"

namespace vornel {

// Decodes source into dest until size bytes are produced; factor is 1..4.
void ArUnreduce(TStream& source, TStream& dest, std::int64_t size, int factor);

}  // namespace vornel
