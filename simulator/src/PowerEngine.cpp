#include "simulator/src/PowerEngine.h"

#include "simulator/src/RequestLog.h"

namespace sim {

PowerEngine::Result PowerEngine::Run(const std::string& moid, PowerAction action) {
  Result result;
  auto transition = mModel.BeginPower(moid, action);
  if (!transition.status.ok()) {
    result.status = transition.status;
    return result;
  }
  if (!mControls.SleepFor(mDelay)) {
    // Shutting down: leave the transition state; nobody will ask again in this run.
    result.status = Status::Failure(kErrSessionLost, "The server is shutting down");
    return result;
  }
  result.status = mModel.FinishPower(moid, transition);
  if (result.status.ok()) {
    result.powerState = transition.plan.settled;
  } else {
    LogLine("power: %s of %s did not settle: %s", PowerActionName(action), LogSafe(moid).c_str(),
            result.status.text.c_str());
  }
  return result;
}

}  // namespace sim
