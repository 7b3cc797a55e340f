#include "ui/window/UiThread.h"

#include "ui/window/Messages.h"

namespace ui {

bool PostToWindow(HWND hwnd, const sigc::slot<void>& slot) {
  if (hwnd == nullptr || !IsWindow(hwnd)) return false;
  auto* copy = new sigc::slot<void>(slot);
  if (!PostMessageW(hwnd, WM_RUN_ON_UI_THREAD, reinterpret_cast<WPARAM>(copy), 0)) {
    delete copy;
    return false;
  }
  return true;
}

void RunPostedSlot(WPARAM wParam) {
  auto* slot = reinterpret_cast<sigc::slot<void>*>(wParam);
  if (slot == nullptr) return;
  if (!slot->empty() && !slot->blocked()) (*slot)();
  delete slot;
}

void DiscardPostedSlots(HWND hwnd) {
  MSG msg;
  while (PeekMessageW(&msg, hwnd, WM_RUN_ON_UI_THREAD, WM_RUN_ON_UI_THREAD, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      // Handed out whatever the filter, and only once no slot is left: the loop needs it.
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    delete reinterpret_cast<sigc::slot<void>*>(msg.wParam);
  }
}

}  // namespace ui
