#include "ui/popup/PowerButtons.h"

#include "backend/QorApi.h"

namespace ui {

PowerFlags PowerFlagsOf(uint32_t s) {
  PowerFlags f;
  f.poweringOff = s & QOR_POWERSTATE_POWERING_OFF;
  f.poweredOff = s & QOR_POWERSTATE_POWERED_OFF;
  f.poweringOn = s & (QOR_POWERSTATE_POWERING_ON | QOR_POWERSTATE_ALSO_POWERING_ON);
  f.poweredOn = s & QOR_POWERSTATE_POWERED_ON;
  f.suspending = s & QOR_POWERSTATE_SUSPENDING;
  f.suspended = s & (QOR_POWERSTATE_SUSPENDED | QOR_POWERSTATE_ALSO_SUSPENDED);
  f.resetting = s & QOR_POWERSTATE_RESETTING;
  return f;
}

PowerButtons PowerButtonsFor(uint32_t powerState) {
  const PowerFlags f = PowerFlagsOf(powerState);
  const bool inTransition = f.poweringOn || f.poweringOff || f.suspending;
  if (inTransition) {
    // Nothing may be started while the VM is on its way: what is under way shows held.
    return PowerButtons{{f.poweringOn, false}, {f.poweringOff, false}, {f.suspending, false}, false};
  }
  return PowerButtons{{f.poweredOn, f.poweredOff || f.suspended},
                      {f.poweredOff, f.poweredOn},
                      {f.suspended, f.poweredOn},
                      f.poweredOn};
}

}  // namespace ui
