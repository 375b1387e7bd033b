// Runs the inflater over bytes in memory and collects what came out.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/text.h"
#include "test_streams.h"
#include "zip/inflate/inflate.h"

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

inline std::string InflateMessage(const std::string& internal) {
  return "Inflate error, possibly a corrupted compressed stream. (Internal cause: " + internal +
         ")";
}

}  // namespace vornel::testing
