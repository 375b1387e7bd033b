#include "zip/inflate/in_bit_stream.h"

#include <algorithm>

#include "zip/inflate/inflate_errors.h"

namespace vornel {

TArDfInBitStream::TArDfInBitStream(TStream& source, std::int64_t streamSize,
                                   TArProgressStepEvent onProgress)
    : FSource(source), FStreamSize(streamSize), FOnProgress(std::move(onProgress)) {
  FState.Next = FBuffer.data();
  FState.End = FBuffer.data();
}

bool TArDfInBitStream::RefillBuffer() {
  if (FEof)
    return false;
  const std::size_t keep = Available();
  std::memmove(FBuffer.data(), FState.Next, keep);
  FState.Next = FBuffer.data();
  FState.End = FBuffer.data() + keep;
  const std::int64_t got =
      FSource.Read(FBuffer.data() + keep, static_cast<std::int64_t>(kBufferSize - keep));
  if (got <= 0) {
    FEof = true;
    std::memset(FBuffer.data() + keep, 0, kEndPadding);
    return false;
  }
  FState.End += got;
  FTotalRead += got;
  if (FOnProgress && FStreamSize > 0) {
    const int percent =
        FTotalRead >= FStreamSize ? 100 : static_cast<int>(FTotalRead * 100 / FStreamSize);
    if (percent != FLastPercent) {
      FLastPercent = percent;
      bool abort = false;
      FOnProgress(percent, abort);
      if (abort)
        throw TArDfQuietStop();
    }
  }
  return true;
}

void TArDfInBitStream::NeedBytes(unsigned n) {
  while (FState.Count < n) {
    if (FState.Next == FState.End && !RefillBuffer())
      return;
    FState.Bits |= static_cast<std::uint64_t>(*FState.Next++) << FState.Count;
    FState.Count += 8;
  }
}

void TArDfInBitStream::RaiseShort(const char16_t* where) {
  throw TArDfDecodeError(where);
}

bool TArDfInBitStream::ReadBit() {
  Need(1);
  const bool bit = (FState.Bits & 1) != 0;
  Consume(1, u"no more compressed data in stream [TArDfInBitStream.ReadBit]");
  return bit;
}

unsigned TArDfInBitStream::ReadBits(unsigned n) {
  if (n < 1 || n > 16) {
    throw TArDfDecodeError(
        u"count of bits must be between 1 and 16 inclusive [TArDfInBitStream.ReadBits]");
  }
  Need(n);
  const unsigned value = static_cast<unsigned>(FState.Bits & ((1u << n) - 1));
  Consume(n, u"no more compressed data in stream [TArDfInBitStream.ReadBits]");
  return value;
}

void TArDfInBitStream::AlignToByte() {
  const unsigned drop = FState.Count & 7;
  FState.Bits >>= drop;
  FState.Count -= drop;
}

void TArDfInBitStream::ReadBytes(std::uint8_t* target, std::size_t n) {
  while (n > 0 && FState.Count >= 8) {
    *target++ = static_cast<std::uint8_t>(FState.Bits);
    FState.Bits >>= 8;
    FState.Count -= 8;
    --n;
  }
  if (n == 0)
    return;
  // The bit buffer is empty; what it held above its count are copies of the bytes
  // at Next, which are now read directly.
  FState.Bits = 0;
  while (n > 0) {
    if (FState.Next == FState.End && !RefillBuffer()) {
      throw TArDfDecodeError(u"no more compressed data in stream [TArDfInBitStream.ReadBuffer]");
    }
    const std::size_t piece = std::min(n, Available());
    std::memcpy(target, FState.Next, piece);
    FState.Next += piece;
    target += piece;
    n -= piece;
  }
}

std::int64_t TArDfInBitStream::Consumed() const {
  return FTotalRead - static_cast<std::int64_t>(Available() + FState.Count / 8);
}

void TArDfInBitStream::GiveBack() {
  const auto unread = static_cast<std::int64_t>(Available() + FState.Count / 8);
  if (unread == 0)
    return;
  FSource.Seek(-unread, soCurrent);
  FTotalRead -= unread;
  FState.Next = FState.End;
  FState.Bits = 0;
  FState.Count = 0;
}

}  // namespace vornel
