// The base of every network exception, and the silent end of a connection.
#pragma once

#include <string>
#include <utility>

#include "platform/exception.h"

namespace vornel {

class ENetException : public Exception {
 public:
  using Exception::Exception;
};

// Exceptions that report an expected end rather than a fault.
class ENetSilentException : public ENetException {
 public:
  using ENetException::ENetException;
};

// A read or write needs the connection after it ended or was closed.
class ENetConnClosedGracefully : public ENetSilentException {
 public:
  ENetConnClosedGracefully() : ENetSilentException(u"Connection Closed Gracefully.") {}
  // A close that cut something short, with what was cut.
  explicit ENetConnClosedGracefully(std::u16string message)
      : ENetSilentException(std::move(message)) {}
};

}  // namespace vornel
