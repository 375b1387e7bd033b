// The input buffer of an I/O handler (and its write buffer): received bytes not
// yet consumed, kept from a head index on, with compaction and shrinking as
// bytes are removed from the head.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/bytes.h"
#include "platform/stream.h"
#include "transport/socket/net_stack.h"
#include "transport/text_encoding.h"

namespace vornel {

class TNetBuffer;
using TNetBufferBytesRemoved = std::function<void(TNetBuffer& ASender, int ABytes)>;

class TNetBuffer {
 public:
  explicit TNetBuffer(TNetBufferBytesRemoved AOnBytesRemoved = {},
                      TNetEncoding AByteEncoding = nullptr);
  TNetBuffer(const TNetBuffer&) = delete;
  TNetBuffer& operator=(const TNetBuffer&) = delete;

  int Size() const { return FSize; }
  int Capacity() const { return static_cast<int>(FBytes.size()); }
  // ENetException "Capacity cannot be smaller than Size" below Size.
  void SetCapacity(int AValue);
  int HeadIndex() const { return FHeadIndex; }
  int GrowthFactor() const { return FGrowthFactor; }
  TNetEncoding Encoding() const { return FByteEncoding; }
  void SetEncoding(TNetEncoding AValue) { FByteEncoding = AValue; }

  // The valid bytes.
  const std::uint8_t* Data() const { return FBytes.data() + FHeadIndex; }
  std::uint8_t PeekByte(int AIndex) const { return FBytes[FHeadIndex + AIndex]; }

  // Appends; ENetTooMuchDataInBuffer when the size would pass 2147483647.
  void Write(const std::uint8_t* AData, int ACount);
  void Write(const TBytes& ABytes, int AByteCount = -1, int AOffset = 0);
  void Write(std::u16string_view AText, TNetEncoding AByteEncoding = nullptr);
  void Write(TStream& AStream, std::int64_t AByteCount = 0);

  // Drops count bytes from the head and then tells the removal callback.
  void Remove(int AByteCount);
  // Drops everything without telling the removal callback.
  void Clear();
  // Moves the valid bytes to the start; with ACanShrink gives back spare storage.
  void CompactHead(bool ACanShrink = true);

  // Removes count bytes (-1: all) into ADest, behind its content (AAppend) or at
  // its start; ENetNotEnoughDataInBuffer when fewer are buffered.
  void ExtractToBytes(TBytes& ADest, int AByteCount = -1, bool AAppend = true);
  void ExtractToStream(TStream* AStream, int AByteCount = -1);
  std::u16string ExtractToString(int AByteCount = -1, TNetEncoding AByteEncoding = nullptr);
  // The bytes without removing them.
  void PeekToBytes(TBytes& ADest, int AByteCount, int AIndex = 0) const;
  std::u16string AsString(TNetEncoding AByteEncoding = nullptr) const;

  // First position at or after AStartPos (relative to the head) where the whole
  // pattern lies in the valid bytes, or -1.
  int IndexOf(const TBytes& APattern, int AStartPos = 0) const;
  int IndexOf(std::uint8_t AByte, int AStartPos = 0) const;
  int IndexOf(std::u16string_view AText, int AStartPos = 0,
              TNetEncoding AByteEncoding = nullptr) const;

  TNetBufferBytesRemoved OnBytesRemoved;

 private:
  TNetEncoding EncodingFor(TNetEncoding AByteEncoding) const;

  TNetStackUsage FStackUsage;
  TBytes FBytes;
  TNetEncoding FByteEncoding;
  int FGrowthFactor = 2048;
  int FHeadIndex = 0;
  int FSize = 0;
};

}  // namespace vornel
