#include "http/ipv6_address.h"

#include <winsock2.h>
#include <ws2tcpip.h>

namespace vornel {

// InetPtonW parses only; it needs no started Windows Sockets.
bool IsIPv6Address(const std::u16string& host) {
  const std::wstring wide(host.begin(), host.end());
  IN6_ADDR address{};
  return ::InetPtonW(AF_INET6, wide.c_str(), &address) == 1;
}

}  // namespace vornel
