#include "simulator/src/InventoryFile.h"

#include <fstream>
#include <sstream>
#include <unordered_set>

#include "simulator/src/PowerState.h"
#include "simulator/src/VmNaming.h"

namespace sim {
namespace {

constexpr size_t kMaxFileBytes = 256u * 1024 * 1024;

bool Fail(std::string* error, const std::string& message) {
  *error = message;
  return false;
}

}  // namespace

bool ParseInventory(const std::string& text, std::vector<Vm>* vms, std::string* error) {
  nlohmann::json doc = nlohmann::json::parse(text, nullptr, false);
  if (doc.is_discarded()) return Fail(error, "the inventory is not valid JSON");
  if (!doc.is_object() || !doc.contains("vms") || !doc["vms"].is_array())
    return Fail(error, "the inventory must be an object with a \"vms\" array");

  std::vector<Vm> result;
  std::unordered_set<std::string> paths, moids;
  // Entries without a moid get numbers after the highest "vm-<n>" given.
  uint64_t nextNumber = 1;
  for (const auto& entry : doc["vms"]) {
    if (entry.is_object() && entry.contains("moid") && entry["moid"].is_string()) {
      auto number = MoidNumber(entry["moid"].get<std::string>());
      if (number && *number >= nextNumber) nextNumber = *number + 1;
    }
  }

  size_t index = 0;
  for (const auto& entry : doc["vms"]) {
    const std::string where = "vms[" + std::to_string(index++) + "]";
    if (!entry.is_object()) return Fail(error, where + " is not an object");
    Vm vm;
    if (!entry.contains("name") || !entry["name"].is_string() || entry["name"].get<std::string>().empty())
      return Fail(error, where + ": \"name\" must be a non-empty string");
    vm.name = entry["name"].get<std::string>();

    if (entry.contains("path")) {
      if (!entry["path"].is_string() || entry["path"].get<std::string>().empty())
        return Fail(error, where + ": \"path\" must be a non-empty string");
      vm.path = entry["path"].get<std::string>();
    } else {
      if (!IsPathSafeName(vm.name))
        return Fail(error, where + ": a name with '/', '\\' or control characters needs an explicit \"path\"");
      vm.path = PathForName("datastore1", vm.name);
    }

    if (entry.contains("moid")) {
      if (!entry["moid"].is_string() || entry["moid"].get<std::string>().empty())
        return Fail(error, where + ": \"moid\" must be a non-empty string");
      vm.moid = entry["moid"].get<std::string>();
    } else {
      vm.moid = MoidFor(nextNumber++);
    }

    vm.powerState = kPoweredOff;
    if (entry.contains("powerState")) {
      const auto& state = entry["powerState"];
      if (!state.is_number_unsigned() || state.get<uint64_t>() > 0xFFFFFFFFull)
        return Fail(error, where + ": \"powerState\" must be an integer from 0 to 4294967295");
      vm.powerState = state.get<uint32_t>();
    }

    if (!paths.insert(vm.path).second) return Fail(error, where + ": path '" + vm.path + "' is used twice");
    if (!moids.insert(vm.moid).second) return Fail(error, where + ": moid '" + vm.moid + "' is used twice");
    result.push_back(std::move(vm));
  }
  *vms = std::move(result);
  return true;
}

bool LoadInventoryFile(const std::string& fileName, std::vector<Vm>* vms, std::string* error) {
  std::ifstream in(fileName, std::ios::binary);
  if (!in) return Fail(error, "cannot open inventory file '" + fileName + "'");
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) return Fail(error, "cannot read inventory file '" + fileName + "'");
  if (text.str().size() > kMaxFileBytes) return Fail(error, "inventory file '" + fileName + "' is larger than 256 MiB");
  if (!ParseInventory(text.str(), vms, error)) {
    *error = fileName + ": " + *error;
    return false;
  }
  return true;
}

}  // namespace sim
