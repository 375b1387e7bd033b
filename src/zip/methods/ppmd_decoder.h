// Method 98: PPMd variant I, revision 1.
#pragma once

#include <cstdint>

#include "platform/stream.h"

namespace vornel {

// Reads the two parameter bytes at the start of the item data (model order,
// memory size, restoration method), then decodes into dest until size bytes
// are produced. Damaged or cut data and unusable parameters raise
// EArLegacyDataError.
void ArUnppmd(TStream& source, TStream& dest, std::int64_t size);

}  // namespace vornel
