#pragma once
// POST /sdk: parses one request object and runs its operation.

#include <string>

#include <nlohmann/json.hpp>

#include "simulator/src/HostModel.h"
#include "simulator/src/OperationCounts.h"
#include "simulator/src/PowerEngine.h"
#include "simulator/src/Reply.h"
#include "simulator/src/RuntimeControls.h"
#include "simulator/src/Sessions.h"

namespace sim {

class SdkHandler {
 public:
  static constexpr int kMaxWaitMs = 30000;

  SdkHandler(HostModel& model, SessionStore& sessions, RuntimeControls& controls, PowerEngine& power,
             OperationCounts& counts)
      : mModel(model), mSessions(sessions), mControls(controls), mPower(power), mCounts(counts) {}

  // Holds the request while silent, applies the latency, then answers it.
  // *op receives the operation name for the request log (empty when unknown).
  Reply Handle(const std::string& body, std::string* op);

 private:
  Reply Dispatch(const nlohmann::json& request, const std::string& op);
  Reply Login(const nlohmann::json& request);
  Reply Logout(const nlohmann::json& request);
  Reply ListVms();
  Reply GetVm(const nlohmann::json& request);
  Reply Power(const nlohmann::json& request);
  Reply Events(const nlohmann::json& request, const std::string& session);

  HostModel& mModel;
  SessionStore& mSessions;
  RuntimeControls& mControls;
  PowerEngine& mPower;
  OperationCounts& mCounts;
};

}  // namespace sim
