// Records the work events of a component as short texts: "begin r 100000",
// "work r 3000", "end r".
#pragma once

#include <string>
#include <vector>

#include "transport/net_component.h"

namespace vornel::test {

class TWorkRecorder {
 public:
  explicit TWorkRecorder(TNetComponent& component) {
    component.OnWorkBegin = [this](TNetComponent& sender, TWorkMode mode, std::int64_t max) {
      Senders.push_back(&sender);
      Events.push_back("begin " + Mode(mode) + " " + std::to_string(max));
    };
    component.OnWork = [this](TNetComponent& sender, TWorkMode mode, std::int64_t count) {
      Senders.push_back(&sender);
      Events.push_back("work " + Mode(mode) + " " + std::to_string(count));
      if (OnWork)
        OnWork(count);
    };
    component.OnWorkEnd = [this](TNetComponent& sender, TWorkMode mode) {
      Senders.push_back(&sender);
      Events.push_back("end " + Mode(mode));
    };
  }

  std::vector<std::string> Events;
  std::vector<TNetComponent*> Senders;
  // Runs inside every OnWork, after it is recorded.
  std::function<void(std::int64_t)> OnWork;

 private:
  static std::string Mode(TWorkMode mode) { return mode == wmRead ? "r" : "w"; }
};

}  // namespace vornel::test
