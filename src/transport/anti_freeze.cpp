#include "transport/anti_freeze.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>

#include "transport/socket/net_exception.h"

namespace vornel {

namespace {

// The one hook of the process.
std::atomic<TNetAntiFreezeBase*>& GAntiFreeze() {
  static std::atomic<TNetAntiFreezeBase*> instance{nullptr};
  return instance;
}

// Asked before every wait and between the chunks of a stream, so the answer is
// kept per thread instead of asking the kernel each time.
bool IsMainThread() {
  thread_local const bool main = gettid() == getpid();
  return main;
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
