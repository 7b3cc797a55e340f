// Shared by the popup row tests: a parent window that records what the rows tell it,
// pumping while waiting, answering message boxes as a user would, and screenshots.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/DialogDriver.h"
#include "ui/window/Window.h"

namespace popuptest {

struct Posted {
  UINT msg;
  WPARAM wParam;
  LPARAM lParam;
};

// A top-level window that rows and controls are created in; it records the private
// messages, WM_CHAR and WM_COMMAND that reach it (commands then go on to the reflection).
class Parent : public ui::WindowImpl {
 public:
  std::vector<Posted> seen;
  HBRUSH staticBackground = nullptr;  // what WM_CTLCOLORSTATIC answers, as a dialog does
  HWND CreateParent(int width = 320, int height = 200);
  int Count(UINT msg) const;
  const Posted* Last(UINT msg) const;
  void Clear() { seen.clear(); }

 protected:
  const wchar_t* ClassName() const override { return L"ZwTest Popup Parent"; }
  ZW_BEGIN_MSG_MAP()
    if ((uMsg >= WM_APP && uMsg < WM_APP + 0x20 && uMsg != WM_APP + 0xD) || uMsg == WM_CHAR) {
      seen.push_back({uMsg, wParam, lParam});
      lResult = 0;
      return true;
    }
    if (uMsg == WM_COMMAND) seen.push_back({uMsg, wParam, lParam});
    if (uMsg == WM_CTLCOLORSTATIC && staticBackground) {
      lResult = reinterpret_cast<LRESULT>(staticBackground);
      return true;
    }
    ZW_REFLECT_NOTIFICATIONS()
  ZW_END_MSG_MAP()
};

// Dispatches this thread's messages until pred holds or the time passes.
bool PumpUntil(const std::function<bool()>& pred, DWORD timeoutMs = 15000);
void PumpFor(DWORD ms);

// Answers the next message box of this process (Yes or No) from another thread and
// records its text.
class MessageBoxAnswer {
 public:
  explicit MessageBoxAnswer(bool yes);
  ~MessageBoxAnswer();
  // Waits for the answering thread; the box's text, empty when none appeared.
  std::wstring Text();

 private:
  std::thread mThread;
  std::wstring mText;
};

// Puts the real cursor there and waits until it stays (a late motion event, say from a
// window just created under the old position, can still move it back). Whether it did.
bool PlaceCursor(POINT screen);
// Moves the real cursor over a window's client point, presses and releases the left
// button there (as a person clicks), pumping in between.
void ClickAt(HWND window, POINT client);
// A key pressed in the window (WM_KEYDOWN), then what it posted dispatched.
void PressKey(HWND window, UINT key);
// A child's rectangle in its parent's client coordinates.
RECT ChildRect(HWND child);

// The window's pixels as the screen shows them once it holds still (RGB, top row first),
// without a repaint; pending messages are dispatched meanwhile.
std::vector<uint8_t> ScreenPixels(HWND window, int* width = nullptr, int* height = nullptr);
// The client area as the window's own DC holds it (RGB, top row first), after painting
// what is pending; and how many of such pixels have this colour.
std::vector<uint8_t> ClientPixels(HWND window);
int CountColour(const std::vector<uint8_t>& rgb, COLORREF colour);
// Saves the window as a PNG under build/screenshots/<name>.png; the path, empty on failure.
std::string SaveScreenshot(HWND window, const std::string& name);
using dialogs::TextOf;
bool IsShown(HWND window);
// Of a mouse move and a press sent to tool, how many reach the tooltip that has a tool on
// it (TTM_RELAYEVENT, from the window or the tooltip's subclass of it); -1: no such tooltip.
int MouseMessagesReachingTooltip(HWND tool);

}  // namespace popuptest
