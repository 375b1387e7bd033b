// CRC-32 by carry-less multiplication folding.
//
// The input is taken in 128-bit chunks, each loaded little-endian, so that bit m of
// a chunk is the m-th bit of the stream (the CRC is bit-reflected). An accumulator
// X stands for the polynomial of the bytes folded so far. Moving it forward over d
// bits of the stream means replacing it by X * x^d mod P and adding that to the
// chunk d bits further on; the CRC changes by nothing, since only the remainder
// modulo P counts. With X = Xh * x^64 + Xl (Xh the low, earlier 64 bits),
// X * x^d = Xh * x^(d+64) + Xl * x^d, two 64 x 32-bit carry-less products whose sum
// fits 128 bits. The product of two reflected 64-bit values lands one bit short
// of the 128-bit reflected layout, so the constants are x^(d+63) and x^(d-1)
// modulo P. At the end the one accumulator left is run through the table method
// as 16 message bytes, which multiplies by x^32 and reduces modulo P, and the
// bytes after the last whole chunk follow it.
//
// The starting register is XORed into the first four bytes, which is what the
// table method does with it.
#include "zip/inflate/crc32_kernels.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace vornel {

namespace {

// x^n mod P for the CRC-32 polynomial, as a reflected 64-bit multiplier: the
// coefficient of x^k in bit 63 - k.
constexpr std::uint64_t PowerOfXModP(unsigned n) {
  std::uint64_t r = 1;
  for (unsigned i = 0; i < n; ++i) {
    r <<= 1;
    if (r & (std::uint64_t{1} << 32))
      r ^= 0x104C11DB7ull;
  }
  std::uint64_t reflected = 0;
  for (unsigned k = 0; k < 32; ++k) {
    if ((r >> k) & 1)
      reflected |= std::uint64_t{1} << (63 - k);
  }
  return reflected;
}

// The two multipliers that move an accumulator forward over d bits: for the low
// (earlier) half and for the high half.
struct TFoldConstants {
  std::uint64_t Low;
  std::uint64_t High;
};

constexpr TFoldConstants FoldOver(unsigned bits) {
  return {PowerOfXModP(bits + 63), PowerOfXModP(bits - 1)};
}

constexpr TFoldConstants kFold128 = FoldOver(128);
constexpr TFoldConstants kFold256 = FoldOver(256);
constexpr TFoldConstants kFold384 = FoldOver(384);
constexpr TFoldConstants kFold512 = FoldOver(512);
constexpr TFoldConstants kFold2048 = FoldOver(2048);

}  // namespace

#if defined(__x86_64__) || defined(__i386__)

namespace {

#define VORNEL_CLMUL_TARGET __attribute__((target("pclmul,sse4.1")))
#define VORNEL_WIDE_TARGET __attribute__((target("pclmul,sse4.1,avx2,avx512f,avx512bw,vpclmulqdq")))

VORNEL_CLMUL_TARGET inline __m128i Constants(const TFoldConstants& k) {
  return _mm_set_epi64x(static_cast<long long>(k.High), static_cast<long long>(k.Low));
}

VORNEL_CLMUL_TARGET inline __m128i Load(const std::uint8_t* p) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

// acc * x^d mod P (up to congruence), d given by the constants.
VORNEL_CLMUL_TARGET inline __m128i Fold(__m128i acc, __m128i k) {
  return _mm_xor_si128(_mm_clmulepi64_si128(acc, k, 0x00), _mm_clmulepi64_si128(acc, k, 0x11));
}

// Ends with one accumulator: whole 16-byte chunks are folded in, then the table
// method reduces it and takes the last size % 16 bytes.
VORNEL_CLMUL_TARGET std::uint32_t Finish(__m128i acc, const std::uint8_t* p, std::size_t size) {
  const __m128i k128 = Constants(kFold128);
  while (size >= 16) {
    acc = _mm_xor_si128(Fold(acc, k128), Load(p));
    p += 16;
    size -= 16;
  }
  alignas(16) std::uint8_t bytes[16];
  _mm_store_si128(reinterpret_cast<__m128i*>(bytes), acc);
  const std::uint32_t reg = ArCrc32RawTable(0, bytes, 16);
  return ArCrc32RawTable(reg, p, size);
}

}  // namespace

VORNEL_CLMUL_TARGET std::uint32_t ArCrc32RawClmul(std::uint32_t reg, const std::uint8_t* p,
                                                  std::size_t size) {
  if (size < 64)
    return ArCrc32RawTable(reg, p, size);
  // Four independent accumulators, each moved 512 bits a step.
  __m128i x0 = _mm_xor_si128(Load(p), _mm_cvtsi32_si128(static_cast<int>(reg)));
  __m128i x1 = Load(p + 16);
  __m128i x2 = Load(p + 32);
  __m128i x3 = Load(p + 48);
  p += 64;
  size -= 64;
  const __m128i k512 = Constants(kFold512);
  while (size >= 64) {
    x0 = _mm_xor_si128(Fold(x0, k512), Load(p));
    x1 = _mm_xor_si128(Fold(x1, k512), Load(p + 16));
    x2 = _mm_xor_si128(Fold(x2, k512), Load(p + 32));
    x3 = _mm_xor_si128(Fold(x3, k512), Load(p + 48));
    p += 64;
    size -= 64;
  }
  __m128i acc = _mm_xor_si128(Fold(x0, Constants(kFold384)), Fold(x1, Constants(kFold256)));
  acc = _mm_xor_si128(acc, _mm_xor_si128(Fold(x2, Constants(kFold128)), x3));
  return Finish(acc, p, size);
}

namespace {

VORNEL_WIDE_TARGET inline __m512i WideConstants(const TFoldConstants& k) {
  return _mm512_broadcast_i32x4(Constants(k));
}

VORNEL_WIDE_TARGET inline __m512i WideLoad(const std::uint8_t* p) {
  return _mm512_loadu_si512(p);
}

// Folds each 128-bit lane of acc and adds data, in one three-way XOR.
VORNEL_WIDE_TARGET inline __m512i WideFold(__m512i acc, __m512i k, __m512i data) {
  return _mm512_ternarylogic_epi64(_mm512_clmulepi64_epi128(acc, k, 0x00),
                                   _mm512_clmulepi64_epi128(acc, k, 0x11), data, 0x96);
}

}  // namespace

VORNEL_WIDE_TARGET std::uint32_t ArCrc32RawWideClmul(std::uint32_t reg, const std::uint8_t* p,
                                                     std::size_t size) {
  if (size < 256)
    return ArCrc32RawClmul(reg, p, size);
  // Sixteen 128-bit accumulators in four registers, each moved 2048 bits a step.
  __m512i z0 = _mm512_xor_si512(WideLoad(p),
                                _mm512_zextsi128_si512(_mm_cvtsi32_si128(static_cast<int>(reg))));
  __m512i z1 = WideLoad(p + 64);
  __m512i z2 = WideLoad(p + 128);
  __m512i z3 = WideLoad(p + 192);
  p += 256;
  size -= 256;
  const __m512i k2048 = WideConstants(kFold2048);
  while (size >= 256) {
    z0 = WideFold(z0, k2048, WideLoad(p));
    z1 = WideFold(z1, k2048, WideLoad(p + 64));
    z2 = WideFold(z2, k2048, WideLoad(p + 128));
    z3 = WideFold(z3, k2048, WideLoad(p + 192));
    p += 256;
    size -= 256;
  }
  const __m512i k512 = WideConstants(kFold512);
  __m512i z = WideFold(z0, k512, z1);
  z = WideFold(z, k512, z2);
  z = WideFold(z, k512, z3);
  while (size >= 64) {
    z = WideFold(z, k512, WideLoad(p));
    p += 64;
    size -= 64;
  }
  // The four lanes of the last register, 384, 256, 128 and 0 bits from its end.
  const __m128i l0 = _mm512_extracti32x4_epi32(z, 0);
  const __m128i l1 = _mm512_extracti32x4_epi32(z, 1);
  const __m128i l2 = _mm512_extracti32x4_epi32(z, 2);
  const __m128i l3 = _mm512_extracti32x4_epi32(z, 3);
  __m128i acc = _mm_xor_si128(Fold(l0, Constants(kFold384)), Fold(l1, Constants(kFold256)));
  acc = _mm_xor_si128(acc, _mm_xor_si128(Fold(l2, Constants(kFold128)), l3));
  return Finish(acc, p, size);
}

TArCrc32Features ArCrc32ProcessorFeatures() {
  TArCrc32Features features;
  __builtin_cpu_init();
  features.Clmul = __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse4.1");
  features.WideClmul = features.Clmul && __builtin_cpu_supports("avx512f") &&
                       __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("vpclmulqdq");
  return features;
}

#else

std::uint32_t ArCrc32RawClmul(std::uint32_t reg, const std::uint8_t* p, std::size_t size) {
  return ArCrc32RawTable(reg, p, size);
}

std::uint32_t ArCrc32RawWideClmul(std::uint32_t reg, const std::uint8_t* p, std::size_t size) {
  return ArCrc32RawTable(reg, p, size);
}

TArCrc32Features ArCrc32ProcessorFeatures() {
  return {};
}

#endif

}  // namespace vornel
