// Runs the inflater over bytes in memory and collects what came out.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/text.h"
#include "test_streams.h"
#include "zip/inflate/inflate.h"
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

// bmi2 picks the decoding loop's variant, by default the processor's.
inline InflateResult RunInflate(const std::vector<std::uint8_t>& input,
                                std::int32_t options = dfc_Default,
                                bool bmi2 = ArDfProcessorHasBmi2()) {
  TMemoryStream source;
  Fill(source, input);
  RecordingStream dest;
  TArDeflateHelper settings;
  settings.SetOptions(options);
  InflateResult result;
  try {
    result.checksum = ArDfInflateWithLoop(source, dest, &settings, bmi2);
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

// With the decoding loop's plain variant: the one that processors without BMI1
// and BMI2 run, and that this machine may otherwise never take.
inline InflateResult RunPlainLoop(const std::vector<std::uint8_t>& input,
                                  std::int32_t options = dfc_Default) {
  return RunInflate(input, options, false);
}

inline std::string InflateMessage(const std::string& internal) {
  return "Inflate error, possibly a corrupted compressed stream. (Internal cause: " + internal +
         ")";
}

}  // namespace vornel::testing
