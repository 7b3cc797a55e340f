// A helper thread that answers the dialogs an update check opens, and records them.
#pragma once
#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "res/resource.h"
#include "tests/support/DialogDriver.h"

// Watches for the Update Available dialog and the program's message boxes until stopped;
// hands each one, once visible, to `answer` (which must close it).
class DialogWatch {
 public:
  using Answer = std::function<void(HWND dialog, const std::wstring& caption)>;

  explicit DialogWatch(Answer answer) : mAnswer(std::move(answer)) {
    mThread = std::thread([this] { Run(); });
  }
  ~DialogWatch() { Stop(); }
  DialogWatch(const DialogWatch&) = delete;
  DialogWatch& operator=(const DialogWatch&) = delete;

  void Stop() {
    mStop = true;
    if (mThread.joinable()) mThread.join();
  }
  // Captions of the dialogs seen, in order.
  const std::vector<std::wstring>& Seen() const { return mSeen; }

 private:
  void Run() {
    while (!mStop) {
      for (const wchar_t* caption : {L"Update Available", L"Zandor Wickerlyn"}) {
        HWND found = dialogs::FindOwnDialog(caption);
        if (found && found != mLast) {
          mLast = found;
          mSeen.push_back(caption);
          mAnswer(found, caption);
        }
      }
      Sleep(10);
    }
  }

  Answer mAnswer;
  std::atomic<bool> mStop{false};
  HWND mLast = nullptr;
  std::vector<std::wstring> mSeen;
  std::thread mThread;
};

// Closes whatever appears (message box: OK; Update Available: Close).
inline void CloseAnything(HWND dialog, const std::wstring& caption) {
  if (caption == L"Update Available") {
    SendMessageW(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
  } else {
    dialogs::PressOk(dialog);
  }
}
