#include "zip/methods/ppmd_decoder.h"

#include <vector>

#include "platform/text.h"
#include "zip/methods/legacy_error.h"
#include "zip/methods/ppmd_model.h"
#include "zip/methods/ppmd_range_decoder.h"

namespace vornel {

namespace {

constexpr std::size_t kBlock = 32768;

struct TArPpmdParameters {
  unsigned Order;
  std::uint32_t MemoryMb;
  unsigned RestoreMethod;
};

// Bits 0-3: order - 1; bits 4-11: memory size in MB - 1; bits 12-15: the
// restoration method (0 restart, 1 cut-off).
TArPpmdParameters ReadParameters(TArPpmdInput& in) {
  const unsigned lo = in.ReadByte();
  const unsigned value = lo | (static_cast<unsigned>(in.ReadByte()) << 8);
  TArPpmdParameters p{(value & 0x0F) + 1, ((value >> 4) & 0xFF) + 1, value >> 12};
  if (p.Order < TArPpmdModel::kMinOrder)
    throw EArLegacyDataError(u"PPMd data: model order " + IntToText(p.Order) +
                             u" is below the minimum of 2");
  if (p.RestoreMethod > TArPpmdModel::rmCutOff)
    throw EArLegacyDataError(u"PPMd data: restoration method " + IntToText(p.RestoreMethod) +
                             u" is not supported");
  return p;
}

}  // namespace

void ArUnppmd(TStream& source, TStream& dest, std::int64_t size) {
  if (size <= 0)
    return;
  TArPpmdInput in(source);
  const TArPpmdParameters p = ReadParameters(in);
  TArPpmdModel model(p.Order, static_cast<TArPpmdModel::TRestoreMethod>(p.RestoreMethod),
                     p.MemoryMb << 20);
  TArPpmdRangeDecoder rc(in);

  std::vector<std::uint8_t> out(kBlock);
  std::size_t used = 0;
  for (std::int64_t produced = 0; produced < size; ++produced) {
    const int symbol = model.DecodeSymbol(rc);
    if (symbol < 0) {
      dest.WriteBuffer(out.data(), static_cast<std::int64_t>(used));
      throw EArLegacyDataError(symbol == -1 ? u"PPMd data ends before the item's size"
                                            : u"PPMd data is damaged");
    }
    out[used++] = static_cast<std::uint8_t>(symbol);
    if (used == out.size()) {
      dest.WriteBuffer(out.data(), static_cast<std::int64_t>(used));
      used = 0;
    }
  }
  if (used > 0)
    dest.WriteBuffer(out.data(), static_cast<std::int64_t>(used));
}

}  // namespace vornel
