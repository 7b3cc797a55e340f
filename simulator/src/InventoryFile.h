#pragma once
// The --inventory file: { "vms": [ { "name", "path"?, "moid"?, "powerState"? } ] }.

#include <string>
#include <vector>

#include "simulator/src/Vm.h"

namespace sim {

// Parses the file's text; on failure returns false and says what is wrong in *error.
bool ParseInventory(const std::string& text, std::vector<Vm>* vms, std::string* error);
bool LoadInventoryFile(const std::string& fileName, std::vector<Vm>* vms, std::string* error);

}  // namespace sim
