// The network exception base and the address family, as the HTTP client's pure
// parts need them before the connection library is linked in.
#pragma once

#include <string>

#include "platform/exception.h"

namespace vornel {

class ENetException : public Exception {
 public:
  using Exception::Exception;
};

enum TNetIPVersion { Net_IPv4, Net_IPv6 };

}  // namespace vornel
