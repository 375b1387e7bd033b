// Failures of the stack object and of socket handles other than socket errors.
#pragma once

#include <cstdint>
#include <string>

#include "transport/socket/net_exception.h"

namespace vornel {

class ENetStackError : public ENetException {
 public:
  using ENetException::ENetException;
};

class ENetStackInitializationFailed : public ENetStackError {
 public:
  using ENetStackError::ENetStackError;
};

class ENetStackSetSizeExceeded : public ENetStackError {
 public:
  ENetStackSetSizeExceeded() : ENetStackError(u"Set Size Exceeded.") {}
};

class ENetIPVersionUnsupported : public ENetStackError {
 public:
  ENetIPVersionUnsupported()
      : ENetStackError(u"The requested IPVersion / Address family is not supported.") {}
};

class ENetSocketHandleError : public ENetException {
 public:
  using ENetException::ENetException;
};

class ENetCouldNotBindSocket : public ENetSocketHandleError {
 public:
  ENetCouldNotBindSocket()
      : ENetSocketHandleError(u"Could not bind socket. Address and port are already in use.") {}
};

class ENetInvalidPortRange : public ENetSocketHandleError {
 public:
  ENetInvalidPortRange(std::uint16_t minPort, std::uint16_t maxPort);
};

class ENetCanNotBindPortInRange : public ENetSocketHandleError {
 public:
  ENetCanNotBindPortInRange(std::uint16_t minPort, std::uint16_t maxPort);
};

class ENetCannotSetIPVersionWhenConnected : public ENetSocketHandleError {
 public:
  ENetCannotSetIPVersionWhenConnected()
      : ENetSocketHandleError(u"Cannot change IPVersion when connected") {}
};

}  // namespace vornel
