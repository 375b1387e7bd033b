#include "http/message_digest.h"

#include <cstring>
#include <vector>

namespace vornel {

namespace {

inline std::uint32_t RotateLeft(std::uint32_t x, int n) {
  return (x << n) | (x >> (32 - n));
}

inline std::uint32_t LoadLE(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

// Both digests pad the message the same way: 0x80, zeros up to 56 bytes modulo 64,
// and the bit length as a little-endian 64-bit number; then 64-byte blocks.
template <typename TBlockFunction>
TDigest16 Digest(const std::uint8_t* data, std::size_t size, TBlockFunction block) {
  std::array<std::uint32_t, 4> state = {0x67452301u, 0xefcdab89u, 0x98badcfeu, 0x10325476u};
  const std::size_t whole = size / 64 * 64;
  for (std::size_t at = 0; at < whole; at += 64)
    block(state, data + at);
  std::uint8_t tail[128] = {};
  const std::size_t rest = size - whole;
  if (rest > 0)
    std::memcpy(tail, data + whole, rest);
  tail[rest] = 0x80;
  const std::size_t tailSize = rest < 56 ? 64 : 128;
  const std::uint64_t bits = static_cast<std::uint64_t>(size) * 8;
  for (int i = 0; i < 8; ++i)
    tail[tailSize - 8 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(bits >> (8 * i));
  for (std::size_t at = 0; at < tailSize; at += 64)
    block(state, tail + at);
  TDigest16 out{};
  for (std::size_t i = 0; i < 4; ++i) {
    for (std::size_t b = 0; b < 4; ++b)
      out[i * 4 + b] = static_cast<std::uint8_t>(state[i] >> (8 * b));
  }
  return out;
}

void MD4Block(std::array<std::uint32_t, 4>& state, const std::uint8_t* p) {
  std::uint32_t x[16];
  for (std::size_t i = 0; i < 16; ++i)
    x[i] = LoadLE(p + 4 * i);
  std::uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
  const auto f = [](std::uint32_t u, std::uint32_t v, std::uint32_t w) {
    return (u & v) | (~u & w);
  };
  const auto g = [](std::uint32_t u, std::uint32_t v, std::uint32_t w) {
    return (u & v) | (u & w) | (v & w);
  };
  const auto h = [](std::uint32_t u, std::uint32_t v, std::uint32_t w) { return u ^ v ^ w; };
  static constexpr int kS1[4] = {3, 7, 11, 19}, kS2[4] = {3, 5, 9, 13}, kS3[4] = {3, 9, 11, 15};
  for (int i = 0; i < 16; ++i) {
    const std::uint32_t t = RotateLeft(a + f(b, c, d) + x[i], kS1[i % 4]);
    a = d, d = c, c = b, b = t;
  }
  static constexpr int kOrder2[16] = {0, 4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15};
  for (int i = 0; i < 16; ++i) {
    const std::uint32_t t = RotateLeft(a + g(b, c, d) + x[kOrder2[i]] + 0x5a827999u, kS2[i % 4]);
    a = d, d = c, c = b, b = t;
  }
  static constexpr int kOrder3[16] = {0, 8, 4, 12, 2, 10, 6, 14, 1, 9, 5, 13, 3, 11, 7, 15};
  for (int i = 0; i < 16; ++i) {
    const std::uint32_t t = RotateLeft(a + h(b, c, d) + x[kOrder3[i]] + 0x6ed9eba1u, kS3[i % 4]);
    a = d, d = c, c = b, b = t;
  }
  state[0] += a, state[1] += b, state[2] += c, state[3] += d;
}

void MD5Block(std::array<std::uint32_t, 4>& state, const std::uint8_t* p) {
  static constexpr std::uint32_t kK[64] = {
      0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613,
      0xfd469501, 0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193,
      0xa679438e, 0x49b40821, 0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d,
      0x02441453, 0xd8a1e681, 0xe7d3fbc8, 0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed,
      0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a, 0xfffa3942, 0x8771f681, 0x6d9d6122,
      0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70, 0x289b7ec6, 0xeaa127fa,
      0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665, 0xf4292244,
      0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
      0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb,
      0xeb86d391};
  static constexpr int kS[64] = {7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22,
                                 5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20,
                                 4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23,
                                 6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21};
  std::uint32_t x[16];
  for (std::size_t i = 0; i < 16; ++i)
    x[i] = LoadLE(p + 4 * i);
  std::uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
  for (int i = 0; i < 64; ++i) {
    std::uint32_t f;
    int k;
    if (i < 16) {
      f = (b & c) | (~b & d);
      k = i;
    } else if (i < 32) {
      f = (d & b) | (~d & c);
      k = (5 * i + 1) % 16;
    } else if (i < 48) {
      f = b ^ c ^ d;
      k = (3 * i + 5) % 16;
    } else {
      f = c ^ (b | ~d);
      k = (7 * i) % 16;
    }
    const std::uint32_t t = d;
    d = c;
    c = b;
    b = b + RotateLeft(a + f + kK[i] + x[k], kS[i]);
    a = t;
  }
  state[0] += a, state[1] += b, state[2] += c, state[3] += d;
}

}  // namespace

TDigest16 MD4(const std::uint8_t* data, std::size_t size) {
  return Digest(data, size, MD4Block);
}

TDigest16 MD5(const std::uint8_t* data, std::size_t size) {
  return Digest(data, size, MD5Block);
}

std::string DigestToHex(const TDigest16& digest) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out;
  out.reserve(32);
  for (const std::uint8_t b : digest) {
    out += kHex[b >> 4];
    out += kHex[b & 15];
  }
  return out;
}

}  // namespace vornel
