#include "simulator/src/PowerState.h"

namespace sim {

std::optional<PowerAction> ParsePowerAction(const std::string& text) {
  if (text == "on") return PowerAction::On;
  if (text == "off") return PowerAction::Off;
  if (text == "suspend") return PowerAction::Suspend;
  if (text == "reset") return PowerAction::Reset;
  return std::nullopt;
}

const char* PowerActionName(PowerAction action) {
  switch (action) {
    case PowerAction::On: return "on";
    case PowerAction::Off: return "off";
    case PowerAction::Suspend: return "suspend";
    case PowerAction::Reset: return "reset";
  }
  return "?";
}

std::optional<PowerPlan> PlanPowerAction(PowerAction action, uint32_t current) {
  const bool off = current == kPoweredOff;
  const bool on = current == kPoweredOn;
  const bool suspended = current == kSuspended || current == kPaused;
  switch (action) {
    case PowerAction::On:
      if (off || suspended) return PowerPlan{kPoweringOn, kPoweredOn};
      break;
    case PowerAction::Off:
      if (on || suspended) return PowerPlan{kPoweringOff, kPoweredOff};
      break;
    case PowerAction::Suspend:
      if (on) return PowerPlan{kSuspending, kSuspended};
      break;
    case PowerAction::Reset:
      if (on) return PowerPlan{kResetting, kPoweredOn};
      break;
  }
  return std::nullopt;
}

}  // namespace sim
