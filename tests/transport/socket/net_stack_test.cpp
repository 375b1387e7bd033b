#include "transport/socket/net_stack.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/text.h"
#include "transport/socket/net_exception.h"
#include "transport/socket/net_stack_posix.h"
#include "transport/socket/socket_error.h"
#include "transport/socket/stack_exceptions.h"

namespace vornel {
namespace {

TEST(NetStackTest, UseCountCreatesAndFreesTheStackObject) {
  ASSERT_EQ(TNetStack::UsageCount(), 0);
  EXPECT_EQ(TNetStack::Instance(), nullptr);
  {
    TNetStackUsage first;
    TNetStack* stack = TNetStack::Instance();
    ASSERT_NE(stack, nullptr);
    {
      TNetStackUsage second;
      EXPECT_EQ(TNetStack::Instance(), stack);
      EXPECT_EQ(TNetStack::UsageCount(), 2);
    }
    EXPECT_EQ(TNetStack::Instance(), stack);
  }
  EXPECT_EQ(TNetStack::Instance(), nullptr);
  // A second round makes a new stack object.
  TNetStackUsage again;
  EXPECT_NE(TNetStack::Instance(), nullptr);
}

TEST(NetStackTest, DecUsageWithoutUsersDoesNothing) {
  TNetStack::DecUsage();
  EXPECT_EQ(TNetStack::UsageCount(), 0);
}

TEST(NetStackTest, UndefinedStackClassRefusesTheFirstUser) {
  TNetStack::SetStackClass(nullptr);
  try {
    TNetStack::IncUsage();
    ADD_FAILURE() << "no exception";
  } catch (const ENetException& e) {
    EXPECT_EQ(e.Message(), u"Stack Class is undefined.");
  }
  EXPECT_EQ(TNetStack::UsageCount(), 0);
  TNetStack::SetStackClass(&TNetStackPosix::Create);
}

class ResolveTest : public ::testing::Test {
 protected:
  TNetStackUsage FUsage;
  TNetStack& Stack() { return FUsage.Stack(); }
};

TEST_F(ResolveTest, LocalHostInAnyCaseNeedsNoResolver) {
  for (const char16_t* name : {u"LOCALHOST", u"localhost", u"LocalHost", u"lOcAlHoSt"}) {
    EXPECT_EQ(Stack().ResolveHost(name, Net_IPv4), u"127.0.0.1");
    EXPECT_EQ(Stack().ResolveHost(name, Net_IPv6), u"::1");
  }
}

TEST_F(ResolveTest, DottedQuadTable) {
  struct Case {
    const char16_t* text;
    bool isIP;
  } cases[] = {
      {u"10.0.0.1", true},    {u"127.0.0.1", true},
      {u"0.0.0.0", true},     {u"255.255.255.255", true},
      {u"10.0.0", false},     {u"10.0.0.256", false},
      {u"10.0.0.1.5", false}, {u"10.0.0.", false},
      {u"10..0.1", false},    {u"a.b.c.d", false},
      {u"10.0.0.1 ", false},  {u"-1.0.0.1", false},
      {u"", false},           {u"99999999999.0.0.1", false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(TNetStack::IsIP(c.text), c.isIP) << ToUtf8(c.text);
}

TEST_F(ResolveTest, LiteralsAreUsedUnchangedOrCanonical) {
  EXPECT_EQ(Stack().ResolveHost(u"10.0.0.1", Net_IPv4), u"10.0.0.1");
  EXPECT_EQ(Stack().ResolveHost(u"0:0:0:0:0:0:0:1", Net_IPv6), u"::1");
  EXPECT_EQ(Stack().ResolveHost(u"FE80:0:0::1", Net_IPv6), u"fe80::1");
}

TEST_F(ResolveTest, UnresolvableNameIsHostNotFound) {
  // A label longer than 63 characters cannot be put into a query, so the resolver
  // fails without sending anything.
  const std::u16string name = u"no-such-host-" + std::u16string(70, u'x') + u".invalid";
  try {
    Stack().ResolveHost(name, Net_IPv4);
    FAIL() << "resolved";
  } catch (const ENetSocketError& e) {
    EXPECT_EQ(e.LastError(), 11001);
    EXPECT_EQ(e.Message(), u"Socket Error # 11001\r\nHost not found.");
  }
}

TEST_F(ResolveTest, OtherIPVersionIsUnsupported) {
  try {
    Stack().ResolveHost(u"localhost", static_cast<TNetIPVersion>(7));
    FAIL();
  } catch (const ENetIPVersionUnsupported& e) {
    EXPECT_EQ(e.Message(), u"The requested IPVersion / Address family is not supported.");
  }
}

TEST_F(ResolveTest, CheckForSocketErrorIgnoresListedCodes) {
  errno = ECONNRESET;
  EXPECT_EQ(Stack().CheckForSocketError(-1, {10058, 10053, 10054, 10060}), 10054);
  EXPECT_EQ(Stack().CheckForSocketError(17, {10054}), 17);
  errno = ECONNREFUSED;
  EXPECT_THROW(Stack().CheckForSocketError(-1, {10054}), ENetSocketError);
  errno = ECONNREFUSED;
  EXPECT_THROW(Stack().CheckForSocketError(-1), ENetSocketError);
}

}  // namespace
}  // namespace vornel
