// The bit reader of the inflater: a buffer of input bytes read from the source
// stream and a 64-bit bit buffer, bits taken least significant first.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>

#include "platform/stream.h"
#include "zip/inflate/deflate_helper.h"
#include "zip/inflate/load_le64.h"

namespace vornel {

// The reader's state, copied into locals by the decoding loop.
//
// Bits holds Count real, not yet consumed bits at its bottom. The bits above Count
// are either zero or the bits of the bytes at Next, in their places: a word load may
// run ahead of the count, and ORing the same bytes in again changes nothing. Beyond
// the end of the input they are zero, so peeks there read zeros.
struct TArDfBitState {
  std::uint64_t Bits = 0;
  unsigned Count = 0;
  const std::uint8_t* Next = nullptr;
  const std::uint8_t* End = nullptr;
};

class TArDfInBitStream {
 public:
  static constexpr std::size_t kBufferSize = 16384;
  // Zero bytes kept after the input once the source has ended, so that a word load
  // at any byte up to the end stays inside the buffer and reads zeros beyond it.
  static constexpr std::size_t kEndPadding = 8;

  TArDfInBitStream(TStream& source, std::int64_t streamSize, TArProgressStepEvent onProgress);
  TArDfInBitStream(const TArDfInBitStream&) = delete;
  TArDfInBitStream& operator=(const TArDfInBitStream&) = delete;

  TArDfBitState& State() { return FState; }
  std::size_t Available() const { return static_cast<std::size_t>(FState.End - FState.Next); }

  // Moves the unread bytes to the front of the buffer and reads more from the
  // source; false when the source has nothing more. May raise TArDfQuietStop when
  // the progress event aborts.
  bool RefillBuffer();
  // The source has nothing more: the buffered bytes are the last ones, and the
  // kEndPadding bytes after them are zero.
  bool AtEnd() const { return FEof; }

  // Loads whole bytes until at least n (at most 56) bits are held or the input ends.
  void Need(unsigned n) {
    if (FState.Count >= n)
      return;
    if (Available() >= 8) {
      // A word at once: the bits above the count are those of the bytes at Next.
      FState.Bits |= LoadLe64(FState.Next) << FState.Count;
      FState.Next += (63 - FState.Count) >> 3;
      FState.Count |= 56;
      return;
    }
    NeedBytes(n);
  }
  // Consumes n bits; raises "no more compressed data in stream [where]" when
  // fewer are held.
  void Consume(unsigned n, const char16_t* where) {
    if (n > FState.Count)
      RaiseShort(where);
    FState.Bits >>= n;
    FState.Count -= n;
  }

  bool ReadBit();
  unsigned ReadBits(unsigned n);  // 1 to 16 bits
  void AlignToByte();
  // Reads n bytes at a byte boundary: first what the bit buffer holds, then the
  // input buffer. The bit buffer is empty afterwards.
  void ReadBytes(std::uint8_t* target, std::size_t n);

  // Bytes taken from the source and not given back.
  std::int64_t Consumed() const;
  // Moves the source back to just after the last consumed byte.
  void GiveBack();

 private:
  TStream& FSource;
  std::int64_t FStreamSize;
  TArProgressStepEvent FOnProgress;
  int FLastPercent = -1;
  bool FEof = false;
  std::int64_t FTotalRead = 0;
  void NeedBytes(unsigned n);
  [[noreturn]] static void RaiseShort(const char16_t* where);

  TArDfBitState FState;
  std::array<std::uint8_t, kBufferSize + kEndPadding> FBuffer;
};

}  // namespace vornel
