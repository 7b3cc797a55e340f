// Words for the VM power-state bits (property 129).
#pragma once

#include <cstdint>
#include <string>

namespace lumacon {

// "Powered on", "Powering on, Powered on", ...; "Unknown (0x....)" when no known bit is set.
std::wstring DescribePowerState(int32_t bits);

}  // namespace lumacon
