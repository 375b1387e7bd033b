// The constant tables of the deflate format, with the deflate64 extensions.
#pragma once

#include <array>
#include <cstdint>

namespace vornel {

constexpr unsigned kArDfEndOfBlock = 256;
constexpr unsigned kArDfMaxLiteralCodes = 286;
constexpr unsigned kArDfMaxDistanceCodes = 30;  // deflate; deflate64 allows 32
constexpr unsigned kArDfMaxCodeLength = 15;     // literal/length and distance codes
constexpr unsigned kArDfMaxCodeLengthCode = 7;  // the code-length code

// Length symbols 257..285. Symbol 285 is 258 in deflate; in deflate64 it is base 3
// with 16 extra bits (3 to 65538).
constexpr std::array<std::uint16_t, 29> kArDfLengthBase = {
    3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
    31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::array<std::uint8_t, 29> kArDfLengthExtra = {
    0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::uint16_t kArDf64Length285Base = 3;
constexpr std::uint8_t kArDf64Length285Extra = 16;

// Distance symbols 0..31; 30 and 31 exist only in deflate64.
constexpr std::array<std::uint16_t, 32> kArDfDistanceBase = {
    1,    2,    3,    4,    5,    7,     9,     13,    17,    25,   33,
    49,   65,   97,   129,  193,  257,   385,   513,   769,   1025, 1537,
    2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577, 32769, 49153};
constexpr std::array<std::uint8_t, 32> kArDfDistanceExtra = {
    0, 0, 0, 0, 1, 1, 2,  2,  3,  3,  4,  4,  5,  5,  6,  6,
    7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13, 14, 14};

// The order in which a dynamic block lists the lengths of the code-length code.
constexpr std::array<std::uint8_t, 19> kArDfCodeLengthOrder = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                                               11, 4,  12, 3, 13, 2, 14, 1, 15};

}  // namespace vornel
