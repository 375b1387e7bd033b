// Arbitrary bytes as a PPMd item: the first two bytes give the declared size
// (at most 65535 bytes), the rest is the item data, parameters first. Nothing
// may crash or hang, and nothing beyond the declared size may be written.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/memory_stream.h"
#include "zip/methods/legacy_error.h"
#include "zip/methods/ppmd_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2)
    return 0;
  const std::int64_t declared = data[0] | (data[1] << 8);
  vornel::TMemoryStream in;
  if (size > 2)
    in.WriteBuffer(data + 2, static_cast<std::int64_t>(size - 2));
  in.SetPosition(0);
  vornel::TMemoryStream out;
  try {
    vornel::ArUnppmd(in, out, declared);
    if (out.Size() != declared)
      std::abort();
  } catch (const vornel::EArLegacyDataError&) {
    if (out.Size() > declared)
      std::abort();
  }
  return 0;
}
