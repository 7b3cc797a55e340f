// The small mark before a VM's name that tells its power state at a glance. Each state
// has its own shape, so the mark reads without colour; its words go in the row's tooltip
// and accessible description.
#pragma once
#include <windows.h>

#include <cstdint>

namespace ui {

enum class PowerMark { kNone, kOn, kOff, kSuspended, kChanging };

// kNone for an unknown word (VMItem::kUnknownPowerState) or one without a known state.
PowerMark PowerMarkOf(uint32_t powerState);
// The words for the mark ("Powered on", ...): a string table id, 0 for kNone.
UINT PowerMarkTextId(PowerMark mark);
// On: a triangle pointing right; off: a square; suspended: two bars; changing: a ring.
void DrawPowerMark(HDC dc, const RECT& box, PowerMark mark);

}  // namespace ui
