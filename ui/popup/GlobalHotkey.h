// The key combination that opens the popup from anywhere: registered with Windows for one
// window (or, without one, for the calling thread), which then receives WM_HOTKEY.
#pragma once
#include <windows.h>

#include <string>

namespace ui {

class GlobalHotkey {
 public:
  explicit GlobalHotkey(HWND owner = nullptr) : mOwner(owner) {}
  ~GlobalHotkey() { Unregister(); }
  GlobalHotkey(const GlobalHotkey&) = delete;
  GlobalHotkey& operator=(const GlobalHotkey&) = delete;

  // Set before the first Register; an owner change drops the old registration.
  void SetOwner(HWND owner);

  // Makes hotkey (as HKM_GETHOTKEY gives it; 0 = none) the registered one. When Windows
  // refuses it (another program has it) this is logged and remembered, the combination
  // registered before stays, and the answer is false.
  bool Register(WORD hotkey);
  void Unregister();

  WORD Registered() const { return mRegistered; }
  // The combination of the last Register when Windows refused it, else 0.
  WORD Refused() const { return mRefused; }

  // HOTKEYF_* of the high byte as MOD_*, with MOD_NOREPEAT: a held key opens once.
  static UINT Modifiers(WORD hotkey);
  // "Ctrl+Alt+Z", for the log.
  static std::wstring KeyText(WORD hotkey);

 private:
  HWND mOwner;
  WORD mRegistered = 0;
  int mId = 0;  // of mRegistered; two ids, so a new one can be tried while the old holds
  WORD mRefused = 0;
};

}  // namespace ui
