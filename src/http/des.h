// The DES block cipher, encryption only: what the LAN Manager and NT responses of
// NTLM are made with.
#pragma once

#include <array>
#include <cstdint>

namespace vornel {

using TDESBlock = std::array<std::uint8_t, 8>;

// One block encrypted with an 8-byte key (the low bit of each key byte, its parity
// bit, is ignored).
TDESBlock DESEncrypt(const TDESBlock& key, const TDESBlock& block);
// The 8-byte key of seven key bytes: 56 bits spread over eight bytes, seven each.
TDESBlock DESKeyFrom56Bits(const std::uint8_t* seven);

}  // namespace vornel
