#include "transport/net_exceptions.h"

#include "platform/text.h"

namespace vornel {

ENetNotEnoughDataInBuffer::ENetNotEnoughDataInBuffer(int ARequested, int AAvailable)
    : ENetException(u"Not enough data in buffer. (" + IntToText(ARequested) + u"/" +
                    IntToText(AAvailable) + u")") {}

}  // namespace vornel
