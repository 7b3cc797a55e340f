#pragma once
// Runs a Simulator in the test process on free ports, over HTTPS or plain HTTP.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "simulator/src/Simulator.h"
#include "simulator/tests/TestClient.h"

namespace simtest {

// Five VMs with known states: vm-1 on, vm-2 off, vm-3 suspended, vm-4 on, vm-5 "Büro-Server" off.
std::vector<sim::Vm> SmallInventory();
sim::Options TestOptions(bool https);

class SimFixture : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override { StartWith(TestOptions(GetParam())); }
  void TearDown() override { mSim.reset(); }

  void StartWith(const sim::Options& options, std::vector<sim::Vm> vms = SmallInventory());

  // One /sdk request; v = 1 is added unless the object already has "v".
  HttpAnswer Sdk(nlohmann::json request, std::chrono::milliseconds timeout = std::chrono::seconds(40)) const;
  nlohmann::json SdkJson(nlohmann::json request) const { return Sdk(std::move(request)).Json(); }
  std::string Login() const;
  nlohmann::json Admin(const std::string& command, const nlohmann::json& body = nlohmann::json::object()) const;
  HttpAnswer AdminRaw(const std::string& command, const std::string& body) const;
  std::string BaseUrl() const;

  std::unique_ptr<sim::Simulator> mSim;
};

// Instantiates a fixture's tests over HTTPS and HTTP.
#define SIM_BOTH_SCHEMES(Fixture)                                                     \
  INSTANTIATE_TEST_SUITE_P(Schemes, Fixture, ::testing::Values(true, false),         \
                           [](const ::testing::TestParamInfo<bool>& info) {          \
                             return std::string(info.param ? "Https" : "Http");      \
                           })

}  // namespace simtest
