// Bytes of the system: a growable array, the unit of every receive, send and buffer.
#pragma once

#include <cstdint>
#include <vector>

namespace vornel {

using TBytes = std::vector<std::uint8_t>;

}  // namespace vornel
