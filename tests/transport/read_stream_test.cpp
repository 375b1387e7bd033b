#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/memory_stream.h"
#include "transport/net_exceptions.h"
#include "transport/socket/socket_error.h"
#include "transport/support/connected_client.h"
#include "transport/support/work_recorder.h"

namespace vornel {
namespace {

using test::PatternBytes;
using test::TPeer;
using test::TWorkRecorder;
using Events = std::vector<std::string>;

class ReadStreamTest : public test::ConnectedClientTest {
 protected:
  std::string WrittenText() const {
    const std::vector<std::uint8_t>& bytes = FStream.Bytes();
    return std::string(bytes.begin(), bytes.end());
  }
  std::vector<std::uint8_t> Written() const { return FStream.Bytes(); }
  TMemoryStream FStream;
};

TEST_F(ReadStreamTest, CountedBodyWithBytesAlreadyBuffered) {
  Start([](TPeer& peer) {
    std::string head = "HEAD\n";
    const auto first = PatternBytes(3000);
    head.append(first.begin(), first.end());
    peer.Send(head);
    peer.Pause(100);
    peer.SendPattern(97000, 3000);
    peer.WaitForClose(5000);
  });
  EXPECT_EQ(IO().ReadLn(), u"HEAD");
  ASSERT_EQ(IO().InputBuffer().Size(), 3000);
  TWorkRecorder recorder(FClient);
  std::int64_t sizeAtBegin = -1;
  auto record = FClient.OnWorkBegin;
  FClient.OnWorkBegin = [&](TNetComponent& sender, TWorkMode mode, std::int64_t max) {
    sizeAtBegin = FStream.Size();
    record(sender, mode, max);
  };
  IO().ReadStream(&FStream, 100000);
  EXPECT_EQ(recorder.Events, (Events{"begin r 100000", "work r 3000", "work r 35768",
                                     "work r 68536", "work r 100000", "end r"}));
  for (TNetComponent* sender : recorder.Senders)
    EXPECT_EQ(sender, &FClient);
  EXPECT_EQ(sizeAtBegin, 100000);
  EXPECT_EQ(Written(), PatternBytes(100000));
  EXPECT_EQ(FClient.WorkInfo(wmRead).Level, 0);
}

TEST_F(ReadStreamTest, PeerClosingEarlyRaisesAfterTheEndEventAndCutsTheStream) {
  Start([](TPeer& peer) { peer.SendPattern(50000); });
  TWorkRecorder recorder(FClient);
  try {
    IO().ReadStream(&FStream, 100000);
    FAIL() << "no exception";
  } catch (const ENetConnClosedGracefully&) {
    ASSERT_FALSE(recorder.Events.empty());
    EXPECT_EQ(recorder.Events.front(), "begin r 100000");
    EXPECT_EQ(recorder.Events.back(), "end r");
  }
  EXPECT_EQ(FStream.Size(), 50000);
  EXPECT_EQ(Written(), PatternBytes(50000));
}

TEST_F(ReadStreamTest, StreamPositionIsKept) {
  Start([](TPeer& peer) {
    peer.Send("abc");
    peer.WaitForClose(5000);
  });
  FStream.Write("xy", 2);
  IO().ReadStream(&FStream, 3);
  EXPECT_EQ(WrittenText(), "xyabc");
}

TEST_F(ReadStreamTest, DisconnectInsideOnWorkOfAnUnfinishedBody) {
  Start([](TPeer& peer) {
    peer.SendPattern(200000);
    peer.WaitForClose(5000);
  });
  TWorkRecorder recorder(FClient);
  recorder.OnWork = [&](std::int64_t count) {
    if (count >= 32768)
      FClient.Disconnect();
  };
  try {
    IO().ReadStream(&FStream, 200000);
    FAIL() << "no exception";
  } catch (const ENetConnClosedGracefully& e) {
    EXPECT_EQ(e.Message(), u"Connection Closed Gracefully.");
  }
  EXPECT_EQ(recorder.Events.back(), "end r");
  EXPECT_FALSE(IO().Opened());
  // What arrived is kept and the stream is cut behind it.
  EXPECT_GE(FStream.Size(), 32768);
  EXPECT_LT(FStream.Size(), 200000);
  EXPECT_EQ(FStream.Position(), FStream.Size());
  EXPECT_EQ(Written(), PatternBytes(static_cast<std::size_t>(FStream.Size())));
}

TEST_F(ReadStreamTest, DisconnectInsideTheLastOnWorkRaisesNothing) {
  Start([](TPeer& peer) {
    peer.SendPattern(100000);
    peer.WaitForClose(5000);
  });
  TWorkRecorder recorder(FClient);
  recorder.OnWork = [&](std::int64_t count) {
    if (count == 100000)
      FClient.Disconnect();
  };
  IO().ReadStream(&FStream, 100000);
  EXPECT_EQ(recorder.Events.back(), "end r");
  EXPECT_EQ(Written(), PatternBytes(100000));
  EXPECT_FALSE(FClient.Connected());
}

TEST_F(ReadStreamTest, UntilDisconnectEndsNormallyOnCloseAndOnReset) {
  for (bool reset : {false, true}) {
    test::TLoopbackServer server([&](TPeer& peer) {
      peer.SendPattern(70000);
      peer.Pause(100);
      if (reset)
        peer.Reset();
    });
    TNetTCPClientCustom client;
    client.Connect(u"127.0.0.1", server.Port());
    TWorkRecorder recorder(client);
    TMemoryStream stream;
    EXPECT_NO_THROW(client.IOHandler()->ReadStream(&stream, -1, true)) << reset;
    EXPECT_EQ(recorder.Events.front(), "begin r 0");
    EXPECT_EQ(recorder.Events.back(), "end r");
    const auto& written = stream.Bytes();
    EXPECT_EQ(written, PatternBytes(written.size()));
    if (!reset) {
      EXPECT_EQ(written.size(), 70000u);
    }
  }
}

TEST_F(ReadStreamTest, ResetRaisesFromACountedRead) {
  Start([](TPeer& peer) {
    peer.Receive(1);
    peer.Reset();
  });
  IO().Write(TBytes{'!'});
  try {
    IO().ReadStream(&FStream, 1000);
    FAIL() << "no exception";
  } catch (const ENetSocketError& e) {
    EXPECT_EQ(e.LastError(), 10054);
  }
}

TEST_F(ReadStreamTest, NullStreamDropsTheBytes) {
  Start([](TPeer& peer) {
    peer.SendPattern(40000);
    peer.Send("after\n");
    peer.WaitForClose(5000);
  });
  IO().ReadStream(nullptr, 40000);
  EXPECT_EQ(IO().ReadLn(), u"after");
}

TEST_F(ReadStreamTest, DiscardAllFiresNoWorkAndEndsOnClose) {
  Start([](TPeer& peer) { peer.SendPattern(100000); });
  TWorkRecorder recorder(FClient);
  EXPECT_NO_THROW(IO().DiscardAll());
  EXPECT_EQ(recorder.Events, (Events{"begin r 0", "end r"}));
  EXPECT_TRUE(IO().InputBufferIsEmpty());
}

TEST_F(ReadStreamTest, DiscardCountsItsBytes) {
  Start([](TPeer& peer) {
    peer.SendPattern(5000);
    peer.Send("tail\n");
    peer.WaitForClose(5000);
  });
  TWorkRecorder recorder(FClient);
  IO().Discard(5000);
  ASSERT_GE(recorder.Events.size(), 3u);
  EXPECT_EQ(recorder.Events.front(), "begin r 5000");
  EXPECT_EQ(recorder.Events[recorder.Events.size() - 2], "work r 5000");
  EXPECT_EQ(recorder.Events.back(), "end r");
  recorder.Events.clear();
  EXPECT_EQ(IO().ReadLn(), u"tail");
  EXPECT_TRUE(recorder.Events.empty());
}

TEST_F(ReadStreamTest, NestedBeginFromTheConnectionFiresOnce) {
  Start([](TPeer& peer) {
    peer.SendPattern(40000);
    peer.WaitForClose(5000);
  });
  TWorkRecorder recorder(FClient);
  FClient.BeginWork(wmRead, 500000);
  IO().ReadStream(&FStream, 40000);
  EXPECT_EQ(recorder.Events.front(), "begin r 500000");
  EXPECT_EQ(recorder.Events.back(), "work r 40000");
  FClient.EndWork(wmRead);
  EXPECT_EQ(recorder.Events.back(), "end r");
  EXPECT_EQ(std::count(recorder.Events.begin(), recorder.Events.end(), "end r"), 1);
}

TEST_F(ReadStreamTest, HeaderReadsAndRequestWritesFireNothing) {
  std::string request;
  Start([&](TPeer& peer) {
    request = peer.Receive(32);
    peer.Send("HTTP/1.1 200 OK\r\nContent-Length: 3\r\n\r\n");
    peer.WaitForClose(5000);
  });
  TWorkRecorder recorder(FClient);
  IO().WriteBufferOpen();
  IO().WriteLn(u"GET / HTTP/1.1");
  IO().WriteLn(u"Host: a.test");
  IO().WriteLn();
  IO().WriteBufferClose();
  EXPECT_EQ(IO().ReadLn(), u"HTTP/1.1 200 OK");
  EXPECT_EQ(IO().ReadLn(), u"Content-Length: 3");
  EXPECT_EQ(IO().ReadLn(), u"");
  EXPECT_TRUE(recorder.Events.empty());
  FClient.Disconnect();
  FServer.reset();
  EXPECT_EQ(request, "GET / HTTP/1.1\r\nHost: a.test\r\n\r\n");
}

TEST_F(ReadStreamTest, CountPrefixedStream) {
  Start([](TPeer& peer) {
    peer.Send(std::string("\0\0\0\5hello", 9));
    peer.WaitForClose(5000);
  });
  IO().ReadStream(&FStream);
  EXPECT_EQ(WrittenText(), "hello");
}

}  // namespace
}  // namespace vornel
