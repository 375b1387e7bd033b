#include "http/ipv6_address.h"

#include <arpa/inet.h>

#include "platform/text.h"

namespace vornel {

bool IsIPv6Address(const std::u16string& host) {
  in6_addr address{};
  return inet_pton(AF_INET6, ToUtf8(host).c_str(), &address) == 1;
}

}  // namespace vornel
