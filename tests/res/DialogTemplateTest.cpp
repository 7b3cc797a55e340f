// Dialog templates: each one creates, with its caption, font, size, styles and
// exactly the controls (id, kind, text, place, initial state) that the dialog
// code relies on.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ResourceIdLists.h"
#include "tests/dialogs/DialogDriver.h"

namespace {

using dialogs::TextOf;

enum class Kind { GroupBox, CheckBox, PushButton, DefPushButton, LeftText, CenterText, Edit, DropList };

enum Flag : unsigned {
  kHidden = 1,
  kDisabled = 2,
  kNumber = 4,
  kPassword = 8,
  kAutoScroll = 16,
};

struct ControlSpec {
  int id;
  Kind kind;
  const wchar_t* text;  // nullptr: not checked (edits and lists)
  int x, y, width, height;
  unsigned flags;
};

// A text that the dialog code puts into a control at run time.
struct RuntimeText {
  int controlId;
  std::wstring text;
};

struct DialogSpec {
  int id;
  const wchar_t* caption;
  int width, height;
  bool topmost;
  bool systemMenu;
  std::vector<ControlSpec> controls;
  std::vector<RuntimeText> runtimeTexts;
};

std::wstring FormatText(int id, const wchar_t* argument) {
  wchar_t buffer[512];
  _snwprintf(buffer, 512, LoadText(id).c_str(), argument);
  buffer[511] = 0;
  return buffer;
}

std::string Narrow(const std::wstring& text) {
  std::string out;
  for (wchar_t c : text) out += c < 128 ? static_cast<char>(c) : '?';
  return out;
}

std::wstring ClassOf(HWND window) {
  wchar_t buffer[64] = L"";
  GetClassNameW(window, buffer, 64);
  return buffer;
}

const wchar_t* ClassFor(Kind kind) {
  switch (kind) {
    case Kind::GroupBox:
    case Kind::CheckBox:
    case Kind::PushButton:
    case Kind::DefPushButton: return L"Button";
    case Kind::LeftText:
    case Kind::CenterText: return L"Static";
    case Kind::Edit: return L"Edit";
    case Kind::DropList: return L"ComboBox";
  }
  return L"";
}

INT_PTR CALLBACK PlainDialogProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

std::vector<HWND> DirectChildren(HWND dialog) {
  std::vector<HWND> children;
  for (HWND h = GetWindow(dialog, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) children.push_back(h);
  return children;
}

// A control of the template: by id, and for unnamed statics also by text.
HWND FindControl(const std::vector<HWND>& children, const ControlSpec& spec) {
  for (HWND h : children) {
    if (GetDlgCtrlID(h) != spec.id && !(spec.id == IDC_STATIC && GetDlgCtrlID(h) == 0xFFFF)) continue;
    if (spec.id == IDC_STATIC && TextOf(h) != spec.text) continue;
    return h;
  }
  return nullptr;
}

void ExpectKindAndStyle(HWND h, const ControlSpec& spec) {
  const LONG style = GetWindowLongW(h, GWL_STYLE);
  switch (spec.kind) {
    case Kind::GroupBox: EXPECT_EQ(style & BS_TYPEMASK, BS_GROUPBOX); break;
    case Kind::CheckBox: EXPECT_EQ(style & BS_TYPEMASK, BS_AUTOCHECKBOX); break;
    case Kind::PushButton: EXPECT_EQ(style & BS_TYPEMASK, BS_PUSHBUTTON); break;
    case Kind::DefPushButton: EXPECT_EQ(style & BS_TYPEMASK, BS_DEFPUSHBUTTON); break;
    case Kind::LeftText: EXPECT_EQ(style & SS_TYPEMASK, SS_LEFT); break;
    case Kind::CenterText: EXPECT_EQ(style & SS_TYPEMASK, SS_CENTER); break;
    case Kind::DropList: EXPECT_EQ(style & 3, CBS_DROPDOWNLIST); break;
    case Kind::Edit:
      EXPECT_EQ((style & ES_NUMBER) != 0, (spec.flags & kNumber) != 0);
      EXPECT_EQ((style & ES_PASSWORD) != 0, (spec.flags & kPassword) != 0);
      EXPECT_EQ((style & ES_AUTOHSCROLL) != 0, (spec.flags & kAutoScroll) != 0);
      break;
  }
  EXPECT_EQ((style & WS_VISIBLE) == 0, (spec.flags & kHidden) != 0) << "visibility";
  EXPECT_EQ((style & WS_DISABLED) != 0, (spec.flags & kDisabled) != 0) << "enabled state";
}

void ExpectDialogMatches(const DialogSpec& spec) {
  SCOPED_TRACE("dialog " + std::to_string(spec.id));
  HWND dialog = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(spec.id), nullptr,
                                   PlainDialogProc, 0);
  ASSERT_NE(dialog, nullptr) << "error " << GetLastError();

  EXPECT_EQ(TextOf(dialog), spec.caption);
  const LONG style = GetWindowLongW(dialog, GWL_STYLE);
  const LONG exStyle = GetWindowLongW(dialog, GWL_EXSTYLE);
  EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
  EXPECT_TRUE(style & WS_POPUP);
  EXPECT_TRUE(style & DS_MODALFRAME);
  EXPECT_EQ((style & WS_SYSMENU) != 0, spec.systemMenu);
  EXPECT_EQ((exStyle & WS_EX_TOPMOST) != 0, spec.topmost);

  // Font: "MS Shell Dlg 2", 8 points, normal weight, on the dialog and every control.
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
  ASSERT_NE(font, nullptr);
  LOGFONTW logFont{};
  ASSERT_TRUE(GetObjectW(font, sizeof(logFont), &logFont));
  EXPECT_STREQ(logFont.lfFaceName, L"MS Shell Dlg 2");
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  EXPECT_EQ(logFont.lfHeight, -MulDiv(8, dpi, 72));
  EXPECT_EQ(logFont.lfWeight, FW_NORMAL);

  RECT expectedClient{0, 0, spec.width, spec.height};
  ASSERT_TRUE(MapDialogRect(dialog, &expectedClient));
  RECT client{};
  GetClientRect(dialog, &client);
  EXPECT_EQ(client.right, expectedClient.right);
  EXPECT_EQ(client.bottom, expectedClient.bottom);

  const std::vector<HWND> children = DirectChildren(dialog);
  EXPECT_EQ(children.size(), spec.controls.size()) << "number of controls";
  for (const ControlSpec& control : spec.controls) {
    SCOPED_TRACE("control " + std::to_string(control.id) + (control.text ? " " + Narrow(control.text) : ""));
    HWND h = FindControl(children, control);
    ASSERT_NE(h, nullptr) << "missing";
    EXPECT_EQ(_wcsicmp(ClassOf(h).c_str(), ClassFor(control.kind)), 0) << Narrow(ClassOf(h));
    if (control.text) {
      EXPECT_EQ(TextOf(h), control.text);
    }
    ExpectKindAndStyle(h, control);
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(h, WM_GETFONT, 0, 0)), font);

    // The dialog manager converts origin and size separately, so map them so too.
    RECT expected{control.x, control.y, control.width, control.height};
    MapDialogRect(dialog, &expected);
    RECT actual{};
    GetWindowRect(h, &actual);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&actual), 2);
    EXPECT_EQ(actual.left, expected.left);
    EXPECT_EQ(actual.top, expected.top);
    EXPECT_EQ(actual.right - actual.left, expected.right);
    // A drop-down list's window is only as tall as its closed field.
    if (control.kind != Kind::DropList) {
      EXPECT_EQ(actual.bottom - actual.top, expected.bottom);
    }
  }
  DestroyWindow(dialog);
}


// Whether every label's text, and every text the dialog code puts into a
// label, fits its static control (and the dialog) when the control wraps it,
// so that no line is cut off. A static wraps by the same text metrics that
// DrawText reports, which makes this an exact prediction; buttons and check
// boxes clip by drawn ink instead, which Wine's metrics overstate, so they
// are left to the eye. Measured only with the Windows dialog font (Tahoma
// behind "MS Shell Dlg 2"); fallback fonts have other proportions.
void ExpectLabelsFit(const DialogSpec& spec) {
  SCOPED_TRACE("dialog " + std::to_string(spec.id));
  HWND dialog = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(spec.id), nullptr,
                                   PlainDialogProc, 0);
  ASSERT_NE(dialog, nullptr);
  HDC dc = GetDC(dialog);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0)));
  wchar_t face[LF_FACESIZE] = L"";
  GetTextFaceW(dc, LF_FACESIZE, face);
  const bool windowsFont = wcscmp(face, L"MS Shell Dlg 2") == 0 || wcscmp(face, L"Tahoma") == 0;
  RECT client{};
  GetClientRect(dialog, &client);
  auto expectFits = [&](HWND h, const std::wstring& text) {
    RECT box{};
    GetWindowRect(h, &box);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&box), 2);
    box.right = std::min(box.right, client.right);
    RECT needed{0, 0, box.right - box.left, 0};
    DrawTextW(dc, text.c_str(), -1, &needed, DT_CALCRECT | DT_WORDBREAK);
    EXPECT_LE(needed.right, box.right - box.left) << "a word is wider than the control";
    EXPECT_LE(needed.bottom, box.bottom - box.top) << "wrapped text is taller than the control";
  };
  const std::vector<HWND> children = DirectChildren(dialog);
  for (const ControlSpec& control : spec.controls) {
    if (!windowsFont) break;
    if (!control.text || !*control.text) continue;
    if (control.kind != Kind::LeftText && control.kind != Kind::CenterText) continue;
    SCOPED_TRACE("control " + std::to_string(control.id) + " " + Narrow(control.text));
    HWND h = FindControl(children, control);
    ASSERT_NE(h, nullptr);
    expectFits(h, control.text);
  }
  for (const RuntimeText& runtime : spec.runtimeTexts) {
    if (!windowsFont) break;
    SCOPED_TRACE("control " + std::to_string(runtime.controlId) + " " + Narrow(runtime.text));
    ASSERT_FALSE(runtime.text.empty());
    HWND h = GetDlgItem(dialog, runtime.controlId);
    ASSERT_NE(h, nullptr);
    expectFits(h, runtime.text);
  }
  SelectObject(dc, old);
  ReleaseDC(dialog, dc);
  DestroyWindow(dialog);
  if (!windowsFont) GTEST_SKIP() << "dialog font is " << Narrow(face) << ", not the Windows dialog font";
}

DialogSpec PreferencesSpec() {
  return {IDD_PREFERENCES, L"Zandor Wickerlyn Preferences", 240, 152, true, true, {
      {IDC_GENERAL_GROUP, Kind::GroupBox, L"General settings", 4, 6, 232, 69, 0},
      {IDC_RUN_ON_STARTUP, Kind::CheckBox, L"&Run Zandor Wickerlyn on Windows startup", 10, 18, 160, 10, 0},
      {IDC_ADMIN_NOTE, Kind::LeftText,
       L"To change whether Zandor Wickerlyn runs on Windows startup, run this application with administrator "
       L"privileges.", 10, 32, 218, 20, 0},
      {IDC_MRU_LABEL, Kind::LeftText, L"&Keep items in the Recently Used list for:", 10, 58, 140, 10, 0},
      {IDC_MRU_DAYS, Kind::DropList, nullptr, 160, 56, 40, 100, 0},
      {IDC_MRU_DAYS_UNIT, Kind::LeftText, L"days", 206, 58, 20, 10, 0},
      {IDC_UPDATES_GROUP, Kind::GroupBox, L"Software updates", 4, 78, 232, 48, 0},
      {IDC_CHECK_UPDATES, Kind::CheckBox, L"&Check for updates every:", 10, 90, 125, 10, 0},
      {IDC_UPDATE_INTERVAL, Kind::DropList, nullptr, 160, 88, 40, 100, 0},
      {IDC_UPDATE_INTERVAL_UNIT, Kind::LeftText, L"days", 206, 90, 20, 10, 0},
      {IDC_LAST_CHECK, Kind::LeftText, L"", 10, 108, 146, 10, 0},
      {IDC_CHECK_NOW, Kind::PushButton, L"Check For Updates", 160, 105, 70, 14, 0},
      {IDC_ABOUT, Kind::PushButton, L"&About", 8, 132, 53, 14, 0},
      {IDOK, Kind::DefPushButton, L"OK", 120, 132, 53, 14, 0},
      {IDCANCEL, Kind::PushButton, L"Cancel", 180, 132, 53, 14, 0},
  }, {
      {IDC_LAST_CHECK, FormatText(IDS_LAST_CHECK, L"Wed Sep 10 09:30:15 2025\n")},
      {IDC_LAST_CHECK, FormatText(IDS_LAST_CHECK, LoadText(IDS_NEVER).c_str())},
  }};
}

DialogSpec AddServerSpec() {
  return {IDD_ADD_SERVER, L"Add a Server", 240, 164, true, true, {
      {IDC_ADD_SERVER_GROUP, Kind::GroupBox, L"Add a Server:", 4, 4, 232, 132, 0},
      {IDC_STATIC, Kind::LeftText,
       L"Enter the host name or IP address of the server. We will automatically determine the server type for "
       L"you.", 12, 19, 220, 20, 0},
      {IDC_STATIC, Kind::LeftText, L"&Server:", 12, 46, 65, 10, 0},
      {IDC_SERVER_EDIT, Kind::Edit, nullptr, 80, 44, 148, 12, kAutoScroll},
      {IDC_STATIC, Kind::LeftText, L"&Port (optional):", 12, 62, 65, 10, 0},
      {IDC_PORT_EDIT, Kind::Edit, nullptr, 80, 60, 50, 12, kNumber},
      {IDC_STATIC, Kind::LeftText, L"SSL:", 12, 78, 50, 10, 0},
      {IDC_SSL_CHECK, Kind::CheckBox, L"Use secure connection (&SSL)", 80, 78, 105, 10, 0},
      {IDC_CONNECT, Kind::DefPushButton, L"&Connect", 132, 94, 50, 14, kDisabled},
      {IDC_CONNECT_STATUS, Kind::CenterText, L"", 12, 112, 216, 20, kHidden},
      {IDC_USERNAME_LABEL, Kind::LeftText, L"&Username:", 12, 138, 50, 10, kHidden},
      {IDC_USERNAME_EDIT, Kind::Edit, nullptr, 80, 136, 149, 12, kHidden | kAutoScroll},
      {IDC_PASSWORD_LABEL, Kind::LeftText, L"Pass&word:", 12, 154, 50, 10, kHidden},
      {IDC_PASSWORD_EDIT, Kind::Edit, nullptr, 80, 152, 149, 12, kHidden | kPassword | kAutoScroll},
      {IDC_REMEMBER_CHECK, Kind::CheckBox, L"&Remember my credentials (insecure)", 12, 170, 130, 10, kHidden},
      {IDC_WHATS_THIS, Kind::LeftText, L"What's This?", 144, 170, 50, 10, kHidden},
      {IDC_LOGIN_MESSAGE, Kind::CenterText, L"", 12, 184, 216, 20, kHidden},
      {IDC_LOGIN, Kind::PushButton, L"&Login", 131, 146, 50, 14, kDisabled},
      {IDCANCEL, Kind::PushButton, L"Cancel", 186, 146, 50, 14, 0},
  }, {
      {IDC_CONNECT_STATUS, LoadText(IDS_CONNECTING)},
      {IDC_CONNECT_STATUS, LoadText(IDS_CONNECT_FAILED)},
      {IDC_CONNECT_STATUS, FormatText(IDS_SERVER_FOUND, L"castellan-01.lab.example.com")},
      {IDC_LOGIN_MESSAGE, LoadText(IDS_AUTHENTICATING)},
      {IDC_LOGIN_MESSAGE, LoadText(IDS_LOGIN_FAILED)},
      {IDC_LOGIN_MESSAGE, LoadText(IDS_LOGIN_UNLICENSED)},
      {IDC_LOGIN_MESSAGE, LoadText(IDS_LOGIN_BAD_CREDENTIALS)},
  }};
}

DialogSpec UpdateAvailableSpec() {
  return {IDD_UPDATE_AVAILABLE, L"Update Available", 180, 68, false, true, {
      {IDC_STATIC, Kind::LeftText,
       L"An update is available for Zandor Wickerlyn.\nClick Download for more information.", 8, 6, 188, 20, 0},
      {IDC_DONT_CHECK_UPDATES, Kind::CheckBox, L"Do not check for updates", 8, 32, 100, 10, 0},
      {IDC_DOWNLOAD, Kind::DefPushButton, L"Download", 66, 49, 50, 14, 0},
      {IDCANCEL, Kind::PushButton, L"Close", 123, 49, 50, 14, 0},
  }};
}

DialogSpec HintSpec() {
  return {IDD_HINT, L"Zandor Wickerlyn", 250, 81, false, false, {
      {IDC_HINT_TEXT, Kind::LeftText, L"", 12, 12, 226, 30, 0},
      {IDC_DONT_SHOW_AGAIN, Kind::CheckBox, L"&Do not show this hint again", 8, 48, 100, 10, 0},
      {IDOK, Kind::DefPushButton, L"OK", 195, 62, 50, 14, 0},
  }, {
      {IDC_HINT_TEXT, LoadText(IDS_OLD_CONSOLE_HINT)},
  }};
}

}  // namespace

TEST(DialogTemplates, ModuleHoldsExactlyTheNamedDialogs) {
  std::vector<int> named, present = ResourceNames(RT_DIALOG);
  for (const ResourceId& d : kDialogIds) named.push_back(d.id);
  std::sort(named.begin(), named.end());
  std::sort(present.begin(), present.end());
  EXPECT_EQ(present, named);
  EXPECT_EQ(named, (std::vector<int>{106, 131, 200, 210}));
}

TEST(DialogTemplates, Preferences) { ExpectDialogMatches(PreferencesSpec()); }
TEST(DialogTemplates, AddServer) { ExpectDialogMatches(AddServerSpec()); }
TEST(DialogTemplates, UpdateAvailable) { ExpectDialogMatches(UpdateAvailableSpec()); }
TEST(DialogTemplates, Hint) { ExpectDialogMatches(HintSpec()); }

TEST(DialogTemplates, LabelsFitTheirControls) {
  for (const DialogSpec& spec : {PreferencesSpec(), AddServerSpec(), UpdateAvailableSpec(), HintSpec()})
    ExpectLabelsFit(spec);
}
