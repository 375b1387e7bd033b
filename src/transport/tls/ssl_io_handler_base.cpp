#include "transport/tls/ssl_io_handler_base.h"

namespace vornel {

int TNetSSLIOHandlerSocketBase::ReadDataFromSource(TBytes& VBuffer) {
  return fPassThrough ? TNetIOHandlerStack::ReadDataFromSource(VBuffer) : RecvEnc(VBuffer);
}

int TNetSSLIOHandlerSocketBase::WriteDataToTarget(const TBytes& ABuffer, int AOffset, int ALength) {
  return fPassThrough ? TNetIOHandlerStack::WriteDataToTarget(ABuffer, AOffset, ALength)
                      : SendEnc(ABuffer, AOffset, ALength);
}

}  // namespace vornel
