#pragma once
// POST /admin/<command>: lets tests and demos change the host behind the clients' backs.

#include <string>

#include <nlohmann/json.hpp>

#include "simulator/src/HostModel.h"
#include "simulator/src/OperationCounts.h"
#include "simulator/src/Reply.h"
#include "simulator/src/RuntimeControls.h"
#include "simulator/src/Sessions.h"

namespace sim {

class AdminHandler {
 public:
  // certSha256: hex SHA-256 of the served certificate, empty over plain HTTP.
  AdminHandler(HostModel& model, SessionStore& sessions, RuntimeControls& controls, const OperationCounts& counts,
               std::string certSha256)
      : mModel(model), mSessions(sessions), mControls(controls), mCounts(counts), mCertSha256(std::move(certSha256)) {}

  Reply Handle(const std::string& command, const std::string& body);

 private:
  Reply Run(const std::string& command, const nlohmann::json& body);
  Reply State();

  HostModel& mModel;
  SessionStore& mSessions;
  RuntimeControls& mControls;
  const OperationCounts& mCounts;
  std::string mCertSha256;
};

}  // namespace sim
