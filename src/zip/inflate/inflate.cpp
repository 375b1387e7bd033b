#include "zip/inflate/inflate.h"

#include "zip/inflate/in_bit_stream.h"
#include "zip/inflate/inflate_errors.h"
#include "zip/inflate/inflater.h"
#include "zip/inflate/output_window.h"

namespace vornel {

namespace {

const char16_t* const kErrorPrefix =
    u"Inflate error, possibly a corrupted compressed stream. (Internal cause: ";

}  // namespace

std::uint32_t Inflate(TStream& source, TStream& dest, TArDeflateHelper* settings) {
  return ArDfInflateWithLoop(source, dest, settings, ArDfProcessorHasBmi2());
}

std::uint32_t ArDfInflateWithLoop(TStream& source, TStream& dest, TArDeflateHelper* settings,
                                  bool bmi2) {
  const TArDeflateHelper own = settings != nullptr ? *settings : TArDeflateHelper();
  const bool deflate64 = (own.Options() & dfc_UseDeflate64) != 0;
  TArDfInBitStream input(source, own.StreamSize(), own.OnProgressStep);
  TArDfOutputWindow output(dest, deflate64, (own.Options() & dfc_TestOnly) != 0,
                           (own.Options() & dfc_UseAdler32) != 0, own.PartialSize());

  // Runs on every way out: the source goes back to just after the consumed input
  // and the caller's settings learn both sizes.
  const auto finish = [&]() {
    input.GiveBack();
    if (settings != nullptr) {
      settings->SetNormalSize(output.BytesOut());
      settings->SetCompressedSize(input.Consumed());
    }
  };
  // On the way out with an exception the first cause wins.
  const auto finishQuietly = [&]() {
    try {
      finish();
    } catch (...) {
    }
  };

  std::uint32_t result = 0;
  try {
    TArDfInflater(input, output, deflate64, bmi2).Run();
    output.Flush();
    result = output.Checksum();
  } catch (const TArDfQuietStop&) {
    output.Flush();
  } catch (const TArDfDecodeError& error) {
    // What was decoded before the damage still reaches the destination.
    try {
      output.Flush();
    } catch (...) {
    }
    finishQuietly();
    throw EArInflateError(kErrorPrefix + error.Message() + u")");
  } catch (...) {
    // The destination or the source failed: nothing more is written.
    finishQuietly();
    throw;
  }
  finish();
  return result;
}

}  // namespace vornel
