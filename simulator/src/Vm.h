#pragma once
// One virtual machine of the simulated host.

#include <cstdint>
#include <string>

#include <nlohmann/json.hpp>

namespace sim {

struct Vm {
  std::string moid;         // "vm-<n>", never reused
  std::string name;
  std::string path;         // "[datastore] folder/name.vmx", unique
  uint32_t powerState = 0;
  uint64_t powerGeneration = 0;  // bumped on every power change; detects interrupted operations
};

// The wire form: { path, moid, name, powerState }.
inline nlohmann::json VmToJson(const Vm& vm) {
  return {{"path", vm.path}, {"moid", vm.moid}, {"name", vm.name}, {"powerState", vm.powerState}};
}

}  // namespace sim
