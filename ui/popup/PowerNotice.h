// The tray notification for favorites whose power state changed without this program:
// one change names the VM, its server and the new state; several are gathered into one
// notice with a line each. A click on it shows the first VM.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "backend/VM.h"
#include "ui/popup/PowerMark.h"

namespace ui {

struct PowerChange {
  std::weak_ptr<VM> vm;
  std::wstring name;
  std::wstring server;
  PowerMark state;
};

struct PowerNotice {
  // What the notification area takes (NOTIFYICONDATA's szInfoTitle and szInfo, less the
  // terminating zero).
  static constexpr size_t kMostTitle = 63;
  static constexpr size_t kMostText = 255;
  std::wstring title;
  std::wstring text;
  std::weak_ptr<VM> vm;  // shown when the notice is clicked
};

// Empty (no title) when there is no change.
PowerNotice ComposePowerNotice(const std::vector<PowerChange>& changes);

}  // namespace ui
