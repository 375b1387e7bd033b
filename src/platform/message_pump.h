// The hook through which code below the window pumps the window's messages. The
// GUI installs its pump at start-up; without one, PumpMessages does nothing.
#pragma once

#include <functional>

namespace vornel {

void SetMessagePump(std::function<void()> pump);
void PumpMessages();

}  // namespace vornel
