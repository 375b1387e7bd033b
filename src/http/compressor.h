// Decoders for "deflate" and "gzip" bodies. The HTTP client asks a compressor it is
// given whether it is ready and then decodes a whole body from one stream into
// another.
#pragma once

#include "platform/stream.h"
#include "transport/socket/net_exception.h"

namespace vornel {

class ENetDecompressionError : public ENetException {
 public:
  using ENetException::ENetException;
};

class TNetZLibCompressorBase {
 public:
  virtual ~TNetZLibCompressorBase() = default;

  virtual bool IsReady() const = 0;
  // From the input's position to its end, appended at the output's position.
  virtual void DecompressDeflateStream(TStream& input, TStream& output) = 0;
  virtual void DecompressGZipStream(TStream& input, TStream& output) = 0;
};

// The zlib decoder. "deflate" bodies are accepted with the zlib wrapper (as the
// protocol says) and raw (as some servers send them); "gzip" bodies may hold
// several members one after another.
class TNetCompressorZLib : public TNetZLibCompressorBase {
 public:
  bool IsReady() const override { return true; }
  void DecompressDeflateStream(TStream& input, TStream& output) override;
  void DecompressGZipStream(TStream& input, TStream& output) override;
};

}  // namespace vornel
