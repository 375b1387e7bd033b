#include "zip/method_decoders.h"

#include "zip/ar_types.h"

namespace vornel {

TArMethodDecoder ArMethodDecoder(std::uint16_t method) {
  switch (method) {
    case cmStored:
      return ArDecodeStored;
    case cmDeflated:
      return ArDecodeDeflate;
    case cmEnhancedDeflated:
      return ArDecodeDeflate64;
    case cmBzip2:
      return ArDecodeBzip2;
    case cmLZMA:
      return ArDecodeLzma;
    case cmWavPack:
      return ArDecodeWavPack;
    case cmShrunk:
      return ArDecodeShrunk;
    case cmReduced1:
    case cmReduced2:
    case cmReduced3:
    case cmReduced4:
      return ArDecodeReduced;
    case cmImploded:
      return ArDecodeImploded;
    case cmZstd:
      return ArDecodeZstd;
    case cmXZ:
      return ArDecodeXz;
    case cmPPMd:
      return ArDecodePpmd;
    default:
      return nullptr;
  }
}

}  // namespace vornel
