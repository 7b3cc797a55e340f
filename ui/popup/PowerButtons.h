// What the power controls of a VM row show for the VM's power-state word. Power On, Power
// Off and Suspend are each a pair: the plain button, or in its place its held variant,
// shown checked while that state is in force or on its way. Reset has no held variant.
// The row only applies this.
#pragma once
#include <cstdint>

namespace ui {

// The groups of bits the row reads from the word (and logs).
struct PowerFlags {
  bool poweringOff, poweredOff, poweringOn, poweredOn, suspending, suspended, resetting;
};
PowerFlags PowerFlagsOf(uint32_t powerState);

struct PowerPair {
  bool held;     // the held variant is shown, checked; otherwise the plain button
  bool enabled;  // of the plain button
};

struct PowerButtons {
  PowerPair on, off, suspend;
  bool resetEnabled;  // Reset is always shown
};

PowerButtons PowerButtonsFor(uint32_t powerState);

}  // namespace ui
