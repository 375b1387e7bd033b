#include "transport/socket/socket_error.h"

#include <gtest/gtest.h>
#include <netdb.h>

#include <cerrno>

#include "platform/text.h"

namespace vornel {
namespace {

TEST(SocketErrorTest, MessageCarriesNumberAndText) {
  struct Case {
    int code;
    const char16_t* message;
  } cases[] = {
      {10061, u"Socket Error # 10061\r\nConnection refused."},
      {11001, u"Socket Error # 11001\r\nHost not found."},
      {10054, u"Socket Error # 10054\r\nConnection reset by peer."},
      {10066, u"Socket Error # 10066\r\nDirectory not empty"},
      // A number without a text keeps the line break and an empty second line.
      {12345, u"Socket Error # 12345\r\n"},
      {0, u"Socket Error # 0\r\n"},
  };
  for (const Case& c : cases) {
    try {
      RaiseSocketError(c.code);
      FAIL() << "no exception for " << c.code;
    } catch (const ENetSocketError& e) {
      EXPECT_EQ(e.LastError(), c.code);
      EXPECT_EQ(e.Message(), c.message) << c.code;
    }
  }
}

TEST(SocketErrorTest, NotASocketHasItsOwnClass) {
  EXPECT_THROW(RaiseSocketError(10038), ENetNotASocket);
  try {
    RaiseSocketError(10038);
  } catch (const ENetNotASocket& e) {
    EXPECT_EQ(e.LastError(), 10038);
    EXPECT_EQ(ToUtf8(e.Message()), "Socket Error # 10038\r\nSocket operation on non-socket.");
  }
}

TEST(SocketErrorTest, ErrnoMapsToWinSockNumbers) {
  struct Case {
    int errnoValue;
    int code;
  } cases[] = {
      {0, 0},
      {EINTR, 10004},
      {EBADF, 10009},
      {EACCES, 10013},
      {EINVAL, 10022},
      {EWOULDBLOCK, 10035},
      {EINPROGRESS, 10036},
      {ENOTSOCK, 10038},
      {EADDRINUSE, 10048},
      {EADDRNOTAVAIL, 10049},
      {ENETUNREACH, 10051},
      {ECONNABORTED, 10053},
      {ECONNRESET, 10054},
      {ENOTCONN, 10057},
      {EPIPE, 10058},
      {ESHUTDOWN, 10058},
      {ETIMEDOUT, 10060},
      {ECONNREFUSED, 10061},
      {EHOSTUNREACH, 10065},
      {ENOTEMPTY, 10066},
  };
  for (const Case& c : cases)
    EXPECT_EQ(WinSockErrorFromErrno(c.errnoValue), c.code) << c.errnoValue;
}

TEST(SocketErrorTest, ResolverResultsMapToWinSockNumbers) {
  EXPECT_EQ(WinSockErrorFromAddrInfo(EAI_NONAME), 11001);
  EXPECT_EQ(WinSockErrorFromAddrInfo(EAI_FAIL), 11001);
  EXPECT_EQ(WinSockErrorFromAddrInfo(EAI_AGAIN), 11002);
  EXPECT_EQ(WinSockErrorFromAddrInfo(EAI_MEMORY), 11003);
}

}  // namespace
}  // namespace vornel
