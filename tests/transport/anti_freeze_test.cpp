#include "transport/anti_freeze.h"

#include <gtest/gtest.h>

#include <functional>
#include <thread>
#include <vector>

#include "platform/clock.h"
#include "platform/memory_stream.h"
#include "transport/net_exceptions.h"
#include "transport/support/connected_client.h"
#include "transport/support/work_recorder.h"

namespace vornel {
namespace {

using test::TPeer;

class THook : public TNetAntiFreezeBase {
 public:
  void Process() override {
    Calls.push_back(TickCount());
    if (Action)
      Action(static_cast<int>(Calls.size()));
  }
  // The longest time between two calls, and from the start to the first.
  std::uint64_t LongestGap(std::uint64_t start) const {
    std::uint64_t longest = 0;
    for (std::uint64_t call : Calls) {
      longest = std::max(longest, call - start);
      start = call;
    }
    return longest;
  }
  std::vector<std::uint64_t> Calls;
  std::function<void(int)> Action;
};

class AntiFreezeTest : public test::ConnectedClientTest {
 protected:
  THook FHook;
};

TEST_F(AntiFreezeTest, OnlyOneHookPerProcess) {
  EXPECT_THROW(THook(), ENetException);
}

TEST_F(AntiFreezeTest, HookRunsDuringAStalledCountedReadAndCanCancelIt) {
  Start([](TPeer& peer) {
    peer.SendPattern(1000);
    peer.WaitForClose(20000);
  });
  FHook.Action = [&](int calls) {
    if (calls == 6)
      FClient.Disconnect();
  };
  test::TWorkRecorder recorder(FClient);
  TMemoryStream stream;
  const std::uint64_t start = TickCount();
  EXPECT_THROW(IO().ReadStream(&stream, 100000), ENetConnClosedGracefully);
  ASSERT_GE(FHook.Calls.size(), 6u);
  // Slices of at most 100 ms; the margin is for a loaded machine.
  EXPECT_LE(FHook.LongestGap(start), 400u);
  EXPECT_EQ(recorder.Events.back(), "end r");
  EXPECT_EQ(stream.Size(), 1000);
}

TEST_F(AntiFreezeTest, CancelDuringAReadUntilDisconnectEndsItNormally) {
  Start([](TPeer& peer) {
    peer.SendPattern(5000);
    peer.WaitForClose(20000);
  });
  FHook.Action = [&](int calls) {
    if (calls == 3)
      FClient.Disconnect();
  };
  TMemoryStream stream;
  EXPECT_NO_THROW(IO().ReadStream(&stream, -1, true));
  EXPECT_EQ(stream.Size(), 5000);
}

TEST_F(AntiFreezeTest, HookRunsWhileALineIsAwaited) {
  Start([](TPeer& peer) {
    peer.Pause(350);
    peer.Send("late\n");
    peer.WaitForClose(5000);
  });
  EXPECT_EQ(IO().ReadLn(), u"late");
  EXPECT_GE(FHook.Calls.size(), 2u);
}

TEST_F(AntiFreezeTest, StalledConnectIsTimedAndCanBeCancelledFromTheHook) {
  test::TFullBacklogListener listener;
  FHook.Action = [&](int calls) {
    if (calls == 4)
      FClient.Disconnect();
  };
  const std::uint64_t start = TickCount();
  EXPECT_THROW(FClient.Connect(u"127.0.0.1", listener.Port()), ENetConnClosedGracefully);
  EXPECT_EQ(FHook.Calls.size(), 4u);
  EXPECT_LE(FHook.LongestGap(start), 400u);
  EXPECT_FALSE(FClient.Connected());
}

TEST_F(AntiFreezeTest, HookIsNotUsedOffTheMainThread) {
  bool used = true;
  std::thread([&] { used = TNetAntiFreezeBase::ShouldUse(); }).join();
  EXPECT_FALSE(used);
  EXPECT_TRUE(TNetAntiFreezeBase::ShouldUse());
  FHook.SetActive(false);
  EXPECT_FALSE(TNetAntiFreezeBase::ShouldUse());
}

TEST(AntiFreezeAbsentTest, NoHookMeansNoSlices) {
  EXPECT_FALSE(TNetAntiFreezeBase::ShouldUse());
  EXPECT_NO_THROW(TNetAntiFreezeBase::DoProcess());
}

}  // namespace
}  // namespace vornel
