#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support/CursorPlacement.h"
#include "ui/controls/HyperLink.h"

// Defined in hint_edit_test.cpp: the two files make one test program.
namespace controls_test {
struct Shot {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> bgra;
};
Shot Capture(HWND hwnd);
int CountColor(const Shot& shot, COLORREF color);
void SaveBmp(const Shot& shot, const wchar_t* name);
void PumpPending();
}  // namespace controls_test

using controls_test::Capture;
using controls_test::CountColor;
using controls_test::PumpPending;
using ui::CHyperLink;

namespace {

constexpr UINT kLinkId = 42;
const COLORREF kBlue = RGB(0, 0, 255);
const COLORREF kRed = RGB(255, 0, 0);
const COLORREF kGreen = RGB(0, 128, 0);
const wchar_t kSettingsKey[] = L"Software\\Microsoft\\Internet Explorer\\Settings";

// A dialog-like parent: white background for statics, records every command.
class LinkHost : public ui::WindowImpl {
 public:
  struct Command {
    WORD id;
    WORD code;
    HWND from;
  };
  std::vector<Command> commands;

  LinkHost() : mWhite(CreateSolidBrush(RGB(255, 255, 255))) {
    RECT rc = {80, 80, 400, 240};
    HWND hwnd = Create(nullptr, L"link host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, rc);
    UpdateWindow(hwnd);
  }
  ~LinkHost() override {
    DestroyWindow();
    DeleteObject(mWhite);
  }

 protected:
  const wchar_t* ClassName() const override { return L"ZwTest Link Host"; }
  ZW_BEGIN_MSG_MAP()
    ZW_MESSAGE_HANDLER(WM_COMMAND, OnCommand)
    ZW_MESSAGE_HANDLER(WM_CTLCOLORSTATIC, OnColorStatic)
  ZW_END_MSG_MAP()

  LRESULT OnCommand(UINT, WPARAM w, LPARAM l, BOOL&) {
    commands.push_back({LOWORD(w), HIWORD(w), reinterpret_cast<HWND>(l)});
    return 0;
  }
  LRESULT OnColorStatic(UINT, WPARAM, LPARAM, BOOL&) { return reinterpret_cast<LRESULT>(mWhite); }

 private:
  HBRUSH mWhite;
};

// Sets or removes the browser colour values for one test and puts the old ones back.
class AnchorColors {
 public:
  AnchorColors() {
    mKeyExisted = RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &mKey) == ERROR_SUCCESS;
    if (mKeyExisted) RegCloseKey(mKey);
    RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &mKey,
                    nullptr);
    for (Saved& s : mSaved) {
      DWORD size = sizeof(s.data);
      s.present = RegQueryValueExW(mKey, s.name, nullptr, &s.type, s.data, &size) == ERROR_SUCCESS;
      s.size = size;
    }
    Remove(L"Anchor Color");
    Remove(L"Anchor Color Visited");
  }
  ~AnchorColors() {
    for (Saved& s : mSaved) {
      if (s.present) {
        RegSetValueExW(mKey, s.name, 0, s.type, s.data, s.size);
      } else {
        RegDeleteValueW(mKey, s.name);
      }
    }
    RegCloseKey(mKey);
    if (!mKeyExisted) RegDeleteKeyW(HKEY_CURRENT_USER, kSettingsKey);
  }
  void Set(const wchar_t* name, const wchar_t* value) {
    RegSetValueExW(mKey, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                   static_cast<DWORD>((wcslen(value) + 1) * sizeof(wchar_t)));
  }
  void SetDword(const wchar_t* name, DWORD value) {
    RegSetValueExW(mKey, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
  }
  void Remove(const wchar_t* name) { RegDeleteValueW(mKey, name); }

 private:
  struct Saved {
    const wchar_t* name;
    bool present = false;
    DWORD type = 0;
    DWORD size = 0;
    BYTE data[256] = {};
  };
  HKEY mKey = nullptr;
  bool mKeyExisted = false;
  Saved mSaved[2] = {{L"Anchor Color"}, {L"Anchor Color Visited"}};
};

// A command-button link in a visible parent.
struct LinkBox {
  LinkHost host;
  CHyperLink link;
  HWND hwnd = nullptr;

  explicit LinkBox(DWORD style = 0, const wchar_t* label = L"Add a server") {
    link.SetLabel(label);
    RECT rc = {10, 10, 210, 40};
    hwnd = link.CreateLink(host.Hwnd(), rc, WS_CHILD | WS_VISIBLE | WS_TABSTOP | style, kLinkId);
    UpdateWindow(hwnd);
  }
  LPARAM LabelCentre() const {
    RECT r = link.GetLabelRect();
    return MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  }
  LPARAM OutsideLabel() const {
    RECT r = link.GetLabelRect();
    return MAKELPARAM(r.right + 5, r.bottom + 5);
  }
  controls_test::Shot Painted() {
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    return Capture(hwnd);
  }
  int Pixels(COLORREF color) { return CountColor(Painted(), color); }
};

std::wstring WindowText(HWND hwnd) {
  wchar_t buffer[256] = {};
  GetWindowTextW(hwnd, buffer, 256);
  return buffer;
}

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

// --- Mouse and keyboard -------------------------------------------------------------------

TEST(HyperLinkInput, ClickOnTheLabelSendsExactlyOneCommand) {
  LinkBox box;
  SendMessageW(box.hwnd, WM_LBUTTONDOWN, MK_LBUTTON, box.LabelCentre());
  EXPECT_EQ(GetCapture(), box.hwnd);
  EXPECT_TRUE(box.host.commands.empty());  // nothing until the button comes up
  SendMessageW(box.hwnd, WM_LBUTTONUP, 0, box.LabelCentre());
  PumpPending();
  ASSERT_EQ(box.host.commands.size(), 1u);
  EXPECT_EQ(box.host.commands[0].id, kLinkId);
  EXPECT_EQ(box.host.commands[0].code, 0);
  EXPECT_EQ(box.host.commands[0].from, box.hwnd);
  EXPECT_NE(GetCapture(), box.hwnd);
}

TEST(HyperLinkInput, PressOnTheLabelReleaseOutsideSendsNothing) {
  LinkBox box;
  SendMessageW(box.hwnd, WM_LBUTTONDOWN, MK_LBUTTON, box.LabelCentre());
  SendMessageW(box.hwnd, WM_LBUTTONUP, 0, box.OutsideLabel());
  PumpPending();
  EXPECT_TRUE(box.host.commands.empty());
  EXPECT_NE(GetCapture(), box.hwnd);
}

TEST(HyperLinkInput, ReleaseWithoutAPressOrAPressOutsideSendsNothing) {
  LinkBox box;
  SendMessageW(box.hwnd, WM_LBUTTONUP, 0, box.LabelCentre());
  SendMessageW(box.hwnd, WM_LBUTTONDOWN, MK_LBUTTON, box.OutsideLabel());
  SendMessageW(box.hwnd, WM_LBUTTONUP, 0, box.LabelCentre());
  PumpPending();
  EXPECT_TRUE(box.host.commands.empty());
}

TEST(HyperLinkInput, EnterAndSpaceWhileFocusedSendTheCommand) {
  LinkBox box;
  SetFocus(box.hwnd);
  SendMessageW(box.hwnd, WM_CHAR, VK_RETURN, 1);
  SendMessageW(box.hwnd, WM_CHAR, VK_SPACE, 1);
  ASSERT_EQ(box.host.commands.size(), 2u);
  for (const auto& c : box.host.commands) {
    EXPECT_EQ(c.id, kLinkId);
    EXPECT_EQ(c.code, 0);
  }
  SendMessageW(box.hwnd, WM_CHAR, L'a', 1);
  EXPECT_EQ(box.host.commands.size(), 2u);
  EXPECT_EQ(SendMessageW(box.hwnd, WM_GETDLGCODE, 0, 0), DLGC_WANTCHARS);
}

TEST(HyperLinkInput, KeysWithoutTheFocusSendNothing) {
  LinkBox box;
  SetFocus(box.host.Hwnd());
  SendMessageW(box.hwnd, WM_CHAR, VK_RETURN, 1);
  EXPECT_TRUE(box.host.commands.empty());
}

TEST(HyperLinkInput, HandCursorOnlyOverTheLabel) {
  LinkBox box;
  HCURSOR hand = LoadCursorW(nullptr, IDC_HAND);
  RECT label = box.link.GetLabelRect();
  POINT inside = {(label.left + label.right) / 2, (label.top + label.bottom) / 2};
  ClientToScreen(box.hwnd, &inside);
  ASSERT_TRUE(cursor::PlaceCursor(inside));
  EXPECT_EQ(SendMessageW(box.hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(box.hwnd),
                         MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
            TRUE);
  EXPECT_EQ(GetCursor(), hand);

  SetCursor(LoadCursorW(nullptr, IDC_ARROW));
  POINT outside = {label.right + 5, label.bottom + 5};
  ClientToScreen(box.hwnd, &outside);
  ASSERT_TRUE(cursor::PlaceCursor(outside));
  SendMessageW(box.hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(box.hwnd),
               MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  EXPECT_NE(GetCursor(), hand);
}

// --- Taking over a static -----------------------------------------------------------------

TEST(HyperLinkStatic, SubclassedStaticTakesTheWindowTextAsLabelAndClicksOnce) {
  LinkHost host;
  HWND stat = CreateWindowExW(0, L"static", L"Manage servers", WS_CHILD | WS_VISIBLE, 10, 50, 200, 20,
                              host.Hwnd(), reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kLinkId)),
                              nullptr, nullptr);
  ASSERT_NE(stat, nullptr);
  CHyperLink link;
  ASSERT_TRUE(link.SubclassWindow(stat));
  EXPECT_EQ(link.Hwnd(), stat);
  EXPECT_EQ(link.GetLabel(), L"Manage servers");
  EXPECT_TRUE(GetWindowLongPtrW(stat, GWL_STYLE) & SS_NOTIFY);
  // A static with SS_NOTIFY answers the hit test, so real clicks reach it.
  POINT pt = {20, 55};
  ClientToScreen(host.Hwnd(), &pt);
  EXPECT_EQ(SendMessageW(stat, WM_NCHITTEST, 0, MAKELPARAM(pt.x, pt.y)), HTCLIENT);

  RECT r = link.GetLabelRect();
  const LPARAM centre = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  SendMessageW(stat, WM_LBUTTONDOWN, MK_LBUTTON, centre);
  SendMessageW(stat, WM_LBUTTONUP, 0, centre);
  PumpPending();
  // Only the link's command: the static's own click notification never goes out.
  ASSERT_EQ(host.commands.size(), 1u);
  EXPECT_EQ(host.commands[0].id, kLinkId);
  EXPECT_EQ(host.commands[0].code, 0);
}

TEST(HyperLinkStatic, ImageStylesAreLeftToTheStatic) {
  LinkHost host;
  HWND stat = CreateWindowExW(0, L"static", L"", WS_CHILD | WS_VISIBLE | SS_BLACKRECT, 10, 50, 60, 20,
                              host.Hwnd(), nullptr, nullptr, nullptr);
  CHyperLink link;
  ASSERT_TRUE(link.SubclassWindow(stat));
  RedrawWindow(stat, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  controls_test::Shot shot = Capture(stat);
  // The static still paints its solid rectangle; no label is drawn over it.
  ASSERT_FALSE(shot.bgra.empty());
  const COLORREF fill = RGB((shot.bgra[0] >> 16) & 0xFF, (shot.bgra[0] >> 8) & 0xFF, shot.bgra[0] & 0xFF);
  EXPECT_EQ(CountColor(shot, fill), shot.width * shot.height);
  EXPECT_NE(fill, RGB(255, 255, 255));
  EXPECT_EQ(CountColor(shot, kBlue), 0);
  EXPECT_EQ(link.GetLinkFont(), nullptr);
}

TEST(HyperLinkStatic, ObjectGoneLeavesAWorkingStatic) {
  LinkHost host;
  HWND stat = CreateWindowExW(0, L"static", L"Help", WS_CHILD | WS_VISIBLE, 10, 50, 100, 20,
                              host.Hwnd(), nullptr, nullptr, nullptr);
  {
    CHyperLink link;
    ASSERT_TRUE(link.SubclassWindow(stat));
  }
  ASSERT_TRUE(IsWindow(stat));
  SetWindowTextW(stat, L"Help me");
  UpdateWindow(stat);
  SendMessageW(stat, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageW(stat, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(WindowText(stat), L"Help me");
}

// --- Label --------------------------------------------------------------------------------

TEST(HyperLinkLabel, WindowTextFollowsTheLabel) {
  LinkBox box;
  EXPECT_EQ(WindowText(box.hwnd), L"Add a server");
  box.link.SetLabel(L"Remove");
  EXPECT_EQ(WindowText(box.hwnd), L"Remove");
  EXPECT_EQ(box.link.GetLabel(), L"Remove");
  // Text set from outside names the label as well.
  SetWindowTextW(box.hwnd, L"Rename");
  EXPECT_EQ(box.link.GetLabel(), L"Rename");
}

TEST(HyperLinkLabel, LabelRectFollowsTheAlignmentStyle) {
  LinkBox left(SS_LEFT);
  LinkBox centre(SS_CENTER);
  LinkBox right(SS_RIGHT);
  RECT client;
  GetClientRect(centre.hwnd, &client);

  const RECT l = left.link.GetLabelRect();
  const RECT c = centre.link.GetLabelRect();
  const RECT r = right.link.GetLabelRect();
  ASSERT_GT(c.right - c.left, 0);
  ASSERT_LT(c.right - c.left, client.right);
  EXPECT_EQ(l.left, 0);
  EXPECT_LE(std::abs(c.left - (client.right - c.right)), 1);
  EXPECT_EQ(r.right, client.right);
  EXPECT_EQ(c.right - c.left, l.right - l.left);
  EXPECT_EQ(r.right - r.left, l.right - l.left);
}

TEST(HyperLinkLabel, LongLabelWrapsWithinTheControl) {
  LinkBox box(0, L"Connect to every server that the administrator has listed");
  RECT client;
  GetClientRect(box.hwnd, &client);
  const RECT label = box.link.GetLabelRect();
  EXPECT_LE(label.right, client.right);
  HDC dc = GetDC(box.hwnd);
  HGDIOBJ old = SelectObject(dc, box.link.GetLinkFont());
  TEXTMETRICW tm;
  GetTextMetricsW(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(box.hwnd, dc);
  EXPECT_GE(label.bottom - label.top, 2 * tm.tmHeight);
}

// --- Fonts and tooltip --------------------------------------------------------------------

TEST(HyperLinkFont, OwnUnderlinedFontIsReplacedAndDeleted) {
  LinkBox box;
  HFONT own = box.link.GetLinkFont();
  ASSERT_NE(own, nullptr);
  LOGFONTW lf = {};
  ASSERT_NE(GetObjectW(own, sizeof(lf), &lf), 0);
  EXPECT_TRUE(lf.lfUnderline);

  HFONT given = static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
  box.link.SetLinkFont(given);
  EXPECT_EQ(box.link.GetLinkFont(), given);
  EXPECT_EQ(GetObjectType(own), 0u);  // deleted
  EXPECT_NE(GetObjectType(given), 0u);  // not owned, still there
}

TEST(HyperLinkFont, ToolTipGoesWithTheControl) {
  const int before = ThreadToolTips();
  {
    LinkBox box;
    box.link.SetHyperLink(L"Opens the server list");
    box.link.SetToolTipDelay(100);
    EXPECT_EQ(ThreadToolTips(), before) << "made when the mouse first comes";
    SendMessageW(box.link.Hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
    EXPECT_EQ(ThreadToolTips(), before + 1);
    SendMessageW(box.link.Hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(3, 2));
    EXPECT_EQ(ThreadToolTips(), before + 1) << "once";
  }
  EXPECT_EQ(ThreadToolTips(), before);
}

// --- Colours ------------------------------------------------------------------------------

TEST(HyperLinkColors, NoRegistryValuePaintsTheDefaultBlue) {
  AnchorColors colors;
  LinkBox box;
  EXPECT_EQ(box.link.GetLinkColor(), kBlue);
  EXPECT_GT(box.Pixels(kBlue), 20);
  controls_test::SaveBmp(Capture(box.hwnd), L"hyperlink_default");
}

TEST(HyperLinkColors, RegistryAnchorColorPaintsTheLinkAlsoAfterAClick) {
  AnchorColors colors;
  colors.Set(L"Anchor Color", L"255,0,0");
  colors.Set(L"Anchor Color Visited", L"0,128,0");
  LinkBox box;
  EXPECT_GT(box.Pixels(kRed), 20);
  EXPECT_EQ(box.Pixels(kBlue), 0);

  // A command, not a page: it has no visited look.
  SetFocus(box.hwnd);
  SendMessageW(box.hwnd, WM_CHAR, VK_SPACE, 1);
  EXPECT_GT(box.Pixels(kRed), 20);
  EXPECT_EQ(box.Pixels(kGreen), 0);
  controls_test::SaveBmp(Capture(box.hwnd), L"hyperlink_clicked_focused");
}

TEST(HyperLinkColors, MalformedValuesKeepTheDefaults) {
  const wchar_t* bad[] = {L"255,0", L"256,0,0", L"red", L"1,2,3,4", L"-1,0,0", L"", L"12,,0"};
  for (const wchar_t* value : bad) {
    AnchorColors colors;
    colors.Set(L"Anchor Color", value);
    LinkBox box;
    EXPECT_EQ(box.link.GetLinkColor(), kBlue) << testing::PrintToString(std::wstring(value));
  }
  AnchorColors colors;
  colors.SetDword(L"Anchor Color", 0xFF);  // not text
  LinkBox box;
  EXPECT_GT(box.Pixels(kBlue), 20);
}

TEST(HyperLinkColors, ColorsSetAfterCreationWinOverTheRegistry) {
  AnchorColors colors;
  colors.Set(L"Anchor Color", L"255,0,0");
  LinkBox box;
  box.link.SetLinkColor(kGreen);
  EXPECT_GT(box.Pixels(kGreen), 20);
  EXPECT_EQ(box.Pixels(kRed), 0);
}

TEST(HyperLinkColors, FocusRectangleOnlyWhileFocused) {
  LinkBox box;
  SetFocus(box.host.Hwnd());
  const controls_test::Shot unfocused = box.Painted();
  SetFocus(box.hwnd);
  const controls_test::Shot focused = box.Painted();
  // The dotted rectangle inverts pixels around the label: black dots on white.
  EXPECT_GT(CountColor(focused, RGB(0, 0, 0)), CountColor(unfocused, RGB(0, 0, 0)));
}
