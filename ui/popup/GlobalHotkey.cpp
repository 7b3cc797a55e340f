#include "ui/popup/GlobalHotkey.h"

#include <commctrl.h>

#include "log/Log.h"
#include "services/TextConversion.h"

namespace ui {
namespace {
constexpr int kFirstId = 1, kSecondId = 2;
}  // namespace

void GlobalHotkey::SetOwner(HWND owner) {
  if (owner == mOwner) return;
  Unregister();
  mOwner = owner;
}

UINT GlobalHotkey::Modifiers(WORD hotkey) {
  const BYTE flags = HIBYTE(hotkey);
  UINT modifiers = MOD_NOREPEAT;
  if (flags & HOTKEYF_CONTROL) modifiers |= MOD_CONTROL;
  if (flags & HOTKEYF_SHIFT) modifiers |= MOD_SHIFT;
  if (flags & HOTKEYF_ALT) modifiers |= MOD_ALT;
  return modifiers;
}

std::wstring GlobalHotkey::KeyText(WORD hotkey) {
  const BYTE flags = HIBYTE(hotkey);
  const UINT key = LOBYTE(hotkey);
  std::wstring text;
  if (flags & HOTKEYF_CONTROL) text += L"Ctrl+";
  if (flags & HOTKEYF_SHIFT) text += L"Shift+";
  if (flags & HOTKEYF_ALT) text += L"Alt+";
  wchar_t name[64] = {};
  const LONG scan = static_cast<LONG>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC)) << 16;
  if (scan && GetKeyNameTextW(scan | ((flags & HOTKEYF_EXT) ? (1 << 24) : 0), name, 64) > 0) {
    text += name;
  } else {
    wchar_t code[16] = {};
    _snwprintf(code, 16, L"key 0x%02X", key);
    text += code;
  }
  return text;
}

bool GlobalHotkey::Register(WORD hotkey) {
  if (hotkey == mRegistered) {
    mRefused = 0;
    return true;
  }
  if (hotkey == 0) {
    Unregister();
    mRefused = 0;
    return true;
  }
  const int id = mId == kFirstId ? kSecondId : kFirstId;
  if (!RegisterHotKey(mOwner, id, Modifiers(hotkey), LOBYTE(hotkey))) {
    const DWORD error = GetLastError();
    Log("%s: Windows refused the hotkey %s (error %lu); another program may use it.\n", "ui::GlobalHotkey::Register",
        utils::ToUtf8String(KeyText(hotkey)).c_str(), error);
    mRefused = hotkey;
    return false;
  }
  Unregister();
  mRegistered = hotkey;
  mId = id;
  mRefused = 0;
  return true;
}

void GlobalHotkey::Unregister() {
  if (mId == 0) return;
  if (!UnregisterHotKey(mOwner, mId))
    Log("%s: UnregisterHotKey(%d) failed with error %lu.\n", "ui::GlobalHotkey::Unregister", mId, GetLastError());
  mId = 0;
  mRegistered = 0;
}

}  // namespace ui
