// The component base of the network classes: the work-progress model with its
// nested begin/progress/end counting per direction and its events, redirection to
// a work target, status events, and free-notification between components.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "transport/net_status.h"
#include "transport/socket/net_stack.h"

namespace vornel {

enum TWorkMode { wmRead = 0, wmWrite = 1 };

struct TWorkInfo {
  std::int64_t Current = 0;  // bytes counted since the outermost begin
  std::int64_t Max = 0;      // size announced by the outermost begin
  std::int32_t Level = 0;    // nesting depth; 0 when no work is open
};

class TNetComponent;

using TWorkBeginEvent =
    std::function<void(TNetComponent& ASender, TWorkMode AWorkMode, std::int64_t AWorkCountMax)>;
using TWorkEvent =
    std::function<void(TNetComponent& ASender, TWorkMode AWorkMode, std::int64_t AWorkCount)>;
using TWorkEndEvent = std::function<void(TNetComponent& ASender, TWorkMode AWorkMode)>;
using TNetStatusEvent = std::function<void(TNetComponent& ASender, TNetStatus AStatus,
                                           const std::u16string& AStatusText)>;
using TNetNotifyEvent = std::function<void(TNetComponent& ASender)>;

class TNetComponent {
 public:
  TNetComponent();
  virtual ~TNetComponent();
  TNetComponent(const TNetComponent&) = delete;
  TNetComponent& operator=(const TNetComponent&) = delete;

  // Every begin is matched by one end (see TNetWorkBracket). With a work target
  // the calls go to the target and nothing happens here.
  virtual void BeginWork(TWorkMode AWorkMode, std::int64_t ASize = 0);
  // Adds to the running total and fires OnWork with it; ignored outside a begin.
  virtual void DoWork(TWorkMode AWorkMode, std::int64_t ACount);
  virtual void EndWork(TWorkMode AWorkMode);

  const TWorkInfo& WorkInfo(TWorkMode AWorkMode) const { return FWorkInfos[AWorkMode]; }
  TNetComponent* WorkTarget() const { return FWorkTarget; }
  // The target is forgotten when it is destroyed.
  void SetWorkTarget(TNetComponent* AValue);

  void DoStatus(TNetStatus AStatus) { DoStatus(AStatus, {}); }
  void DoStatus(TNetStatus AStatus, std::initializer_list<std::u16string> AArguments);

  // This component is told (Notification) when AComponent is destroyed; the
  // registration ends by itself when either one goes.
  void FreeNotification(TNetComponent& AComponent);
  void RemoveFreeNotification(TNetComponent& AComponent);

  TWorkBeginEvent OnWorkBegin;
  TWorkEvent OnWork;
  TWorkEndEvent OnWorkEnd;
  TNetStatusEvent OnStatus;

 protected:
  // AComponent, which this one registered for, is being destroyed.
  virtual void Notification(TNetComponent& AComponent);

  // Points AField at AValue and moves the free-notification from the old
  // component to the new one; false when AField held AValue already.
  template <class TComponent>
  bool SetWatched(TComponent*& AField, TComponent* AValue) {
    if (AValue == AField)
      return false;
    if (AField)
      RemoveFreeNotification(*AField);
    AField = AValue;
    if (AField)
      FreeNotification(*AField);
    return true;
  }

 private:
  TNetStackUsage FStackUsage;
  std::array<TWorkInfo, 2> FWorkInfos{};
  TNetComponent* FWorkTarget = nullptr;
  std::vector<TNetComponent*> FWatching;  // components this one is told about
  std::vector<TNetComponent*> FWatchers;  // components told when this one goes
};

// BeginWork on construction, EndWork on destruction, so the end runs on every path.
class TNetWorkBracket {
 public:
  TNetWorkBracket(TNetComponent& AComponent, TWorkMode AWorkMode, std::int64_t ASize = 0)
      : FComponent(AComponent), FWorkMode(AWorkMode) {
    FComponent.BeginWork(AWorkMode, ASize);
  }
  ~TNetWorkBracket() { FComponent.EndWork(FWorkMode); }
  TNetWorkBracket(const TNetWorkBracket&) = delete;
  TNetWorkBracket& operator=(const TNetWorkBracket&) = delete;

 private:
  TNetComponent& FComponent;
  TWorkMode FWorkMode;
};

}  // namespace vornel
