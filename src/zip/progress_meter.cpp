#include "zip/progress_meter.h"

#include <utility>

namespace vornel {

IArProgressMeter::~IArProgressMeter() {
  auto notifications = std::move(FNotifications);
  for (auto& [key, notify] : notifications)
    notify();
}

int IArProgressMeter::AddFreeNotification(std::function<void()> notify) {
  FNotifications.emplace(FNextKey, std::move(notify));
  return FNextKey++;
}

void IArProgressMeter::RemoveFreeNotification(int key) {
  FNotifications.erase(key);
}

}  // namespace vornel
