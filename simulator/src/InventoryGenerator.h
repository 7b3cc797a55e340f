#pragma once
// A made-up but realistic inventory for --vms N.

#include <cstdint>
#include <vector>

#include "simulator/src/Vm.h"

namespace sim {

// N VMs with unique names, paths and moids ("vm-1" ...); the same seed gives the same list.
std::vector<Vm> GenerateInventory(int count, uint64_t seed);

}  // namespace sim
