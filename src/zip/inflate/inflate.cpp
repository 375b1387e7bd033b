#include "zip/inflate/inflate.h"

namespace vornel {

std::uint32_t Inflate(TStream&, TStream&, TArDeflateHelper*) {
  throw EArInflateError(u"Inflate error: not built yet");
}

}  // namespace vornel
