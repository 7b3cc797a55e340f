// "Zandor Wickerlyn Preferences" (dialog 106): run at start-up, how long items stay in the
// Recently Used list, the update-check settings, a check on request, the popup's state
// marks, notifications and hotkey, and the about text. OK stores into Prefs::Instance() and
// saves it; Cancel stores nothing. A hotkey the user chose is first tried with Windows:
// when refused, the dialog says so and stays open.
#pragma once
#include <windows.h>

#include "ui/popup/GlobalHotkey.h"
#include "ui/window/ModalDialog.h"

class PrefsDlg : public ui::ModalDialog {
 public:
  // hotkey: the popup's registration, to try a newly chosen combination with.
  explicit PrefsDlg(ui::GlobalHotkey& hotkey);

 protected:
  ZW_BEGIN_MSG_MAP()
    ZW_MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
    ZW_MESSAGE_HANDLER(WM_COMMAND, OnCommand)
  ZW_END_MSG_MAP()

 private:
  LRESULT OnInitDialog(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
  LRESULT OnCommand(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
  // The start-up box can be changed: the administrator note goes and the rest closes up.
  void RemoveAdminNote();
  void ShowLastCheck(bool neverWhenUnknown);
  void ApplyUpdateCheckBox();
  void ApplyStateMarksBox();
  // Shows or hides the refused-hotkey note, growing or closing up the dialog below it.
  void ShowHotkeyNote(bool show);
  // False (and the note shown) when a newly chosen hotkey was refused.
  bool TryChosenHotkey();
  void StoreAndSave();

  HWND mMruList = nullptr;
  HWND mIntervalList = nullptr;
  HWND mCheckUpdatesBox = nullptr;
  HWND mRunAtStartupBox = nullptr;
  HWND mHotkeyControl = nullptr;
  ui::GlobalHotkey& mHotkey;
  WORD mShownHotkey = 0;
  bool mHotkeyNoteShown = true;  // as the template lays it out
  bool mStartupChanged = false;
  // The values the lists showed at first: a stored value outside the lists is kept unless
  // the user picks another entry.
  int mShownMruDays = 0;
  int mShownInterval = 0;
};
