// Runs the inflater over bytes in memory and collects what came out.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/text.h"
#include "test_streams.h"
#include "zip/inflate/inflate.h"
#include "zip/inflate/inflate_errors.h"
#include "zip/inflate/inflater.h"

namespace vornel::testing {

struct InflateResult {
  bool ok = false;
  std::vector<std::uint8_t> output;
  std::uint32_t checksum = 0;
  std::string error;  // the EArInflateError message, UTF-8
  std::vector<std::int64_t> writes;
  std::int64_t sourcePosition = 0;
  std::int64_t normalSize = -1;
  std::int64_t compressedSize = -1;
};

inline InflateResult RunInflate(const std::vector<std::uint8_t>& input,
                                std::int32_t options = dfc_Default) {
  TMemoryStream source;
  Fill(source, input);
  RecordingStream dest;
  TArDeflateHelper settings;
  settings.SetOptions(options);
  InflateResult result;
  try {
    result.checksum = Inflate(source, dest, &settings);
    result.ok = true;
    result.normalSize = settings.NormalSize();
    result.compressedSize = settings.CompressedSize();
  } catch (const EArInflateError& e) {
    result.error = e.what();
  }
  result.output = dest.Bytes();
  result.writes = dest.Writes;
  result.sourcePosition = source.Position();
  return result;
}

// The block decoder by itself, with the decoding loop's plain variant: the one that
// processors without BMI2 run, and that this machine may otherwise never take.
struct PlainLoopResult {
  bool ok = false;
  std::vector<std::uint8_t> output;  // what reached the destination
  std::string error;                 // the internal cause, UTF-8
};

inline PlainLoopResult RunPlainLoop(const std::vector<std::uint8_t>& input,
                                    std::int32_t options = dfc_Default) {
  const bool deflate64 = (options & dfc_UseDeflate64) != 0;
  TMemoryStream source;
  Fill(source, input);
  TMemoryStream dest;
  TArDfInBitStream bits(source, 0, {});
  TArDfOutputWindow window(dest, deflate64, false, false, 0);
  PlainLoopResult result;
  try {
    TArDfInflater(bits, window, deflate64, false).Run();
    result.ok = true;
  } catch (const TArDfDecodeError& e) {
    result.error = ToUtf8(e.Message());
  }
  window.Flush();
  result.output = dest.Bytes();
  return result;
}

inline std::string InflateMessage(const std::string& internal) {
  return "Inflate error, possibly a corrupted compressed stream. (Internal cause: " + internal +
         ")";
}

}  // namespace vornel::testing
