#include "transport/anti_freeze.h"

#include <algorithm>
#include <atomic>

#include "platform/main_thread.h"
#include "transport/socket/net_exception.h"

namespace vornel {

namespace {

// The one hook of the process.
std::atomic<TNetAntiFreezeBase*>& GAntiFreeze() {
  static std::atomic<TNetAntiFreezeBase*> instance{nullptr};
  return instance;
}

}  // namespace

TNetAntiFreezeBase::TNetAntiFreezeBase() {
  TNetAntiFreezeBase* expected = nullptr;
  if (!GAntiFreeze().compare_exchange_strong(expected, this)) {
    throw ENetException(u"Only one TNetAntiFreeze can exist per application.");
  }
}

TNetAntiFreezeBase::~TNetAntiFreezeBase() {
  TNetAntiFreezeBase* expected = this;
  GAntiFreeze().compare_exchange_strong(expected, nullptr);
}

bool TNetAntiFreezeBase::ShouldUse() {
  TNetAntiFreezeBase* hook = GAntiFreeze().load();
  return hook && hook->FActive && IsMainThread();
}

void TNetAntiFreezeBase::DoProcess(bool AIdle, bool AOverride) {
  if (!ShouldUse())
    return;
  TNetAntiFreezeBase* hook = GAntiFreeze().load();
  if (!hook->FOnlyWhenIdle || AIdle || AOverride)
    hook->Process();
}

int TNetAntiFreezeBase::SliceMs() {
  TNetAntiFreezeBase* hook = GAntiFreeze().load();
  const int idle = hook ? hook->FIdleTimeOut : 100;
  return std::clamp(idle, 1, 100);
}

}  // namespace vornel
