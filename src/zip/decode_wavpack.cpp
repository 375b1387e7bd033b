#include <wavpack/wavpack.h>

#include <cstdio>
#include <vector>

#include "platform/text.h"
#include "zip/ar_exceptions.h"
#include "zip/method_decoders.h"

namespace vornel {

namespace {

[[noreturn]] void Fail(const std::string& what) {
  throw EArDecoderError(u"WavPack decompression failed: " + FromUtf8(what));
}

// The item's data as libwavpack reads it: forwards only, with one byte that can
// be pushed back. Exceptions never cross the library: a failed read ends the data.
struct TReader {
  TStream& In;
  int Pushed = -1;
  std::int64_t Position = 0;
};

std::int32_t ReadBytes(void* id, void* data, std::int32_t count) {
  auto& r = *static_cast<TReader*>(id);
  auto* out = static_cast<std::uint8_t*>(data);
  std::int32_t done = 0;
  if (count > 0 && r.Pushed >= 0) {
    out[done++] = static_cast<std::uint8_t>(r.Pushed);
    r.Pushed = -1;
  }
  try {
    done += static_cast<std::int32_t>(r.In.Read(out + done, count - done));
  } catch (...) {
  }
  r.Position += done;
  return done;
}

std::int64_t GetPos(void* id) {
  return static_cast<TReader*>(id)->Position;
}
int SetPosAbs(void*, std::int64_t) {
  return -1;
}
int SetPosRel(void*, std::int64_t, int) {
  return -1;
}
int PushBackByte(void* id, int c) {
  auto& r = *static_cast<TReader*>(id);
  r.Pushed = c;
  --r.Position;
  return c;
}
std::int64_t GetLength(void*) {
  return 0;
}
int CanSeek(void*) {
  return 0;
}

// Closes the library's context on every path.
struct TContext {
  WavpackContext* Handle = nullptr;
  ~TContext() {
    if (Handle)
      WavpackCloseFile(Handle);
  }
};

void WriteWrapper(WavpackContext* wpc, TArUnzipOutputStream& out) {
  const std::uint32_t bytes = WavpackGetWrapperBytes(wpc);
  if (bytes > 0)
    out.WriteBuffer(WavpackGetWrapperData(wpc), bytes);
  WavpackFreeWrapper(wpc);
}

}  // namespace

void ArDecodeWavPack(TArDecodeJob& job) {
  WavpackStreamReader64 reader{ReadBytes,    nullptr,   GetPos,  SetPosAbs, SetPosRel,
                               PushBackByte, GetLength, CanSeek, nullptr,   nullptr};
  TReader source{job.In};
  char error[128] = {};
  TContext context;
  context.Handle = WavpackOpenFileInputEx64(&reader, &source, nullptr, error, OPEN_WRAPPER, 0);
  if (!context.Handle)
    Fail(error);
  WavpackContext* wpc = context.Handle;
  if (WavpackGetQualifyMode(wpc) & QMODE_DSD_AUDIO)
    Fail("DSD audio is not supported");

  // The original file's header, the samples in its sample format, then its trailer.
  WriteWrapper(wpc, job.Out);
  const int channels = WavpackGetNumChannels(wpc);
  const int bytesPerSample = WavpackGetBytesPerSample(wpc);
  if (channels <= 0 || bytesPerSample < 1 || bytesPerSample > 4)
    Fail("unsupported sample format");
  constexpr std::uint32_t kFrames = 4096;
  std::vector<std::int32_t> samples(kFrames * static_cast<std::size_t>(channels));
  std::vector<std::uint8_t> bytes(samples.size() * static_cast<std::size_t>(bytesPerSample));
  for (;;) {
    const std::uint32_t frames = WavpackUnpackSamples(wpc, samples.data(), kFrames);
    if (frames == 0)
      break;
    const std::size_t count = frames * static_cast<std::size_t>(channels);
    std::uint8_t* p = bytes.data();
    for (std::size_t i = 0; i < count; ++i) {
      const auto value = static_cast<std::uint32_t>(samples[i]);
      if (bytesPerSample == 1) {
        *p++ = static_cast<std::uint8_t>(value + 128);
        continue;
      }
      for (int b = 0; b < bytesPerSample; ++b)
        *p++ = static_cast<std::uint8_t>(value >> (8 * b));
    }
    job.Out.WriteBuffer(bytes.data(), p - bytes.data());
  }
  if (WavpackGetNumErrors(wpc) > 0)
    Fail("damaged data");
  WriteWrapper(wpc, job.Out);
}

}  // namespace vornel
