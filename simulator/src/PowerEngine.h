#pragma once
// Runs a power operation: the transition state for the power delay, then the settled one.

#include <chrono>
#include <cstdint>
#include <string>

#include "simulator/src/HostModel.h"
#include "simulator/src/RuntimeControls.h"

namespace sim {

class PowerEngine {
 public:
  PowerEngine(HostModel& model, RuntimeControls& controls, std::chrono::milliseconds delay)
      : mModel(model), mControls(controls), mDelay(delay) {}

  struct Result {
    Status status;
    uint32_t powerState = 0;  // the settled state on success
  };
  // Blocks the calling request for the delay; each of the two states is one change.
  Result Run(const std::string& moid, PowerAction action);

 private:
  HostModel& mModel;
  RuntimeControls& mControls;
  std::chrono::milliseconds mDelay;
};

}  // namespace sim
