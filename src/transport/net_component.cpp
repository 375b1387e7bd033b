#include "transport/net_component.h"

#include <algorithm>

namespace vornel {

namespace {

void Erase(std::vector<TNetComponent*>& list, TNetComponent* item) {
  list.erase(std::remove(list.begin(), list.end(), item), list.end());
}

}  // namespace

TNetComponent::TNetComponent() = default;

TNetComponent::~TNetComponent() {
  // Tell every watcher; each one may unregister (and so change the list) from
  // inside its notification.
  while (!FWatchers.empty()) {
    TNetComponent* watcher = FWatchers.back();
    FWatchers.pop_back();
    Erase(watcher->FWatching, this);
    watcher->Notification(*this);
  }
  for (TNetComponent* watched : FWatching)
    Erase(watched->FWatchers, this);
}

void TNetComponent::BeginWork(TWorkMode AWorkMode, std::int64_t ASize) {
  if (FWorkTarget) {
    FWorkTarget->BeginWork(AWorkMode, ASize);
    return;
  }
  TWorkInfo& info = FWorkInfos[AWorkMode];
  ++info.Level;
  if (info.Level == 1) {
    info.Max = ASize;
    info.Current = 0;
    if (OnWorkBegin)
      OnWorkBegin(*this, AWorkMode, ASize);
  }
}

void TNetComponent::DoWork(TWorkMode AWorkMode, std::int64_t ACount) {
  if (FWorkTarget) {
    FWorkTarget->DoWork(AWorkMode, ACount);
    return;
  }
  TWorkInfo& info = FWorkInfos[AWorkMode];
  if (info.Level > 0) {
    info.Current += ACount;
    if (OnWork)
      OnWork(*this, AWorkMode, info.Current);
  }
}

void TNetComponent::EndWork(TWorkMode AWorkMode) {
  if (FWorkTarget) {
    FWorkTarget->EndWork(AWorkMode);
    return;
  }
  TWorkInfo& info = FWorkInfos[AWorkMode];
  if (info.Level == 1 && OnWorkEnd)
    OnWorkEnd(*this, AWorkMode);
  --info.Level;
}

void TNetComponent::SetWorkTarget(TNetComponent* AValue) {
  SetWatched(FWorkTarget, AValue);
}

void TNetComponent::DoStatus(TNetStatus AStatus, std::initializer_list<std::u16string> AArguments) {
  if (OnStatus)
    OnStatus(*this, AStatus, NetStatusText(AStatus, AArguments));
}

void TNetComponent::FreeNotification(TNetComponent& AComponent) {
  if (&AComponent == this)
    return;
  if (std::find(FWatching.begin(), FWatching.end(), &AComponent) != FWatching.end())
    return;
  FWatching.push_back(&AComponent);
  AComponent.FWatchers.push_back(this);
}

void TNetComponent::RemoveFreeNotification(TNetComponent& AComponent) {
  Erase(FWatching, &AComponent);
  Erase(AComponent.FWatchers, this);
}

void TNetComponent::Notification(TNetComponent& AComponent) {
  if (&AComponent == FWorkTarget)
    FWorkTarget = nullptr;
}

}  // namespace vornel
