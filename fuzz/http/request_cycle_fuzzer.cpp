// Plays arbitrary server bytes into the request cycle. The first byte picks the
// component's options and the receive size; the rest is what the server sends.
// Only the exceptions of the network classes may leave a request.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "http/custom_http.h"
#include "memory_io_handler.h"
#include "support/discard_stream.h"

using vornel::testing::TDiscardStream;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1)
    return 0;
  const std::uint8_t flags = data[0];
  vornel::TNetHTTP http;
  http.SetIOHandler(
      std::make_unique<vornel::TMemoryIOHandler>(data + 1, size - 1, 1 + (flags >> 5) * 977));
  vornel::TNetCompressorZLib zlib;
  if (flags & 1)
    http.HandleRedirects = true;
  if (flags & 2)
    http.HTTPOptions.Include(vornel::hoNoProtocolErrorException);
  if (flags & 4)
    http.HTTPOptions.Include(vornel::hoWantProtocolErrorContent);
  if (flags & 8)
    http.Compressor = &zlib;
  if (flags & 16)
    http.ProtocolVersion = vornel::pv1_0;
  TDiscardStream sink;
  vornel::TMemoryStream memory;
  try {
    if (flags & 128) {
      http.Get(u"http://fuzz.invalid/a/b.html", memory);
    } else {
      http.Get(u"http://fuzz.invalid/a/b.zip", sink);
    }
  } catch (const vornel::ENetException&) {
  }
  return 0;
}
