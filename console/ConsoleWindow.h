// The console's window: its title is the VM's name once the VM is open; one line names
// the server and the VM's id, another shows progress, the live power state or an error.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace lumacon {

class ConsoleWindow {
 public:
  ConsoleWindow() = default;
  ~ConsoleWindow();
  ConsoleWindow(const ConsoleWindow&) = delete;
  ConsoleWindow& operator=(const ConsoleWindow&) = delete;

  bool Create(HINSTANCE instance);
  HWND Hwnd() const { return mHwnd; }

  void SetTitle(const std::wstring& title);
  void SetServerLine(const std::wstring& text);
  void SetStatus(const std::wstring& text);

  // Private messages are handed to this (UI thread); WM_APP and above only.
  std::function<void(UINT message, WPARAM wParam, LPARAM lParam)> onAppMessage;

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void Layout();

  HWND mHwnd = nullptr;
  HWND mServerLine = nullptr;
  HWND mStatus = nullptr;
  HFONT mFont = nullptr;
};

}  // namespace lumacon
