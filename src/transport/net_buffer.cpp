#include "transport/net_buffer.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "transport/net_exceptions.h"

namespace vornel {

namespace {

constexpr int kMaxSize = std::numeric_limits<int>::max();
// What an emptied buffer may keep allocated: two receives and the slack.
constexpr std::size_t kKeptStorage = 2 * 32768 + 2048;

}  // namespace

TNetBuffer::TNetBuffer(TNetBufferBytesRemoved AOnBytesRemoved, TNetEncoding AByteEncoding)
    : OnBytesRemoved(std::move(AOnBytesRemoved)), FByteEncoding(AByteEncoding) {}

TNetEncoding TNetBuffer::EncodingFor(TNetEncoding AByteEncoding) const {
  if (AByteEncoding)
    return AByteEncoding;
  return NetEncodingOrDefault(FByteEncoding);
}

void TNetBuffer::SetCapacity(int AValue) {
  if (AValue < FSize)
    throw ENetException(u"Capacity cannot be smaller than Size");
  CompactHead(false);
  FBytes.resize(static_cast<std::size_t>(AValue));
  FBytes.shrink_to_fit();
}

void TNetBuffer::Write(const std::uint8_t* AData, int ACount) {
  if (ACount <= 0)
    return;
  if (kMaxSize - ACount < FSize)
    throw ENetTooMuchDataInBuffer();
  if (FSize == 0) {
    FHeadIndex = 0;
    FBytes.assign(AData, AData + ACount);
    FSize = ACount;
    return;
  }
  CompactHead(false);
  if (Capacity() - FSize < ACount) {
    FBytes.resize(static_cast<std::size_t>(FSize) + ACount + FGrowthFactor);
  }
  std::memcpy(FBytes.data() + FSize, AData, static_cast<std::size_t>(ACount));
  FSize += ACount;
}

void TNetBuffer::Write(const TBytes& ABytes, int AByteCount, int AOffset) {
  if (AOffset < 0 || static_cast<std::size_t>(AOffset) >= ABytes.size())
    return;
  int count = static_cast<int>(std::min<std::size_t>(ABytes.size() - AOffset, kMaxSize));
  if (AByteCount >= 0)
    count = std::min(count, AByteCount);
  Write(ABytes.data() + AOffset, count);
}

void TNetBuffer::Write(std::u16string_view AText, TNetEncoding AByteEncoding) {
  const TBytes bytes = EncodingFor(AByteEncoding)->GetBytes(AText);
  Write(bytes);
}

void TNetBuffer::Write(TStream& AStream, std::int64_t AByteCount) {
  if (AByteCount <= 0) {
    AStream.SetPosition(0);
    AByteCount = AStream.Size();
  } else {
    AByteCount = std::min(AByteCount, AStream.Size() - AStream.Position());
  }
  if (AByteCount <= 0)
    return;
  if (AByteCount > kMaxSize - FSize)
    throw ENetTooMuchDataInBuffer();
  TBytes bytes(static_cast<std::size_t>(AByteCount));
  AStream.ReadBuffer(bytes.data(), AByteCount);
  Write(bytes);
}

void TNetBuffer::Remove(int AByteCount) {
  if (AByteCount <= 0)
    return;
  const int removed = std::min(AByteCount, FSize);
  if (AByteCount < FSize) {
    FHeadIndex += AByteCount;
    FSize -= AByteCount;
    if (FHeadIndex > FGrowthFactor)
      CompactHead(true);
  } else {
    Clear();
  }
  if (OnBytesRemoved)
    OnBytesRemoved(*this, removed);
}

void TNetBuffer::Clear() {
  // A buffer emptied after each receive keeps its storage for the next one,
  // unless a large block had made it big.
  if (FBytes.capacity() > kKeptStorage) {
    TBytes().swap(FBytes);
  } else {
    FBytes.clear();
  }
  FHeadIndex = 0;
  FSize = 0;
}

void TNetBuffer::CompactHead(bool ACanShrink) {
  if (FHeadIndex > 0) {
    std::memmove(FBytes.data(), FBytes.data() + FHeadIndex, static_cast<std::size_t>(FSize));
    FHeadIndex = 0;
  }
  if (ACanShrink && Capacity() - FSize > FGrowthFactor) {
    FBytes.resize(static_cast<std::size_t>(FSize) + FGrowthFactor);
    FBytes.shrink_to_fit();
  }
}

void TNetBuffer::ExtractToBytes(TBytes& ADest, int AByteCount, bool AAppend) {
  if (AByteCount == -1)
    AByteCount = FSize;
  if (AByteCount <= 0)
    return;
  if (AByteCount > FSize)
    throw ENetNotEnoughDataInBuffer(AByteCount, FSize);
  std::size_t index = 0;
  if (AAppend) {
    index = ADest.size();
    ADest.resize(index + static_cast<std::size_t>(AByteCount));
  } else if (ADest.size() < static_cast<std::size_t>(AByteCount)) {
    ADest.resize(static_cast<std::size_t>(AByteCount));
  }
  std::memcpy(ADest.data() + index, Data(), static_cast<std::size_t>(AByteCount));
  Remove(AByteCount);
}

void TNetBuffer::ExtractToStream(TStream* AStream, int AByteCount) {
  if (AByteCount == -1)
    AByteCount = FSize;
  if (AByteCount <= 0)
    return;
  if (AByteCount > FSize)
    throw ENetNotEnoughDataInBuffer(AByteCount, FSize);
  CompactHead(false);
  if (AStream)
    AStream->Write(FBytes.data(), AByteCount);
  Remove(AByteCount);
}

std::u16string TNetBuffer::ExtractToString(int AByteCount, TNetEncoding AByteEncoding) {
  if (AByteCount == -1)
    AByteCount = FSize;
  if (AByteCount < 1)
    return {};
  TBytes bytes;
  ExtractToBytes(bytes, AByteCount, false);
  return EncodingFor(AByteEncoding)->GetString(bytes.data(), static_cast<std::size_t>(AByteCount));
}

void TNetBuffer::PeekToBytes(TBytes& ADest, int AByteCount, int AIndex) const {
  AByteCount = std::clamp(AByteCount, 0, std::max(FSize - AIndex, 0));
  ADest.assign(Data() + AIndex, Data() + AIndex + AByteCount);
}

std::u16string TNetBuffer::AsString(TNetEncoding AByteEncoding) const {
  return EncodingFor(AByteEncoding)->GetString(Data(), static_cast<std::size_t>(FSize));
}

int TNetBuffer::IndexOf(const TBytes& APattern, int AStartPos) const {
  if (FSize == 0)
    return -1;
  if (APattern.empty())
    throw ENetException(u"Buffer terminator must be specified.");
  if (AStartPos < 0 || AStartPos >= FSize) {
    throw ENetException(u"Buffer start position is invalid.");
  }
  const std::uint8_t* begin = Data();
  const std::uint8_t* end = begin + FSize;
  const std::uint8_t* found = std::search(begin + AStartPos, end, APattern.begin(), APattern.end());
  return found == end ? -1 : static_cast<int>(found - begin);
}

int TNetBuffer::IndexOf(std::uint8_t AByte, int AStartPos) const {
  return IndexOf(TBytes{AByte}, AStartPos);
}

int TNetBuffer::IndexOf(std::u16string_view AText, int AStartPos,
                        TNetEncoding AByteEncoding) const {
  return IndexOf(EncodingFor(AByteEncoding)->GetBytes(AText), AStartPos);
}

}  // namespace vornel
