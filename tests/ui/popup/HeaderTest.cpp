// Section headers against the simulator: the state table, packing of the buttons, Login,
// Remove, collapse, keys, and the Favorites header.
#include <gtest/gtest.h>

#include <memory>

#include "backend/Favorites.h"
#include "backend/LoginErrorText.h"
#include "res/resource.h"
#include "services/StringResource.h"
#include "tests/support/ServerTestSupport.h"
#include "tests/support/PopupTestSupport.h"
#include "ui/popup/Header.h"
#include "ui/popup/PopupParts.h"
#include "ui/window/Display.h"
#include "ui/window/LayoutMetrics.h"
#include "ui/window/Messages.h"

using namespace popuptest;

namespace {

// As wide as the popup at this DPI.
const int kWidth = utils::LayoutMetricsFor(utils::GetDpiScale()).popupWidth;

class HeaderTest : public ServerTest {
 protected:
  void SetUp() override {
    ServerTest::SetUp();
    ASSERT_TRUE(parent.CreateParent(kWidth, 200));
  }
  void TearDown() override {
    header.reset();
    parent.DestroyWindow();
    ServerTest::TearDown();
  }
  ui::Header& ServerHeader(const VMCollectionPtr& server) {
    header = std::make_unique<ui::Header>(L"127.0.0.1", server, true, true, true,
                                          utils::LoadStringResource(IDS_SEARCHING_INVENTORY));
    EXPECT_TRUE(header->CreateHeader(parent.Hwnd(), RECT{0, 0, kWidth, 80}));
    PumpFor(20);
    parent.Clear();
    return *header;
  }
  HWND Login() const { return GetDlgItem(header->Hwnd(), IDC_LOGIN); }
  HWND Remove() const { return GetDlgItem(header->Hwnd(), IDC_REMOVE); }
  HWND Refresh() const { return GetDlgItem(header->Hwnd(), IDC_REFRESH); }
  void Key(UINT key) { PressKey(header->Hwnd(), key); }
  bool PumpUntilState(const VMCollectionPtr& server, int state) {
    return PumpUntil([&] { return server->GetState() == state && header->GetStatusText() == Expected(server); });
  }
  static std::wstring Expected(const VMCollectionPtr& server) {
    switch (server->GetState()) {
      case VMCollection::STATE_LOGGED_OFF: return utils::LoadStringResource(IDS_NOT_LOGGED_IN);
      case VMCollection::STATE_LOGIN_FAILED: return utils::LoginErrorText(server->GetLastError(), utils::LoginErrorContext::kRow);
      default: return L"";
    }
  }

  Parent parent;
  std::unique_ptr<ui::Header> header;
};

}  // namespace

TEST_F(HeaderTest, AServerHeaderFollowsTheLoginAndPacksItsButtonsToTheRight) {
  OlvarkServerPtr server = NewServer(kUser, kPassword);
  ui::Header& h = ServerHeader(server);
  const int M = utils::MARGIN, collapseX = kWidth - 16 - M;
  EXPECT_EQ(TextOf(h.Hwnd()), L"127.0.0.1");

  // Logged off: the status, Login and Remove; Refresh takes no place.
  EXPECT_TRUE(h.IsStatusShown());
  EXPECT_EQ(h.GetStatusText(), utils::LoadStringResource(IDS_NOT_LOGGED_IN));
  EXPECT_EQ(h.GetHeight(), 2 * h.LineHeight());
  EXPECT_TRUE(IsShown(Login()));
  EXPECT_FALSE(IsShown(Refresh()));
  ASSERT_TRUE(IsShown(Remove()));
  EXPECT_EQ(ChildRect(Remove()).left, collapseX - 20);
  EXPECT_EQ(h.GetTitleRect().right, collapseX - 20 - M);
  SaveScreenshot(parent.Hwnd(), "rows/header-logged-off");

  // Enter clicks Login; with saved credentials no prompt comes. The server answers slowly,
  // so that each state stays long enough for the header to show it.
  ASSERT_TRUE(sim.Admin("latency", R"({"ms":250})"));
  SetFocus(h.Hwnd());
  Key(VK_RETURN);
  ASSERT_TRUE(PumpUntil([&] { return h.GetStatusText() == utils::LoadStringResource(IDS_LOGGING_IN); }));
  EXPECT_FALSE(IsShown(Login()));
  EXPECT_FALSE(IsShown(Remove()));
  ASSERT_TRUE(PumpUntil([&] { return h.GetStatusText() == utils::LoadStringResource(IDS_SEARCHING_INVENTORY); }));
  EXPECT_FALSE(IsShown(Login()));
  EXPECT_FALSE(IsShown(Refresh()));
  ASSERT_TRUE(sim.Admin("latency", R"({"ms":0})"));
  ASSERT_TRUE(PumpUntilState(server, VMCollection::STATE_ENUMERATED)) << server->GetState();
  ASSERT_TRUE(PumpUntil([&] { return !h.IsStatusShown(); }));
  EXPECT_FALSE(IsShown(Login()));
  EXPECT_TRUE(IsShown(Refresh()));
  EXPECT_TRUE(IsShown(Remove()));
  EXPECT_EQ(ChildRect(Refresh()).left, collapseX - 20);
  EXPECT_EQ(ChildRect(Remove()).left, collapseX - 40);
  EXPECT_EQ(h.GetTitleRect().right, collapseX - 40 - M);
  EXPECT_EQ(h.GetHeight(), h.LineHeight());
  // The buttons that moved show what they paint, not bits carried from where they were:
  // after the state change, and after the list narrows the header for its scroll bar.
  PumpFor(100);
  const RECT placed = ChildRect(h.Hwnd());
  ui::PlaceChild(h.Hwnd(), placed.left, placed.top, placed.right - placed.left - GetSystemMetrics(SM_CXVSCROLL),
                 placed.bottom - placed.top, true);
  PumpFor(100);
  const std::vector<uint8_t> shown[] = {ScreenPixels(Refresh()), ScreenPixels(Remove())};
  RedrawWindow(h.Hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  PumpFor(50);
  EXPECT_TRUE(shown[0] == ScreenPixels(Refresh())) << "Refresh was not repainted after its move";
  EXPECT_TRUE(shown[1] == ScreenPixels(Remove())) << "Remove was not repainted after its move";
  ui::PlaceChild(h.Hwnd(), placed.left, placed.top, placed.right - placed.left, placed.bottom - placed.top, true);
  SaveScreenshot(parent.Hwnd(), "rows/header-enumerated");

  // Logged off again (session dropped by the server, then noticed by a refresh).
  ASSERT_TRUE(sim.Admin("dropSessions"));
  SendMessageW(h.Hwnd(), WM_COMMAND, MAKEWPARAM(IDC_REFRESH, 0), reinterpret_cast<LPARAM>(Refresh()));
  ASSERT_TRUE(PumpUntilState(server, VMCollection::STATE_LOGGED_OFF)) << server->GetState();
  EXPECT_TRUE(h.IsStatusShown());
  EXPECT_FALSE(IsShown(Refresh()));
  EXPECT_TRUE(IsShown(Login()));
}

// A failed login shows its message and brings Login and Remove back; clicks and keys then
// collapse, expand and move on; Remove asks first and tells the list only on Yes. A Favorites
// header has none of the server's buttons.
TEST_F(HeaderTest, AFailedLoginThenCollapseKeysAndRemoveAndTheFavoritesHeader) {
  OlvarkServerPtr server = NewServer(kUser, "not the password");
  ui::Header& h = ServerHeader(server);
  SendMessageW(Login(), BM_CLICK, 0, 0);
  ASSERT_TRUE(PumpUntilState(server, VMCollection::STATE_LOGIN_FAILED));
  EXPECT_FALSE(h.GetStatusText().empty());
  EXPECT_TRUE(IsShown(Login()));
  EXPECT_TRUE(IsShown(Remove()));
  EXPECT_FALSE(IsShown(Refresh()));
  SaveScreenshot(parent.Hwnd(), "rows/header-login-failed");
  parent.Clear();

  const int H = h.LineHeight();
  // A click on the status line does not collapse, but asks for a new layout.
  ClickAt(h.Hwnd(), POINT{20, H + H / 2});
  EXPECT_FALSE(h.IsCollapsed());
  EXPECT_EQ(parent.Count(WM_RELAYOUT), 1);
  // On the title it collapses; the header is then one line even with a status.
  ClickAt(h.Hwnd(), POINT{20, H / 2});
  EXPECT_TRUE(h.IsCollapsed());
  EXPECT_EQ(h.GetHeight(), H);
  EXPECT_EQ(parent.Count(WM_RELAYOUT), 2);
  EXPECT_EQ(GetFocus(), h.Hwnd());
  EXPECT_EQ(TextOf(GetDlgItem(h.Hwnd(), IDC_COLLAPSE)), utils::LoadStringResource(IDS_EXPAND));

  // Enter on a collapsed header starts nothing, even with Login visible.
  Key(VK_RETURN);
  PumpFor(200);
  EXPECT_EQ(server->GetState(), VMCollection::STATE_LOGIN_FAILED);
  // Right expands and moves on; Right again only moves on; Left collapses.
  parent.Clear();
  Key(VK_RIGHT);
  EXPECT_FALSE(h.IsCollapsed());
  EXPECT_EQ(parent.Count(WM_RELAYOUT), 1);
  ASSERT_EQ(parent.Count(WM_NAVIGATE_KEY), 1);
  EXPECT_EQ(parent.Last(WM_NAVIGATE_KEY)->wParam, static_cast<WPARAM>(VK_DOWN));
  Key(VK_RIGHT);
  EXPECT_EQ(parent.Count(WM_RELAYOUT), 1);
  EXPECT_EQ(parent.Count(WM_NAVIGATE_KEY), 2);
  Key(VK_LEFT);
  EXPECT_TRUE(h.IsCollapsed());
  Key(VK_UP);
  EXPECT_EQ(parent.Last(WM_NAVIGATE_KEY)->wParam, static_cast<WPARAM>(VK_UP));
  // The focus shows on the header while it has it; focus changes are reported with the
  // header itself.
  SetFocus(nullptr);
  PumpFor(20);
  const std::vector<uint8_t> unfocused = ClientPixels(h.Hwnd());
  SetFocus(h.Hwnd());
  EXPECT_NE(ClientPixels(h.Hwnd()), unfocused);
  SetFocus(nullptr);
  PumpFor(20);
  EXPECT_EQ(ClientPixels(h.Hwnd()), unfocused);
  ASSERT_NE(parent.Last(WM_ITEM_UNFOCUSED), nullptr);
  EXPECT_EQ(parent.Last(WM_ITEM_UNFOCUSED)->wParam, reinterpret_cast<WPARAM>(&h));

  for (const bool yes : {false, true}) {
    MessageBoxAnswer answer(yes);
    SendMessageW(h.Hwnd(), WM_COMMAND, MAKEWPARAM(IDC_REMOVE, 0), reinterpret_cast<LPARAM>(Remove()));
    EXPECT_EQ(answer.Text(), L"Are you sure you want to remove '127.0.0.1'?");
    PumpFor(20);
    ASSERT_EQ(parent.Count(WM_REMOVE_SERVER), yes ? 1 : 0);
  }
  EXPECT_EQ(parent.Last(WM_REMOVE_SERVER)->wParam, reinterpret_cast<WPARAM>(&h));

  // A Favorites header shows only its title and the collapse button.
  auto favorites = Favorites::Create([] { return VMList(); });
  header = std::make_unique<ui::Header>(L"Favorites", favorites, false, false, false, L"");
  ASSERT_TRUE(header->CreateHeader(parent.Hwnd(), RECT{0, 0, kWidth, 40}));
  PumpFor(20);
  EXPECT_EQ(TextOf(header->Hwnd()), L"Favorites");
  EXPECT_FALSE(IsShown(Login()));
  EXPECT_EQ(Remove(), nullptr);
  EXPECT_EQ(Refresh(), nullptr);
  EXPECT_FALSE(header->IsStatusShown());
  EXPECT_EQ(header->GetHeight(), header->LineHeight());
  EXPECT_EQ(header->GetTitleRect().right, kWidth - 16 - 2 * utils::MARGIN);
  EXPECT_EQ(MouseMessagesReachingTooltip(GetDlgItem(header->Hwnd(), IDC_COLLAPSE)), 2)
      << "the collapse button's tip would never show";
  SaveScreenshot(parent.Hwnd(), "rows/header-favorites");
}
