#include "platform/message_pump.h"

#include <utility>

namespace vornel {

namespace {

// The one pump of the process, installed by the window at start-up.
std::function<void()>& Pump() {
  static std::function<void()> pump;
  return pump;
}

}  // namespace

void SetMessagePump(std::function<void()> pump) {
  Pump() = std::move(pump);
}

void PumpMessages() {
  if (Pump())
    Pump()();
}

}  // namespace vornel
