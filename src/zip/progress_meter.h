// A receiver of progress percentages (a progress bar, for instance). A meter tells
// the components that hold it when it goes away, so that they drop it.
#pragma once

#include <cstdint>
#include <functional>
#include <map>

namespace vornel {

class IArProgressMeter {
 public:
  virtual ~IArProgressMeter();

  virtual void DoProgress(std::uint8_t progress) = 0;
  virtual void Reset() = 0;

  // A call made when the meter is destroyed; the returned key removes it.
  int AddFreeNotification(std::function<void()> notify);
  void RemoveFreeNotification(int key);

 protected:
  IArProgressMeter() = default;

 private:
  std::map<int, std::function<void()>> FNotifications;
  int FNextKey = 0;
};

}  // namespace vornel
