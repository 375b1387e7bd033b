#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/text.h"
#include "transport/net_exceptions.h"
#include "transport/support/connected_client.h"

namespace vornel {
namespace {

using test::TPeer;

class ReadLnTest : public test::ConnectedClientTest {};

TEST_F(ReadLnTest, LineEndings) {
  struct Case {
    std::string sent;
    std::vector<std::u16string> lines;
  } cases[] = {
      {"HTTP/1.1 200 OK\r\n", {u"HTTP/1.1 200 OK"}},
      {"plain\n", {u"plain"}},
      {"double\r\r\n", {u"double\r"}},
      {"\r\n\n", {u"", u""}},
      {"a\nb\r\nc\n", {u"a", u"b", u"c"}},
      {"high \x80\xFF end\n", {u"high \xFFFD\xFFFD end"}},
  };
  for (const Case& c : cases) {
    test::TLoopbackServer server([&](TPeer& peer) {
      peer.Send(c.sent);
      peer.WaitForClose(5000);
    });
    TNetTCPClientCustom client;
    client.Connect(u"127.0.0.1", server.Port());
    for (const std::u16string& line : c.lines) {
      EXPECT_EQ(client.IOHandler()->ReadLn(), line) << c.sent;
    }
    EXPECT_TRUE(client.IOHandler()->InputBufferIsEmpty());
  }
}

TEST_F(ReadLnTest, TerminatorSplitAcrossTwoReceives) {
  Start([](TPeer& peer) {
    peer.SendSeparately("first\r");
    peer.SendSeparately("\nsecond\r");
    peer.Send("\n");
    peer.WaitForClose(5000);
  });
  EXPECT_EQ(IO().ReadLn(u"\r\n"), u"first");
  EXPECT_EQ(IO().ReadLn(u"\r\n"), u"second");
}

TEST_F(ReadLnTest, LineLengthLimit) {
  struct Case {
    std::string line;
    TNetMaxLineAction action;
    bool raises;
    std::u16string expected;
    bool split;
  } cases[] = {
      {std::string(16384, 'a') + "\n", maException, false, std::u16string(16384, u'a'), false},
      {std::string(16383, 'a') + "\r\n", maException, false, std::u16string(16383, u'a'), false},
      {std::string(16385, 'a') + "\n", maException, true, {}, false},
      // The limit counts the CR before the LF.
      {std::string(16384, 'a') + "\r\n", maException, true, {}, false},
      {std::string(16384, 'a') + "bc\n", maSplit, false, std::u16string(16384, u'a'), true},
  };
  for (const Case& c : cases) {
    test::TLoopbackServer server([&](TPeer& peer) {
      peer.Send(c.line);
      peer.WaitForClose(5000);
    });
    TNetTCPClientCustom client;
    client.Connect(u"127.0.0.1", server.Port());
    TNetIOHandler& io = *client.IOHandler();
    io.SetMaxLineAction(c.action);
    if (c.raises) {
      try {
        io.ReadLn();
        ADD_FAILURE() << c.line.size();
      } catch (const ENetReadLnMaxLineLengthExceeded& e) {
        EXPECT_EQ(e.Message(), u"Max line length exceeded.");
      }
      continue;
    }
    EXPECT_EQ(io.ReadLn(), c.expected);
    EXPECT_EQ(io.ReadLnSplit(), c.split);
    if (c.split) {
      EXPECT_EQ(io.ReadLn(), u"bc");
    }
  }
}

TEST_F(ReadLnTest, OverlongLineWithoutTerminatorFailsWithoutWaitingForMore) {
  // The server sends no more and keeps the connection open; a read that waited
  // for more data would never return.
  Start([](TPeer& peer) {
    peer.Send(std::string(16385, 'x'));
    peer.WaitForClose(20000);
  });
  EXPECT_THROW(IO().ReadLn(), ENetReadLnMaxLineLengthExceeded);
}

TEST_F(ReadLnTest, LineCutByTheEndOfTheConnection) {
  Start([](TPeer& peer) { peer.Send("complete\npartial"); });
  EXPECT_EQ(IO().ReadLn(), u"complete");
  try {
    IO().ReadLn();
    FAIL() << "no exception";
  } catch (const ENetConnClosedGracefully& e) {
    EXPECT_EQ(e.Message(), u"Connection Closed Gracefully.");
  }
  // The unterminated rest is still buffered.
  EXPECT_EQ(IO().InputBufferAsString(), u"partial");
}

TEST_F(ReadLnTest, ReadTimeoutRaisesForBytesAndReturnsEmptyForLines) {
  Start([](TPeer& peer) {
    peer.Send("par");
    peer.WaitForClose(20000);
  });
  FClient.SetReadTimeout(5000);
  TBytes bytes;
  try {
    IO().ReadBytes(bytes, 10);
    FAIL() << "no timeout";
  } catch (const ENetReadTimeout& e) {
    EXPECT_EQ(e.Message(), u"Read timed out.");
  }
  // Nothing was consumed and the connection stays open.
  EXPECT_TRUE(FClient.Connected());
  EXPECT_EQ(IO().InputBuffer().Size(), 3);
  EXPECT_EQ(IO().ReadLn(u"\n", 200), u"");
  EXPECT_TRUE(IO().ReadLnTimedOut());
  EXPECT_EQ(IO().InputBuffer().Size(), 3);
}

TEST_F(ReadLnTest, TimedOutLineLeavesItsBytesForTheNextRead) {
  Start([](TPeer& peer) {
    peer.Send("par");
    peer.Pause(400);
    peer.Send("tial\n");
    peer.WaitForClose(5000);
  });
  EXPECT_EQ(IO().ReadLn(u"\n", 100), u"");
  EXPECT_TRUE(IO().ReadLnTimedOut());
  EXPECT_EQ(IO().ReadLn(), u"partial");
  EXPECT_FALSE(IO().ReadLnTimedOut());
}

TEST_F(ReadLnTest, ReadTimeoutZeroWaitsWithoutLimit) {
  Start([](TPeer& peer) {
    peer.Pause(300);
    peer.Send("late\n");
    peer.WaitForClose(5000);
  });
  FClient.SetReadTimeout(0);
  EXPECT_EQ(IO().ReadLn(), u"late");
  EXPECT_FALSE(IO().ReadLnTimedOut());
}

}  // namespace
}  // namespace vornel
