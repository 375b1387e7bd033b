// The two checksums of compressed data: the zip CRC-32 (reflected polynomial
// 0xEDB88320) and Adler-32.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vornel {

// Continues a CRC-32 over size more bytes. The value passed in and returned is the
// finished (complemented) CRC of everything seen so far: start with 0, pass each
// result to the next call, and the last result is the CRC-32 of all the bytes, the
// value a zip header stores. ArCrc32Update(0, "123456789", 9) == 0xCBF43926.
// (A "running" CRC register that starts at 0xFFFFFFFF and is complemented at the end
// is exactly ~value of this function's value.)
std::uint32_t ArCrc32Update(std::uint32_t crc, const void* data, std::size_t size);

// One byte step of the raw CRC-32 register (no complement on either side):
// table[(reg ^ byte) & 0xFF] ^ (reg >> 8). The key schedule of traditional zip
// encryption is built from this step.
std::uint32_t ArCrc32Step(std::uint32_t reg, std::uint8_t byte);

// Continues an Adler-32 the same way: start with 1, pass each result to the next
// call; the last result is the Adler-32 of all the bytes.
// ArAdler32Update(1, "Wikipedia", 9) == 0x11E60398.
std::uint32_t ArAdler32Update(std::uint32_t adler, const void* data, std::size_t size);

}  // namespace vornel
