#include "transport/net_buffer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/memory_stream.h"
#include "transport/net_exceptions.h"

namespace vornel {
namespace {

TBytes Pattern(int count, int first = 0) {
  TBytes bytes(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i)
    bytes[i] = static_cast<std::uint8_t>((first + i) % 251);
  return bytes;
}

class NetBufferTest : public ::testing::Test {
 protected:
  std::vector<int> FRemoved;
  TNetBuffer FBuffer{[this](TNetBuffer&, int bytes) { FRemoved.push_back(bytes); }};
};

TEST_F(NetBufferTest, AppendToEmptyAdoptsAnExactCopy) {
  FBuffer.Write(Pattern(100));
  EXPECT_EQ(FBuffer.Size(), 100);
  EXPECT_EQ(FBuffer.Capacity(), 100);
  // A second append grows with 2048 bytes of slack.
  FBuffer.Write(Pattern(10, 100));
  EXPECT_EQ(FBuffer.Size(), 110);
  EXPECT_EQ(FBuffer.Capacity(), 110 + 2048);
  // Room behind the valid bytes is used without growing.
  FBuffer.Write(Pattern(2000, 110));
  EXPECT_EQ(FBuffer.Capacity(), 110 + 2048);
  TBytes all;
  FBuffer.ExtractToBytes(all);
  EXPECT_EQ(all, Pattern(2110));
}

TEST_F(NetBufferTest, RemovalCompactsAndShrinks) {
  FBuffer.Write(Pattern(10000));
  FBuffer.Write(Pattern(10, 10000));  // capacity 10010 + 2048
  FBuffer.Remove(2048);
  EXPECT_EQ(FBuffer.HeadIndex(), 2048);  // not above the growth factor: no compaction
  FBuffer.Remove(1);
  EXPECT_EQ(FBuffer.HeadIndex(), 0);
  EXPECT_EQ(FBuffer.Size(), 10010 - 2049);
  EXPECT_EQ(FBuffer.Capacity(), FBuffer.Size() + 2048);
  EXPECT_EQ(FBuffer.PeekByte(0), Pattern(1, 2049)[0]);
  EXPECT_EQ(FRemoved, (std::vector<int>{2048, 1}));
}

TEST_F(NetBufferTest, RemovingEverythingReleasesTheStorage) {
  FBuffer.Write(Pattern(50));
  FBuffer.Remove(50);
  EXPECT_EQ(FBuffer.Size(), 0);
  EXPECT_EQ(FBuffer.Capacity(), 0);
  FBuffer.Write(Pattern(5));
  FBuffer.Remove(99);  // the callback hears what was really removed
  EXPECT_EQ(FRemoved, (std::vector<int>{50, 5}));
}

TEST_F(NetBufferTest, ClearIsNoRemoval) {
  FBuffer.Write(Pattern(50));
  FBuffer.Clear();
  EXPECT_EQ(FBuffer.Size(), 0);
  EXPECT_TRUE(FRemoved.empty());
}

TEST_F(NetBufferTest, ExtractToBytesAppendsOrOverwrites) {
  FBuffer.Write(TBytes{'a', 'b', 'c', 'd'});
  TBytes dest{'x', 'y', 'z'};
  FBuffer.ExtractToBytes(dest, 2, true);
  EXPECT_EQ(dest, (TBytes{'x', 'y', 'z', 'a', 'b'}));
  FBuffer.ExtractToBytes(dest, 1, false);
  EXPECT_EQ(dest, (TBytes{'c', 'y', 'z', 'a', 'b'}));
  FBuffer.ExtractToBytes(dest, 0, false);  // nothing, no callback
  EXPECT_EQ(FRemoved, (std::vector<int>{2, 1}));
  try {
    FBuffer.ExtractToBytes(dest, 5, false);
    FAIL();
  } catch (const ENetNotEnoughDataInBuffer& e) {
    EXPECT_EQ(e.Message(), u"Not enough data in buffer. (5/1)");
  }
}

TEST_F(NetBufferTest, ExtractToStreamAndString) {
  FBuffer.Write(u"hello world", NetEncASCII());
  TMemoryStream stream;
  FBuffer.ExtractToStream(&stream, 6);
  EXPECT_EQ(std::string(stream.Bytes().begin(), stream.Bytes().end()), "hello ");
  EXPECT_EQ(FBuffer.ExtractToString(0), u"");
  EXPECT_EQ(FBuffer.ExtractToString(), u"world");
}

TEST_F(NetBufferTest, IndexOf) {
  EXPECT_EQ(FBuffer.IndexOf(TBytes{'a'}), -1);  // empty buffer
  FBuffer.Write(TBytes{'a', '\r', '\n', 'b', '\r', '\n'});
  FBuffer.Remove(1);  // positions are relative to the head
  EXPECT_EQ(FBuffer.IndexOf(TBytes{'\r', '\n'}), 0);
  EXPECT_EQ(FBuffer.IndexOf(TBytes{'\r', '\n'}, 1), 3);
  EXPECT_EQ(FBuffer.IndexOf(TBytes{'\n', 'x'}), -1);
  EXPECT_EQ(FBuffer.IndexOf(TBytes{'\n'}, 4), 4);
  struct Case {
    TBytes pattern;
    int start;
    const char16_t* message;
  } failures[] = {
      {{}, 0, u"Buffer terminator must be specified."},
      {{'b'}, -1, u"Buffer start position is invalid."},
      {{'b'}, 5, u"Buffer start position is invalid."},
  };
  for (const Case& c : failures) {
    try {
      FBuffer.IndexOf(c.pattern, c.start);
      ADD_FAILURE() << c.start;
    } catch (const ENetException& e) {
      EXPECT_EQ(e.Message(), c.message);
    }
  }
}

TEST_F(NetBufferTest, CapacityCannotGoBelowSize) {
  FBuffer.Write(Pattern(10));
  try {
    FBuffer.SetCapacity(9);
    FAIL();
  } catch (const ENetException& e) {
    EXPECT_EQ(e.Message(), u"Capacity cannot be smaller than Size");
  }
  FBuffer.SetCapacity(4096);
  EXPECT_EQ(FBuffer.Capacity(), 4096);
}

}  // namespace
}  // namespace vornel
