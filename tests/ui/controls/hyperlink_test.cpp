// The link control that works as a command button: clicks and keys, a static taken over,
// its label, font, tooltip and colours.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "tests/support/PopupTestSupport.h"
#include "ui/controls/HyperLink.h"

using popuptest::CountColour;
using popuptest::PlaceCursor;
using popuptest::PumpFor;
using ui::CHyperLink;

namespace {

constexpr UINT kLinkId = 42;
const COLORREF kBlue = RGB(0, 0, 255), kRed = RGB(255, 0, 0), kGreen = RGB(0, 128, 0);

// A command link in a parent that paints statics white (as a dialog) and records commands.
struct LinkBox {
  popuptest::Parent host;
  CHyperLink link;
  HWND hwnd = nullptr;

  explicit LinkBox(DWORD style = 0, const wchar_t* label = L"Add a server") {
    host.staticBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    host.CreateParent(320, 160);
    link.SetLabel(label);
    hwnd = link.CreateLink(host.Hwnd(), RECT{10, 10, 210, 40}, WS_CHILD | WS_VISIBLE | WS_TABSTOP | style, kLinkId);
    UpdateWindow(hwnd);
    host.Clear();
  }
  LPARAM At(bool onLabel) const {
    const RECT r = link.GetLabelRect();
    return onLabel ? MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2) : MAKELPARAM(r.right + 5, r.bottom + 5);
  }
  std::vector<uint8_t> Painted() {
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    return popuptest::ClientPixels(hwnd);
  }
  int Pixels(COLORREF color) { return CountColour(Painted(), color); }
  // The command sent, as the parent heard it: one with the link's id, code 0 and window.
  void ExpectCommands(int count) {
    ASSERT_EQ(host.Count(WM_COMMAND), count);
    if (count) {
      EXPECT_EQ(host.Last(WM_COMMAND)->wParam, MAKEWPARAM(kLinkId, 0));
      EXPECT_EQ(host.Last(WM_COMMAND)->lParam, reinterpret_cast<LPARAM>(hwnd));
    }
  }
};

// Sets (or, with no data, removes) one of the browser's link colours, which the test prefix
// does not have, and removes it after.
class AnchorColor {
 public:
  AnchorColor(const wchar_t* name, DWORD type, const void* data, DWORD size) : mName(name) {
    RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Internet Explorer\\Settings", 0, nullptr, 0,
                    KEY_ALL_ACCESS, nullptr, &mKey, nullptr);
    if (data) RegSetValueExW(mKey, name, 0, type, static_cast<const BYTE*>(data), size);
    else RegDeleteValueW(mKey, name);
  }
  explicit AnchorColor(const wchar_t* value, const wchar_t* name = L"Anchor Color")
      : AnchorColor(name, REG_SZ, value, static_cast<DWORD>((wcslen(value) + 1) * sizeof(wchar_t))) {}
  ~AnchorColor() {
    RegDeleteValueW(mKey, mName);
    RegCloseKey(mKey);
  }

 private:
  const wchar_t* mName;
  HKEY mKey = nullptr;
};

int ThreadToolTips() {
  int count = 0;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND hwnd, LPARAM counter) -> BOOL {
        wchar_t name[64] = {};
        GetClassNameW(hwnd, name, 64);
        if (lstrcmpiW(name, L"tooltips_class32") == 0) ++*reinterpret_cast<int*>(counter);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&count));
  return count;
}

}  // namespace

// Only a press and a release both on the label make a click, or Enter or Space with the focus.
TEST(HyperLinkInput, APressAndAReleaseOnTheLabelOrEnterOrSpaceWithTheFocusSendOneCommand) {
  const struct {
    const char* what;
    int down;  // -1 no press, 0 beside the label, 1 on it
    bool upOnLabel;
    int commands;
  } rows[] = {{"press and release on the label", 1, true, 1},
              {"released beside it", 1, false, 0},
              {"a release without a press", -1, true, 0},
              {"pressed beside it", 0, true, 0}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    LinkBox box;
    if (row.down >= 0) SendMessageW(box.hwnd, WM_LBUTTONDOWN, MK_LBUTTON, box.At(row.down == 1));
    if (row.down == 1) {
      EXPECT_EQ(GetCapture(), box.hwnd);
    }
    box.ExpectCommands(0);  // nothing until the button comes up
    SendMessageW(box.hwnd, WM_LBUTTONUP, 0, box.At(row.upOnLabel));
    PumpFor(0);
    box.ExpectCommands(row.commands);
    EXPECT_NE(GetCapture(), box.hwnd);
  }

  // Enter and Space send the command only with the focus; the hand shows only over the label.
  LinkBox box;
  SetFocus(box.host.Hwnd());
  SendMessageW(box.hwnd, WM_CHAR, VK_RETURN, 1);
  box.ExpectCommands(0);
  SetFocus(box.hwnd);
  SendMessageW(box.hwnd, WM_CHAR, VK_RETURN, 1);
  SendMessageW(box.hwnd, WM_CHAR, VK_SPACE, 1);
  SendMessageW(box.hwnd, WM_CHAR, L'a', 1);
  box.ExpectCommands(2);
  EXPECT_EQ(SendMessageW(box.hwnd, WM_GETDLGCODE, 0, 0), DLGC_WANTCHARS);

  const HCURSOR hand = LoadCursorW(nullptr, IDC_HAND);
  for (bool onLabel : {true, false}) {
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    const LPARAM at = box.At(onLabel);
    POINT screen = {static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))};
    ClientToScreen(box.hwnd, &screen);
    ASSERT_TRUE(PlaceCursor(screen));
    const LRESULT set =
        SendMessageW(box.hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(box.hwnd), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    if (onLabel) {
      EXPECT_EQ(set, TRUE);
    }
    EXPECT_EQ(GetCursor() == hand, onLabel) << "on the label: " << onLabel;
  }
}

// A static of a dialog taken over: its text is the label, it answers clicks with the link's
// command only, and it outlives the object (working on as a static: WindowImpl).
TEST(HyperLinkStatic, ATakenOverStaticClicksOnceAndIsGivenBackWorking) {
  popuptest::Parent host;
  host.CreateParent(320, 160);
  HWND stat = CreateWindowExW(0, L"static", L"Manage servers", WS_CHILD | WS_VISIBLE, 10, 50, 200, 20, host.Hwnd(),
                              reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kLinkId)), nullptr, nullptr);
  ASSERT_NE(stat, nullptr);
  {
    CHyperLink link;
    ASSERT_TRUE(link.SubclassWindow(stat));
    EXPECT_EQ(link.GetLabel(), L"Manage servers");
    EXPECT_TRUE(GetWindowLongPtrW(stat, GWL_STYLE) & SS_NOTIFY);
    // A static with SS_NOTIFY answers the hit test, so real clicks reach it.
    POINT pt = {20, 55};
    ClientToScreen(host.Hwnd(), &pt);
    EXPECT_EQ(SendMessageW(stat, WM_NCHITTEST, 0, MAKELPARAM(pt.x, pt.y)), HTCLIENT);
    const RECT r = link.GetLabelRect();
    const LPARAM centre = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    SendMessageW(stat, WM_LBUTTONDOWN, MK_LBUTTON, centre);
    SendMessageW(stat, WM_LBUTTONUP, 0, centre);
    PumpFor(0);
    // Only the link's command: the static's own click notification never goes out.
    ASSERT_EQ(host.Count(WM_COMMAND), 1);
    EXPECT_EQ(host.Last(WM_COMMAND)->wParam, MAKEWPARAM(kLinkId, 0));
  }
  EXPECT_TRUE(IsWindow(stat)) << "the static is the dialog's, not the link's";
}

// A text set on the window becomes the label (the label as window text: LinkRow), and a
// long one wraps inside the control.
TEST(HyperLinkLabel, TheWindowTextIsTheLabelALongOneWrapsAndItsOwnFontAndToolTipGoWithIt) {
  LinkBox box;
  SetWindowTextW(box.hwnd, L"Rename");
  EXPECT_EQ(box.link.GetLabel(), L"Rename");

  LinkBox wrapped(0, L"Connect to every server that the administrator has listed");
  RECT client;
  GetClientRect(wrapped.hwnd, &client);
  const RECT label = wrapped.link.GetLabelRect();
  EXPECT_LE(label.right, client.right);
  HDC dc = GetDC(wrapped.hwnd);
  HGDIOBJ old = SelectObject(dc, wrapped.link.GetLinkFont());
  TEXTMETRICW tm;
  GetTextMetricsW(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(wrapped.hwnd, dc);
  EXPECT_GE(label.bottom - label.top, 2 * tm.tmHeight);

  // Its own underlined font is deleted when another is given; its tooltip is made once, when
  // the mouse first comes, and goes with the control.
  const int before = ThreadToolTips();
  {
    LinkBox box;
    HFONT own = box.link.GetLinkFont();
    ASSERT_NE(own, nullptr);
    LOGFONTW lf = {};
    ASSERT_NE(GetObjectW(own, sizeof(lf), &lf), 0);
    EXPECT_TRUE(lf.lfUnderline);
    HFONT given = static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
    box.link.SetLinkFont(given);
    EXPECT_EQ(box.link.GetLinkFont(), given);
    EXPECT_EQ(GetObjectType(own), 0u) << "deleted";
    EXPECT_NE(GetObjectType(given), 0u) << "not owned, still there";

    box.link.SetHyperLink(L"Opens the server list");
    box.link.SetToolTipDelay(100);
    EXPECT_EQ(ThreadToolTips(), before);
    SendMessageW(box.hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
    SendMessageW(box.hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(3, 2));
    EXPECT_EQ(ThreadToolTips(), before + 1);
  }
  EXPECT_EQ(ThreadToolTips(), before);
}

// The user's browser colour paints the link when it is well formed; a colour set by the
// program wins over it.
TEST(HyperLinkColors, TheBrowserColourWhenWellFormedElseBlueAndAClickedLinkKeepsIt) {
  const struct {
    const wchar_t* value;  // null: no value
    COLORREF expected;
  } rows[] = {{nullptr, kBlue},     {L"255,0,0", kRed}, {L"255,0", kBlue}, {L"256,0,0", kBlue}, {L"red", kBlue},
              {L"1,2,3,4", kBlue}, {L"-1,0,0", kBlue}, {L"", kBlue},      {L"12,,0", kBlue}};
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(row.value ? row.value : L"(none)")));
    AnchorColor color(L"Anchor Color", REG_SZ, row.value,
                      row.value ? static_cast<DWORD>((wcslen(row.value) + 1) * sizeof(wchar_t)) : 0);
    LinkBox box;
    EXPECT_EQ(box.link.GetLinkColor(), row.expected);
    EXPECT_GT(box.Pixels(row.expected), 20);
    if (!row.value) popuptest::SaveScreenshot(box.host.Hwnd(), "controls/hyperlink_default");
  }
  const DWORD notText = 0xFF;
  AnchorColor dword(L"Anchor Color", REG_DWORD, &notText, sizeof notText);
  EXPECT_GT(LinkBox().Pixels(kBlue), 20);

  // A clicked link keeps its colour, and the focus rectangle shows only with the focus.
  AnchorColor link(L"255,0,0"), visited(L"0,128,0", L"Anchor Color Visited");
  LinkBox box;
  SetFocus(box.host.Hwnd());
  const std::vector<uint8_t> unfocused = box.Painted();
  EXPECT_GT(CountColour(unfocused, kRed), 20);
  EXPECT_EQ(CountColour(unfocused, kBlue), 0);
  // A command, not a page: it has no visited look.
  SetFocus(box.hwnd);
  SendMessageW(box.hwnd, WM_CHAR, VK_SPACE, 1);
  const std::vector<uint8_t> focused = box.Painted();
  EXPECT_GT(CountColour(focused, kRed), 20);
  EXPECT_EQ(CountColour(focused, kGreen), 0);
  // The dotted rectangle inverts pixels around the label: black dots on white.
  EXPECT_GT(CountColour(focused, RGB(0, 0, 0)), CountColour(unfocused, RGB(0, 0, 0)));
  popuptest::SaveScreenshot(box.host.Hwnd(), "controls/hyperlink_clicked_focused");

  box.link.SetLinkColor(kGreen);
  EXPECT_GT(box.Pixels(kGreen), 20);
  EXPECT_EQ(box.Pixels(kRed), 0);
}
