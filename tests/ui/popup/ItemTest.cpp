// The row base, hover buttons and link rows on their own: focus, expansion, keys, clicks
// and what reaches the parent.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include <windows.h>
#include <commctrl.h>

#include "res/resource.h"
#include "tests/support/PopupTestSupport.h"
#include "ui/controls/HoverBtn.h"
#include "ui/popup/LinkItem.h"
#include "ui/popup/VMItem.h"
#include "ui/window/Messages.h"

using namespace popuptest;

namespace {

class RowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(parent.CreateParent());
    other = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE, 0, 150, 100, 20, parent.Hwnd(), nullptr, nullptr,
                            nullptr);
    row = std::make_unique<ui::VMItem>();
    ASSERT_TRUE(row->CreateRow(parent.Hwnd(), RECT{0, 0, 320, 64}));
    PumpFor(20);
    parent.Clear();
  }
  void TearDown() override {
    row.reset();
    parent.DestroyWindow();
  }
  void Key(UINT key) { PressKey(row->Hwnd(), key); }

  Parent parent;
  HWND other = nullptr;
  std::unique_ptr<ui::VMItem> row;
};

}  // namespace

// A click toggles the expansion and reports the focus each time; leaving the focus collapses
// the row, unless it goes to the row's own button, whose command gives the row the focus back.
TEST_F(RowTest, ClicksAndKeysToggleTheExpansionAndTheFocusLeavingTheRowCollapsesIt) {
  ClickAt(row->Hwnd(), POINT{40, 10});
  EXPECT_TRUE(row->IsExpanded());
  EXPECT_TRUE(row->IsSelected());
  EXPECT_EQ(GetFocus(), row->Hwnd());
  EXPECT_EQ(parent.Count(WM_ITEM_FOCUSED), 1) << "taking the focus reports it";
  ClickAt(row->Hwnd(), POINT{40, 10});
  EXPECT_FALSE(row->IsExpanded());
  EXPECT_TRUE(row->IsSelected());
  EXPECT_EQ(parent.Count(WM_ITEM_FOCUSED), 2) << "a click with the focus reports it again";
  EXPECT_EQ(parent.Last(WM_ITEM_FOCUSED)->lParam, reinterpret_cast<LPARAM>(row->Hwnd()));

  ClickAt(row->Hwnd(), POINT{40, 10});
  ASSERT_TRUE(row->IsExpanded());
  SetFocus(GetDlgItem(row->Hwnd(), IDC_VM_CONNECT));
  PumpFor(10);
  EXPECT_TRUE(row->IsExpanded());
  EXPECT_TRUE(row->IsSelected());
  EXPECT_EQ(parent.Count(WM_ITEM_UNFOCUSED), 0);
  ClickAt(GetDlgItem(row->Hwnd(), IDC_STAR), POINT{8, 8});
  EXPECT_EQ(GetFocus(), row->Hwnd());
  SetFocus(other);  // the search box, say
  PumpFor(10);
  EXPECT_FALSE(row->IsExpanded());
  EXPECT_FALSE(row->IsSelected());
  EXPECT_EQ(parent.Count(WM_ITEM_UNFOCUSED), 1);

  // Keys expand, collapse and navigate.
  parent.Clear();
  SetFocus(row->Hwnd());
  PumpFor(10);
  Key(VK_RIGHT);
  EXPECT_TRUE(row->IsExpanded());
  Key(VK_LEFT);
  EXPECT_FALSE(row->IsExpanded());
  EXPECT_EQ(parent.Count(WM_NAVIGATE_KEY), 0) << "Left on an expanded row only collapses it";
  Key(VK_LEFT);
  EXPECT_EQ(parent.Count(WM_NAVIGATE_KEY), 1) << "Left on a collapsed row moves on";
  Key(VK_RETURN);
  EXPECT_TRUE(row->IsExpanded());
  for (UINT key : {VK_ESCAPE, VK_PRIOR, VK_NEXT, VK_END, VK_HOME, VK_UP, VK_DOWN}) Key(key);
  EXPECT_EQ(parent.Count(WM_NAVIGATE_KEY), 8);
  EXPECT_EQ(parent.Last(WM_NAVIGATE_KEY)->wParam, static_cast<WPARAM>(VK_DOWN));
  SendMessageW(row->Hwnd(), WM_CHAR, L'w', 0);
  PumpFor(10);
  ASSERT_EQ(parent.Count(WM_CHAR), 1) << "typed characters go on to the list's type-ahead";
  EXPECT_EQ(parent.Last(WM_CHAR)->wParam, static_cast<WPARAM>(L'w'));
}

// The star, a hover button, pressed and then released elsewhere neither toggles nor tells the
// row (a completed click toggling it: VMRowTest).
TEST_F(RowTest, HoverStaysWhileTheCursorIsOnTheRowsButtonAndEndsWhenItLeaves) {
  POINT onRow = {40, 10};
  ClientToScreen(row->Hwnd(), &onRow);
  ASSERT_TRUE(PlaceCursor(onRow));
  SendMessageW(row->Hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(40, 10));
  EXPECT_TRUE(row->IsHovered());
  // Onto the star: the row gets a mouse-leave, but the cursor is still over its child.
  HWND star = GetDlgItem(row->Hwnd(), IDC_STAR);
  RECT rect;
  GetWindowRect(star, &rect);
  ASSERT_TRUE(PlaceCursor({rect.left + 8, rect.top + 8}));
  SendMessageW(row->Hwnd(), WM_MOUSELEAVE, 0, 0);
  PumpFor(250);
  EXPECT_TRUE(row->IsHovered());
  SendMessageW(star, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(8, 8));
  ASSERT_TRUE(PlaceCursor({600, 600}));
  SendMessageW(star, WM_LBUTTONUP, 0, MAKELPARAM(600 - rect.left, 600 - rect.top));
  EXPECT_TRUE(PumpUntil([&] { return !row->IsHovered(); }, 1000)) << "the 100 ms poll ends the hover";
  EXPECT_FALSE(static_cast<ui::HoverBtn*>(ui::WindowImpl::FromHandle(star))->IsToggled());
  EXPECT_FALSE(row->IsExpanded());
  EXPECT_NE(GetFocus(), row->Hwnd()) << "the star's command would give the row the focus";
}

// The rows of a window share one tooltip (each window the popup owns moves with it when it
// shows), and a row that goes takes its tools off it.
TEST(RowTips, TheRowsShareOneTooltipAndARowThatGoesTakesItsToolsOff) {
  Parent parent;
  ASSERT_TRUE(parent.CreateParent());
  auto first = std::make_unique<ui::VMItem>();
  ui::VMItem second;
  ASSERT_TRUE(first->CreateRow(parent.Hwnd(), RECT{0, 0, 320, 64}));
  ASSERT_TRUE(second.CreateRow(parent.Hwnd(), RECT{0, 64, 320, 128}));
  std::vector<HWND> tips;
  for (HWND h = nullptr; (h = FindWindowExW(nullptr, h, TOOLTIPS_CLASSW, nullptr)) != nullptr;) {
    if (GetWindow(h, GW_OWNER) == parent.Hwnd()) tips.push_back(h);
  }
  ASSERT_EQ(tips.size(), 1u);
  const auto toolsOf = [&](HWND row) {  // the windows of the tools on row or its children
    std::vector<HWND> tools;
    TOOLINFOW info = {sizeof info};
    for (UINT i = 0; SendMessageW(tips[0], TTM_ENUMTOOLSW, i, reinterpret_cast<LPARAM>(&info)); ++i) {
      if (info.hwnd == row || IsChild(row, info.hwnd)) tools.push_back(info.hwnd);
      info.lpszText = nullptr;
    }
    return tools;
  };
  const std::vector<HWND> gone = toolsOf(first->Hwnd());
  EXPECT_EQ(gone.size(), 8u) << "seven power buttons and the mark";
  first.reset();
  TOOLINFOW info = {sizeof info};
  for (UINT i = 0; SendMessageW(tips[0], TTM_ENUMTOOLSW, i, reinterpret_cast<LPARAM>(&info)); ++i) {
    EXPECT_EQ(std::count(gone.begin(), gone.end(), info.hwnd), 0) << "a tool of the row that went";
    info.lpszText = nullptr;
  }
  EXPECT_EQ(toolsOf(second.Hwnd()).size(), 8u);
}

TEST(LinkRow, AClickOnTheTextPostsOneLinkClickedAndTheRowNeverTakesPart) {
  Parent parent;
  ASSERT_TRUE(parent.CreateParent());
  ui::LinkItem link(L"Add a Server...", true);
  ASSERT_TRUE(link.CreateRow(parent.Hwnd(), RECT{0, 0, 320, 35}));
  PumpFor(20);
  EXPECT_EQ(TextOf(link.Hwnd()), L"Add a Server...");
  HWND text = GetDlgItem(link.Hwnd(), IDC_LINK);
  ASSERT_TRUE(IsShown(text));
  EXPECT_EQ(TextOf(text), L"Add a Server...");

  ClickAt(link.Hwnd(), POINT{3, 17});  // beside the centred text
  EXPECT_EQ(parent.Count(WM_LINK_CLICKED), 0);
  RECT label = link.Link().GetLabelRect();
  POINT middle = {(label.left + label.right) / 2, (label.top + label.bottom) / 2};
  ClickAt(text, middle);
  ASSERT_EQ(parent.Count(WM_LINK_CLICKED), 1);
  EXPECT_EQ(parent.Last(WM_LINK_CLICKED)->lParam, reinterpret_cast<LPARAM>(link.Hwnd()));
  EXPECT_EQ(parent.Last(WM_LINK_CLICKED)->wParam, link.Binding());
  EXPECT_EQ(link.Link().GetLinkColor(), RGB(0, 102, 204));
  EXPECT_FALSE(link.IsSelected());
  EXPECT_EQ(parent.Count(WM_ITEM_FOCUSED) + parent.Count(WM_ITEM_UNFOCUSED), 0);

  // A recycled row with a label too long for it keeps to one line (it ends in "...")
  // and its window text stays whole for a screen reader.
  const std::wstring longLabel = L"Show Accounting-Reporting-Server-Primary - Accounting-Reporting-Server-Secondary (60 VMs)";
  const LONG oneLine = label.bottom - label.top;
  link.SetText(longLabel);
  PumpFor(20);
  label = link.Link().GetLabelRect();
  RECT client;
  GetClientRect(text, &client);
  EXPECT_EQ(label.bottom - label.top, oneLine) << "no second line the row has no room for";
  EXPECT_LE(label.right, client.right);
  EXPECT_EQ(TextOf(text), longLabel);
  EXPECT_EQ(TextOf(link.Hwnd()), longLabel);
  popuptest::SaveScreenshot(parent.Hwnd(), "rows/link-ellipsis");
  parent.DestroyWindow();
}
