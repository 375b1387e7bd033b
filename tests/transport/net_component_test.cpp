#include "transport/net_component.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "transport/support/work_recorder.h"

namespace vornel {
namespace {

using test::TWorkRecorder;

TEST(NetComponentTest, WorkCountsAreRunningTotals) {
  TNetComponent component;
  TWorkRecorder recorder(component);
  component.DoWork(wmRead, 5);  // outside a begin: ignored
  component.BeginWork(wmRead, 100);
  component.DoWork(wmRead, 30);
  component.DoWork(wmWrite, 7);  // the other direction has no open work
  component.DoWork(wmRead, 20);
  component.EndWork(wmRead);
  EXPECT_EQ(recorder.Events,
            (std::vector<std::string>{"begin r 100", "work r 30", "work r 50", "end r"}));
  EXPECT_EQ(component.WorkInfo(wmRead).Level, 0);
  EXPECT_EQ(component.WorkInfo(wmRead).Current, 50);
}

TEST(NetComponentTest, NestedBeginsFireOnceWithTheOuterSize) {
  TNetComponent component;
  TWorkRecorder recorder(component);
  component.BeginWork(wmRead, 1000);
  component.BeginWork(wmRead, 400);
  component.DoWork(wmRead, 400);
  component.EndWork(wmRead);
  component.DoWork(wmRead, 600);
  component.EndWork(wmRead);
  EXPECT_EQ(recorder.Events,
            (std::vector<std::string>{"begin r 1000", "work r 400", "work r 1000", "end r"}));
}

TEST(NetComponentTest, WorkTargetChainCarriesEventsWithTheHolderAsSender) {
  TNetComponent outer;
  TNetComponent middle;
  TNetComponent inner;
  TWorkRecorder outerRecorder(outer);
  TWorkRecorder innerRecorder(inner);
  middle.SetWorkTarget(&outer);
  inner.SetWorkTarget(&middle);
  {
    TNetWorkBracket work(inner, wmWrite, 10);
    inner.DoWork(wmWrite, 10);
  }
  EXPECT_TRUE(innerRecorder.Events.empty());
  EXPECT_EQ(outerRecorder.Events, (std::vector<std::string>{"begin w 10", "work w 10", "end w"}));
  for (TNetComponent* sender : outerRecorder.Senders)
    EXPECT_EQ(sender, &outer);
  EXPECT_EQ(inner.WorkInfo(wmWrite).Level, 0);
}

TEST(NetComponentTest, DestroyedWorkTargetIsForgotten) {
  TNetComponent component;
  TWorkRecorder recorder(component);
  {
    auto target = std::make_unique<TNetComponent>();
    component.SetWorkTarget(target.get());
  }
  EXPECT_EQ(component.WorkTarget(), nullptr);
  component.BeginWork(wmRead, 1);
  component.EndWork(wmRead);
  EXPECT_EQ(recorder.Events, (std::vector<std::string>{"begin r 1", "end r"}));
}

// Keeps the components it was told are gone.
class TNotifiedComponent : public TNetComponent {
 public:
  std::vector<const TNetComponent*> Gone;

 protected:
  void Notification(TNetComponent& AComponent) override {
    Gone.push_back(&AComponent);
    TNetComponent::Notification(AComponent);
  }
};

TEST(NetComponentTest, ComponentDestroyedBeforeItsTargetUnregisters) {
  auto target = std::make_unique<TNetComponent>();
  TNotifiedComponent survivor;
  survivor.SetWorkTarget(target.get());
  {
    TNotifiedComponent component;
    component.SetWorkTarget(target.get());
  }
  const TNetComponent* const departed = target.get();
  // Telling the component that is gone would be a use after free; the one still
  // watching is told exactly once and forgets its target.
  target.reset();
  EXPECT_EQ(survivor.Gone, (std::vector<const TNetComponent*>{departed}));
  EXPECT_EQ(survivor.WorkTarget(), nullptr);
}

TEST(NetComponentTest, StatusTexts) {
  TNetComponent component;
  std::vector<std::u16string> texts;
  component.OnStatus = [&](TNetComponent&, TNetStatus, const std::u16string& text) {
    texts.push_back(text);
  };
  component.DoStatus(hsResolving, {u"example.test"});
  component.DoStatus(hsConnecting, {u"127.0.0.1"});
  component.DoStatus(hsConnected);
  component.DoStatus(hsDisconnecting);
  component.DoStatus(hsDisconnected);
  component.DoStatus(hsStatusText, {u"free text"});
  EXPECT_EQ(texts, (std::vector<std::u16string>{
                       u"Resolving hostname example.test.", u"Connecting to 127.0.0.1.",
                       u"Connected.", u"Disconnecting.", u"Disconnected.", u"free text"}));
}

}  // namespace
}  // namespace vornel
