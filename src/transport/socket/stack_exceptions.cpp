#include "transport/socket/stack_exceptions.h"

#include "platform/text.h"

namespace vornel {

namespace {

std::u16string Range(std::uint16_t minPort, std::uint16_t maxPort) {
  return u"(" + IntToText(minPort) + u" - " + IntToText(maxPort) + u")";
}

}  // namespace

ENetInvalidPortRange::ENetInvalidPortRange(std::uint16_t minPort, std::uint16_t maxPort)
    : ENetSocketHandleError(u"Invalid Port Range " + Range(minPort, maxPort)) {}

ENetCanNotBindPortInRange::ENetCanNotBindPortInRange(std::uint16_t minPort, std::uint16_t maxPort)
    : ENetSocketHandleError(u"Can not bind in port range " + Range(minPort, maxPort)) {}

}  // namespace vornel
