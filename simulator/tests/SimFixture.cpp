#include "simulator/tests/SimFixture.h"

#include "simulator/src/PowerState.h"

namespace simtest {

std::vector<sim::Vm> SmallInventory() {
  auto vm = [](const char* moid, const char* name, const char* ds, uint32_t state) {
    sim::Vm v;
    v.moid = moid;
    v.name = name;
    v.path = std::string("[") + ds + "] " + name + "/" + name + ".vmx";
    v.powerState = state;
    return v;
  };
  return {vm("vm-1", "web-frontend-03", "datastore1", sim::kPoweredOn),
          vm("vm-2", "db-replica-eu-2", "datastore1", sim::kPoweredOff),
          vm("vm-3", "Build Agent (Win11)", "datastore2", sim::kSuspended),
          vm("vm-4", "mail.corp.local", "datastore1", sim::kPoweredOn),
          vm("vm-5", "Büro-Server", "ssd-fast", sim::kPoweredOff)};
}

sim::Options TestOptions(bool https) {
  sim::Options options;
  options.port = 0;
  options.adminAutoPort = true;
  options.plainHttp = !https;
  options.user = "alice";
  options.password = "s3cret";
  options.powerDelayMs = 150;
  return options;
}

void SimFixture::StartWith(const sim::Options& options, std::vector<sim::Vm> vms) {
  mSim.reset();
  mSim = std::make_unique<sim::Simulator>(options, std::move(vms));
  std::string error;
  ASSERT_TRUE(mSim->Start(&error)) << error;
}

std::string SimFixture::BaseUrl() const {
  return std::string(mSim->Scheme()) + "://127.0.0.1:" + std::to_string(mSim->Port());
}

HttpAnswer SimFixture::Sdk(nlohmann::json request, std::chrono::milliseconds timeout) const {
  if (request.is_object() && !request.contains("v")) request["v"] = 1;
  return TestClient(BaseUrl()).Post("/sdk", request.dump(), timeout);
}

std::string SimFixture::Login() const {
  auto answer = SdkJson({{"op", "login"}, {"user", "alice"}, {"password", "s3cret"}});
  EXPECT_EQ(answer.value("ok", false), true) << answer.dump();
  return answer.value("session", "");
}

HttpAnswer SimFixture::AdminRaw(const std::string& command, const std::string& body) const {
  return TestClient("http://127.0.0.1:" + std::to_string(mSim->AdminPort())).Post("/admin/" + command, body);
}

nlohmann::json SimFixture::Admin(const std::string& command, const nlohmann::json& body) const {
  return AdminRaw(command, body.dump()).Json();
}

}  // namespace simtest
