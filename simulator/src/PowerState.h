#pragma once
// Power-state bits and the transitions of the power operations.

#include <cstdint>
#include <optional>
#include <string>

namespace sim {

enum PowerBits : uint32_t {
  kPoweringOff = 0x0001,
  kPoweredOff = 0x0002,
  kPoweringOn = 0x0004,
  kPoweredOn = 0x0008,
  kSuspending = 0x0010,
  kSuspended = 0x0020,
  kResetting = 0x0080,
  kPaused = 0x0200,  // a suspended variant some hosts report
};

enum class PowerAction { On, Off, Suspend, Reset };

std::optional<PowerAction> ParsePowerAction(const std::string& text);
const char* PowerActionName(PowerAction action);

struct PowerPlan {
  uint32_t transition;  // state while the operation runs
  uint32_t settled;     // state afterwards
};

// The plan for an action from the current state, or none when the action makes
// no sense there (powering on a running VM, anything during a transition).
std::optional<PowerPlan> PlanPowerAction(PowerAction action, uint32_t current);

}  // namespace sim
