#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/memory_stream.h"
#include "transport/net_exceptions.h"
#include "transport/support/connected_client.h"
#include "transport/support/work_recorder.h"

namespace vornel {
namespace {

using test::PatternBytes;
using test::TPeer;
using Events = std::vector<std::string>;

// A client whose server records everything it receives until the client closes.
class WriteTest : public test::ConnectedClientTest {
 protected:
  void SetUp() override {
    Start([this](TPeer& peer) { FReceived = peer.Receive(SIZE_MAX); });
  }
  // Everything the server received, once the client has closed.
  std::string Received() {
    FClient.Disconnect();
    FServer.reset();
    return FReceived;
  }
  std::string FReceived;
};

TEST_F(WriteTest, BytesTextsAndLines) {
  IO().Write(TBytes{'a', 'b', 'c', 'd'}, 2, 1);
  IO().Write(TBytes{'x'}, -1, 5);  // an offset behind the end writes nothing
  IO().Write(u"|\xE9|");           // ASCII by default: "?"
  IO().Write(u"\xE9", NetEncUTF8());
  IO().WriteLn(u"line");
  IO().WriteLnRFC(u".dot");
  IO().WriteLnRFC(u"plain");
  EXPECT_EQ(Received(), "bc|?|\xC3\xA9line\r\n..dot\r\nplain\r\n");
}

TEST_F(WriteTest, StringListWithCount) {
  IO().Write(std::vector<std::u16string>{u"one", u"two"}, true);
  EXPECT_EQ(Received(), std::string("\0\0\0\2one\r\ntwo\r\n", 14));
}

TEST_F(WriteTest, StreamWithSizePrefixAndWorkEvents) {
  TMemoryStream stream;
  const auto data = PatternBytes(70000);
  stream.Write(data.data(), static_cast<std::int64_t>(data.size()));
  test::TWorkRecorder recorder(FClient);
  IO().Write(stream, 0, true);  // the whole stream from its start
  EXPECT_EQ(recorder.Events.front(), "begin w 70000");
  EXPECT_EQ(recorder.Events.back(), "end w");
  // Each chunk of at most 32768 bytes counts.
  EXPECT_NE(std::find(recorder.Events.begin(), recorder.Events.end(), "work w 70000"),
            recorder.Events.end());
  const std::string received = Received();
  ASSERT_EQ(received.size(), 4u + 70000u);
  EXPECT_EQ(received.substr(0, 4), std::string("\0\1\x11\x70", 4));
  EXPECT_EQ(std::vector<std::uint8_t>(received.begin() + 4, received.end()), data);
}

TEST_F(WriteTest, StreamPartFromThePosition) {
  TMemoryStream stream;
  stream.Write("0123456789", 10);
  stream.SetPosition(4);
  IO().Write(stream, -1);
  stream.SetPosition(1);
  IO().Write(stream, 2);
  EXPECT_EQ(Received(), "45678912");
}

TEST_F(WriteTest, StreamShorterThanAnnounced) {
  TMemoryStream stream;
  stream.Write("abc", 3);
  stream.SetPosition(0);
  test::TWorkRecorder recorder(FClient);
  try {
    IO().Write(stream, 10);
    FAIL();
  } catch (const ENetNoDataToRead& e) {
    EXPECT_EQ(e.Message(), u"No data to read.");
  }
  EXPECT_EQ(recorder.Events.back(), "end w");
  EXPECT_EQ(FClient.WorkInfo(wmWrite).Level, 0);
}

TEST_F(WriteTest, WriteBuffering) {
  IO().WriteBufferOpen(4);  // flushes in pieces of 4 once 4 are held
  EXPECT_TRUE(IO().WriteBufferingActive());
  IO().Write(u"abcdefghij");
  IO().WriteBufferClose();
  IO().WriteBufferOpen();
  IO().Write(u"dropped");
  IO().WriteBufferCancel();
  EXPECT_FALSE(IO().WriteBufferingActive());
  IO().WriteBufferOpen();
  IO().Write(u"kept");
  IO().WriteBufferFlush(2);
  IO().WriteBufferClose();
  EXPECT_EQ(Received(), "abcdefghijkept");
}

TEST_F(WriteTest, NetworkOrderIntegers) {
  IO().WriteInt16(0x0102);
  IO().WriteUInt32(0x03040506);
  IO().WriteInt64(0x0708090A0B0C0D0E);
  IO().WriteByte(0xFF);
  EXPECT_EQ(Received(), std::string("\1\2\3\4\5\6\7\x08\x09\x0A\x0B\x0C\x0D\x0E\xFF", 15));
}

TEST_F(WriteTest, WriteAfterCloseIsClosedGracefully) {
  FClient.Disconnect();
  EXPECT_THROW(IO().Write(u"late"), ENetConnClosedGracefully);
}

class SecondaryReadTest : public test::ConnectedClientTest {
 protected:
  void Serve(std::string bytes) {
    Start([bytes](TPeer& peer) {
      peer.Send(bytes);
      peer.WaitForClose(5000);
    });
  }
};

TEST_F(SecondaryReadTest, FixedSizeValues) {
  Serve(std::string("\x01\x02\xFF\xFE\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x2A\x7F", 17));
  EXPECT_EQ(IO().ReadUInt16(), 0x0102);
  EXPECT_EQ(IO().ReadInt16(), -2);
  EXPECT_EQ(IO().ReadInt32(), 256);
  EXPECT_EQ(IO().ReadUInt64(), 42u);
  EXPECT_EQ(IO().ReadByte(), 0x7F);
}

TEST_F(SecondaryReadTest, LinesWaitAndCapture) {
  Serve("\r\n  \r\nfirst\r\n..dotted\r\n.\r\nhead:body|rest\xC3\xA9\xE4\xB8\xAD\n");
  EXPECT_EQ(IO().ReadLnWait(), u"first");
  bool msgEnd = true;
  EXPECT_EQ(IO().ReadLnRFC(msgEnd), u".dotted");
  EXPECT_FALSE(msgEnd);
  EXPECT_EQ(IO().ReadLnRFC(msgEnd), u".");
  EXPECT_TRUE(msgEnd);
  EXPECT_EQ(IO().WaitFor(u":"), u"head");
  EXPECT_EQ(IO().WaitFor(u"|", true, true), u"body|");
  EXPECT_EQ(IO().ReadString(4), u"rest");
  EXPECT_EQ(IO().ReadChar(NetEncUTF8()), u"\xE9");
  EXPECT_EQ(IO().ReadChar(NetEncUTF8()), u"\x4E2D");
  EXPECT_EQ(IO().ReadChar(), u"\n");
}

TEST_F(SecondaryReadTest, ReadLnWaitGivesUpAfterEmptyLines) {
  Serve("\n\n\nlate\n");
  try {
    IO().ReadLnWait(3);
    FAIL();
  } catch (const ENetReadLnWaitMaxAttemptsExceeded& e) {
    EXPECT_EQ(e.Message(), u"Max line read attempts exceeded.");
  }
}

TEST_F(SecondaryReadTest, CaptureUntilTheDot) {
  Serve("one\r\n..two\r\n.\r\nafter\r\n");
  std::vector<std::u16string> lines;
  IO().Capture(lines);
  EXPECT_EQ(lines, (std::vector<std::u16string>{u"one", u".two"}));
  EXPECT_EQ(IO().ReadLn(), u"after");
}

TEST_F(SecondaryReadTest, ReadStringsWithCount) {
  Serve(std::string("\0\0\0\2a\r\nb\n", 10));
  std::vector<std::u16string> lines;
  IO().ReadStrings(lines);
  EXPECT_EQ(lines, (std::vector<std::u16string>{u"a", u"b"}));
}

TEST_F(SecondaryReadTest, AllDataUntilTheEnd) {
  Start([](TPeer& peer) {
    peer.Send("part one, ");
    peer.Pause(300);
    peer.Send("part two");
  });
  EXPECT_EQ(IO().AllData(), u"part one, part two");
}

TEST_F(SecondaryReadTest, DataOnSourceAndReadBytesOfAnyCount) {
  Start([](TPeer& peer) {
    peer.Pause(100);
    peer.Send("xyz");
    peer.Pause(100);
    peer.Send("more");
    peer.WaitForClose(5000);
  });
  EXPECT_FALSE(IO().CheckForDataOnSource(0));
  TBytes bytes;
  IO().ReadBytes(bytes, -1);  // whatever the next receive brings
  EXPECT_EQ(bytes, (TBytes{'x', 'y', 'z'}));
  EXPECT_TRUE(IO().CheckForDataOnSource(5000));
  EXPECT_EQ(IO().InputBufferAsString(), u"more");
}

TEST_F(SecondaryReadTest, InputLnEchoesAndEdits) {
  std::string echoed;
  Start([&](TPeer& peer) {
    peer.Send("ab\bc\r\n");
    echoed = peer.Receive(12);
  });
  EXPECT_EQ(IO().InputLn(), u"ac");
  FClient.Disconnect();
  FServer.reset();
  EXPECT_EQ(echoed, "ab\b \bc\r\n");
}

}  // namespace
}  // namespace vornel
