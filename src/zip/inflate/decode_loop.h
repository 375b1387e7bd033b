// The inner decoding loop of the inflater and what it shares with the block
// decoder: its error messages, the match copy and the bit helpers. The block decoder
// compiles the loop once per processor variant: plain, and for processors with BMI1
// and BMI2 (Bmi2).
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "zip/inflate/decode_huffman_tree.h"
#include "zip/inflate/in_bit_stream.h"
#include "zip/inflate/inflate_errors.h"
#include "zip/inflate/inflate_tables.h"
#include "zip/inflate/load_le64.h"
#include "zip/inflate/output_window.h"

namespace vornel {
namespace ardf {

inline constexpr const char16_t* kNoMoreData =
    u"no more compressed data in stream [TArDfInBitStream.DiscardBits]";
inline constexpr const char16_t* kBadLengthSymbol =
    u"decoded an invalid length symbol: greater than 285 [DecodeData]";
inline constexpr const char16_t* kBadDistanceSymbol =
    u"decoded an invalid distance symbol: greater than 29 [DecodeData]";
inline constexpr const char16_t* kUnreachedDistance =
    u"decoded a distance code that no code reaches [DecodeData]";
inline constexpr const char16_t* kTooFarBack =
    u"distance reaches farther back than the bytes decoded so far [DecodeData]";

// The unchecked loop runs while this many input bytes are buffered.
constexpr std::size_t kFastInputMargin = 32;

inline std::uint64_t LowBits(std::uint64_t bits, unsigned n) {
  return bits & ((std::uint64_t{1} << n) - 1);
}

// The extra bits of a length or distance step, read from the bits as they were
// before the step: those above the code, up to the consumed bits. The low six bits
// of codeBits count the code's bits. The BMI2 variant takes one instruction for
// each count: BZHI reads the low byte of its index, the entry's consumed bits, and
// SHRX the low six bits of its count. (The intrinsics would need the whole header
// compiled for BMI2.)
template <bool Bmi2>
[[gnu::always_inline]] inline std::size_t ExtraBitsValue(std::uint64_t bits, std::uint32_t entry,
                                                         std::uint32_t codeBits) {
#if defined(__x86_64__)
  if constexpr (Bmi2) {
    std::uint64_t low;
    std::uint64_t value;
    asm("bzhi %q2, %1, %0" : "=r"(low) : "r"(bits), "r"(std::uint64_t{entry}));
    asm("shrx %q2, %1, %0" : "=r"(value) : "r"(low), "r"(std::uint64_t{codeBits}));
    return value;
  }
#endif
  return LowBits(bits, TotalBits(entry)) >> (codeBits & 63);
}

template <bool Bmi2>
[[gnu::always_inline]] inline std::size_t LengthValue(std::uint64_t bits, std::uint32_t entry) {
  return LengthBase(entry) + ExtraBitsValue<Bmi2>(bits, entry, LengthCodeField(entry));
}

// Above a distance's code bits, the low six bits of entry >> 8 hold bit 12, unused,
// and the link flag, clear in such an entry.
template <bool Bmi2>
[[gnu::always_inline]] inline std::size_t DistanceValue(std::uint64_t bits, std::uint32_t entry) {
  return Value(entry) + ExtraBitsValue<Bmi2>(bits, entry, entry >> 8);
}

// The next root index after a literal or a length: the bits that follow the step,
// as many as the next table's root takes. The entry's low half gives their start
// and length, the way BEXTR (BMI1) reads its control operand.
template <bool Bmi2>
[[gnu::always_inline]] inline std::size_t NextIndex(std::uint64_t bits, std::uint32_t entry) {
#if defined(__x86_64__)
  if constexpr (Bmi2) {
    std::uint64_t index;
    asm("bextr %q2, %1, %0" : "=r"(index) : "r"(bits), "r"(std::uint64_t{entry}));
    return index;
  }
#endif
  return LowBits(bits >> TotalBits(entry), (entry >> 8) & 0xFF);
}

// Copies a match of length bytes from distance bytes back. Copies run in words and
// may write up to 32 bytes past the start or 15 past the end; the window keeps room
// for that. A word never reads bytes that the same word writes.
inline void CopyMatch(std::uint8_t* dst, std::size_t distance, std::size_t length) {
  std::uint8_t* const end = dst + length;
  if (distance >= 8) {
    // Most matches: four words without a test cover lengths up to 32.
    const std::uint8_t* src = dst - distance;
    std::memcpy(dst, src, 8);
    std::memcpy(dst + 8, src + 8, 8);
    std::memcpy(dst + 16, src + 16, 8);
    std::memcpy(dst + 24, src + 24, 8);
    if (length > 32) {
      dst += 32;
      src += 32;
      if (distance >= 16) {
        // Long matches from farther back go on in 16-byte words.
        do {
          std::memcpy(dst, src, 16);
          dst += 16;
          src += 16;
        } while (dst < end);
      } else {
        do {
          std::memcpy(dst, src, 8);
          dst += 8;
          src += 8;
        } while (dst < end);
      }
    }
  } else if (distance == 1) {
    const std::uint64_t word = 0x0101010101010101ull * dst[-1];
    do {
      std::memcpy(dst, &word, 8);
      std::memcpy(dst + 8, &word, 8);
      dst += 16;
    } while (dst < end);
  } else {
    // A period of 2 to 7 bytes. Each word copied from distance bytes back gets its
    // first distance bytes right, so the first steps advance by distance until a
    // whole multiple of the period of at least 8 bytes is there; from then on the
    // words come from that multiple back and advance by 8.
    static constexpr std::uint8_t kMultiple[8] = {0, 0, 8, 9, 8, 10, 12, 14};
    const std::size_t multiple = kMultiple[distance];
    std::uint8_t* const periodEnd = dst + multiple;
    do {
      std::memcpy(dst, dst - distance, 8);
      dst += distance;
    } while (dst < periodEnd && dst < end);
    while (dst < end) {
      std::memcpy(dst, dst - multiple, 8);
      dst += 8;
    }
  }
}

// The decoding loop. Bit buffer, pointers and position live in locals (byte
// stores to the window could alias members). It leaves at the end of the block
// (true) or at the window's stop point or, unchecked, when the buffered input runs
// low (false).
//
// Invariants, at the top of every round:
// - count holds the real, not yet consumed bits at the bottom of bits; the bits
//   above count are the bits of the bytes at next, in their places, or zero (after
//   a shift, or beyond the end of the input). A refill ORs in the word at next and
//   so changes no bit below count. Unchecked, only count's low byte is the count:
//   a step subtracts its whole entry, whose low byte is the bits it consumes, and
//   no step takes more than is held, so the low byte never borrows from above.
// - entry is the literal/length table's root entry for the low bits, looked up
//   while at least the root's bits were real (or, at the end of the input, with the
//   zeros beyond it, as every peek there sees them): a refill leaves it valid. Real
//   are the held bits and, unchecked, all 64 bits that a refill leaves in bits (it
//   loads a whole word), less those shifted out since.
// - out < outLimit (the window's stop point), so that the round's output (three
//   literals or one match, copied in words) fits the buffer; every byte from the
//   buffer's start to out is output, and a distance up to out - window is valid.
// - The refill that begins the round brings the held bits to at least 56, or,
//   checked, to all that the input has left: enough for three literal codes (up to
//   15 bits for the first, 11 for the others, which come from the root) or for a
//   length (code and extra bits: at most 20, in deflate64 31). In deflate64, and
//   checked, a second refill before the distance (at most 29 bits) leaves at least
//   27 for the next round. In deflate, unchecked, a length and a distance (at most
//   28) take at most 48 of the 64 real bits, so the next root lookup still reads 16
//   real ones while the count may say 8; the next round's refill restores it.
//   Lookups come before the refills, so that these stay off the chain from one
//   symbol's bits to the next; after a literal or a length the next index comes
//   from the bits before the step's shift, so that the chain holds one instruction
//   between two lookups.
// - Unchecked: at least kFastInputMargin bytes from next on, which the round's
//   refills (at most two, each reading 8 bytes and advancing at most 7) stay within.
// - Checked (the input has ended): a refill never goes past the end, so count is
//   exact, and every consumption is checked against it in the order the one-symbol
//   decoder checks; running short is "no more compressed data" with the state of
//   the symbol's start, as there.
template <bool Deflate64, bool Checked, bool Bmi2>
[[gnu::always_inline]] inline bool DecodeLoop(TArDfBitState& state, TArDfOutputWindow& output,
                                              const TArDfDecodeHuffmanTree& literals,
                                              const TArDfDecodeHuffmanTree& distances) {
  std::uint64_t bits = state.Bits;
  unsigned count = state.Count;
  const std::uint8_t* next = state.Next;
  const std::uint8_t* const end = state.End;
  std::uint8_t* const window = output.Buffer();
  std::uint8_t* out = window + output.Position();
  std::uint8_t* const outLimit = window + output.StopAt();
  const std::uint32_t* const litTable = literals.Entries();
  constexpr unsigned litRoot = kLiteralRootBits;
  constexpr std::uint64_t litMask = (std::uint64_t{1} << litRoot) - 1;
  const std::uint32_t* const distTable = distances.Entries();
  constexpr unsigned distRoot = kDistanceRootBits;
  // The unchecked rounds stop here; the checked ones run to the end.
  const std::uint8_t* const inputLimit = end - (Checked ? 0 : kFastInputMargin);

  const auto refill = [&] {
    bits |= LoadLe64(next) << (count & 63);
    if constexpr (Checked) {
      const std::size_t step =
          std::min<std::size_t>((63 - count) >> 3, static_cast<std::size_t>(end - next));
      next += step;
      count += 8 * static_cast<unsigned>(step);
    } else {
      // 63 - count, the count being at most 63.
      next += (~count & 63) >> 3;
      count |= 56;
    }
  };
  // In the checked rounds, whether fewer than n bits are held.
  const auto shortOf = [&](unsigned n) { return Checked && count < n; };
  const auto consume = [&](unsigned n) {
    bits >>= n;
    count -= n;
  };
  // Unchecked, the whole entry comes off count (see above): one instruction less.
  const auto consumeEntry = [&](std::uint32_t e) {
    bits >>= TotalBits(e);
    count -= Checked ? TotalBits(e) : e;
  };

  bool ended = false;
  const char16_t* error = nullptr;
  refill();
  std::uint32_t entry = litTable[bits & litMask];
  // From a link to its entry in the second-level table; false, having consumed
  // nothing, when the root's bits are not all held (checked).
  const auto followLink = [&](const std::uint32_t* table, unsigned rootBits) {
    if (shortOf(rootBits))
      return false;
    consume(rootBits);
    entry = table[Value(entry) + LowBits(bits, LinkBits(entry))];
    return true;
  };
  for (;;) {
    // Two tests, each a branch that is almost never taken.
    if (out >= outLimit) [[unlikely]]
      break;
    if (next > inputLimit) [[unlikely]]
      break;
    refill();
    // Root literals, most rounds, take a single test.
    if (entry & kLiteral) {
      if (shortOf(TotalBits(entry))) {
        error = kNoMoreData;
        break;
      }
      const auto literalStep = [&] {
        const std::size_t index = NextIndex<Bmi2>(bits, entry);
        consumeEntry(entry);
        *out++ = LiteralByte(entry);
        entry = litTable[index];
      };
      literalStep();
      if constexpr (!Checked) {
        // A run of literals takes two more from the same refill.
        if (entry & kLiteral) {
          literalStep();
          if (entry & kLiteral)
            literalStep();
        }
      }
      continue;
    }
    // Lengths, most of the rest, take one more.
    if (entry & (kLink | kSpecial)) [[unlikely]] {
      if (entry & kLink) {
        if (!followLink(litTable, litRoot)) {
          error = kNoMoreData;
          break;
        }
        if (entry & kLiteral) {
          if (shortOf(TotalBits(entry))) {
            error = kNoMoreData;
            break;
          }
          consumeEntry(entry);
          *out++ = LiteralByte(entry);
          entry = litTable[bits & litMask];
          continue;
        }
      }
      if (entry & kSpecial) {
        if (Value(entry) != kArDfEndOfBlock) {
          error = kBadLengthSymbol;
          break;
        }
        if (shortOf(TotalBits(entry))) {
          error = kNoMoreData;
          break;
        }
        consumeEntry(entry);
        ended = true;
        break;
      }
    }
    if (shortOf(TotalBits(entry))) {
      error = kNoMoreData;
      break;
    }
    std::uint64_t saved = bits;
    const std::size_t distIndex = NextIndex<Bmi2>(bits, entry);
    consumeEntry(entry);
    const std::size_t length = LengthValue<Bmi2>(saved, entry);
    entry = distTable[distIndex];
    if constexpr (Deflate64 || Checked)
      refill();
    if (entry & (kLink | kSpecial)) [[unlikely]] {
      if ((entry & kLink) && !followLink(distTable, distRoot)) {
        error = kNoMoreData;
        break;
      }
      if (entry & kSpecial) {
        error = Deflate64 && Value(entry) == kUnreached ? kUnreachedDistance : kBadDistanceSymbol;
        break;
      }
    }
    if (shortOf(TotalBits(entry))) {
      error = kNoMoreData;
      break;
    }
    saved = bits;
    consumeEntry(entry);
    const std::size_t distance = DistanceValue<Bmi2>(saved, entry);
    if (distance > static_cast<std::size_t>(out - window)) {
      error = kTooFarBack;
      break;
    }
    entry = litTable[bits & litMask];
    CopyMatch(out, distance, length);
    out += length;
  }
  state.Bits = bits;
  state.Count = count & 0xFF;
  state.Next = next;
  output.SetPosition(static_cast<std::size_t>(out - window));
  if (error != nullptr)
    throw TArDfDecodeError(error);
  return ended;
}

}  // namespace ardf
}  // namespace vornel
