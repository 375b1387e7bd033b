// The settings object of the deflate codec. Compression and inflation share it;
// inflation reads the options, the partial size, the stream size and the
// input-progress event, and writes the two sizes back when it ends.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace vornel {

// Option bits. The four compression choices are ignored by inflation.
constexpr std::int32_t dfc_CanUseStored = 0x1;
constexpr std::int32_t dfc_CanUseStatic = 0x2;
constexpr std::int32_t dfc_CanUseDynamic = 0x4;
constexpr std::int32_t dfc_UseLazyMatch = 0x8;
constexpr std::int32_t dfc_UseDeflate64 = 0x10;    // deflate64 (zip method 9)
constexpr std::int32_t dfc_UseAdler32 = 0x20;      // return Adler-32, not CRC-32
constexpr std::int32_t dfc_TestOnly = 0x40000000;  // decode without writing
constexpr std::int32_t dfc_Default =
    dfc_CanUseStored | dfc_CanUseStatic | dfc_CanUseDynamic | dfc_UseLazyMatch;

// Input progress: the percentage (0..100) of StreamSize consumed so far; setting
// abort ends inflation quietly.
using TArProgressStepEvent = std::function<void(int percent, bool& abort)>;

class TArDeflateHelper {
 public:
  std::int32_t Options() const { return FOptions; }
  void SetOptions(std::int32_t value) { FOptions = value; }

  // When above 0, inflation stops quietly once this many bytes are decoded.
  std::int64_t PartialSize() const { return FPartialSize; }
  void SetPartialSize(std::int64_t value) { FPartialSize = value; }

  // Compressed size, used only to compute input progress.
  std::int64_t StreamSize() const { return FStreamSize; }
  void SetStreamSize(std::int64_t value) { FStreamSize = value; }

  // Written by inflation: bytes produced and compressed bytes consumed.
  std::int64_t NormalSize() const { return FNormalSize; }
  void SetNormalSize(std::int64_t value) { FNormalSize = value; }
  std::int64_t CompressedSize() const { return FCompressedSize; }
  void SetCompressedSize(std::int64_t value) { FCompressedSize = value; }

  // Optional log; inflation writes none.
  const std::u16string& LogFile() const { return FLogFile; }
  void SetLogFile(std::u16string value) { FLogFile = std::move(value); }

  // Compression settings; inflation does not use them.
  int AmpleLength() const { return FAmpleLength; }
  void SetAmpleLength(int value) { FAmpleLength = value; }
  int ChainLength() const { return FChainLength; }
  void SetChainLength(int value) { FChainLength = value; }
  int MaxLazy() const { return FMaxLazy; }
  void SetMaxLazy(int value) { FMaxLazy = value; }
  int WindowSize() const { return FWindowSize; }
  void SetWindowSize(int value) { FWindowSize = value; }
  char16_t PKZipOption() const { return FPKZipOption; }
  void SetPKZipOption(char16_t value) { FPKZipOption = value; }

  TArProgressStepEvent OnProgressStep;

 private:
  std::int32_t FOptions = dfc_Default;
  std::int64_t FPartialSize = 0;
  std::int64_t FStreamSize = 0;
  std::int64_t FNormalSize = 0;
  std::int64_t FCompressedSize = 0;
  std::u16string FLogFile;
  int FAmpleLength = 8;
  int FChainLength = 32;
  int FMaxLazy = 16;
  int FWindowSize = 32768;
  char16_t FPKZipOption = u'n';
};

}  // namespace vornel
