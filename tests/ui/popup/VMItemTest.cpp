// VM rows against the simulator: opening on expansion, the power buttons for each power
// state, confirmations, the star, a server that drops its sessions, recycling, and names
// that must never overrun the star.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <memory>

#include "res/resource.h"
#include "services/StringResource.h"
#include "services/TextConversion.h"
#include "tests/support/ServerTestSupport.h"
#include "tests/support/PopupTestSupport.h"
#include "ui/popup/PopupParts.h"
#include "ui/popup/VMItem.h"
#include "ui/window/Display.h"
#include "ui/window/LayoutMetrics.h"
#include "ui/window/Messages.h"
#include "ui/window/UiThread.h"

using namespace popuptest;

namespace {

// As wide as the popup at this DPI.
const int kRowWidth = utils::LayoutMetricsFor(utils::GetDpiScale()).popupWidth;

class VMRowTest : public ServerTest {
 protected:
  void SetUp() override {
    ServerTest::SetUp();
    ASSERT_TRUE(parent.CreateParent(kRowWidth, 200));
    row = std::make_unique<ui::VMItem>();
    // As the list gives them: its font and the hover and selection colours.
    font = ui::CreatePopupFont();
    for (COLORREF colour : {RGB(185, 215, 252), RGB(244, 249, 255), RGB(132, 172, 221), RGB(218, 235, 255)}) {
      brushes.push_back(CreateSolidBrush(colour));
    }
    row->SetColors(font, brushes[0], brushes[1], brushes[2], brushes[3]);
    ASSERT_TRUE(row->CreateRow(parent.Hwnd(), RECT{0, 0, kRowWidth, 2 * utils::LINE_HEIGHT}));
  }
  void TearDown() override {
    row.reset();
    parent.DestroyWindow();
    for (HBRUSH brush : brushes) DeleteObject(brush);
    DeleteObject(font);
    ServerTest::TearDown();
  }
  std::shared_ptr<QorVM> BoundRow(const std::string& name, int powerState, bool expanded) {
    moid = AddVm(name, powerState);
    server = LoggedInServer(true);
    std::shared_ptr<QorVM> vm = FindVM(server, name);
    EXPECT_TRUE(vm);
    if (!vm) return vm;
    row->Bind(vm, 7, false, false);
    PumpFor(20);
    if (expanded) {
      ClickAt(row->Hwnd(), POINT{40, 10});
      EXPECT_TRUE(PumpUntil([&] { return IsShown(Control(IDC_VM_CONNECT)); })) << "the VM did not open";
      PumpFor(50);
    }
    parent.Clear();
    return vm;
  }
  void SetPower(uint32_t state) {
    ASSERT_TRUE(sim.Admin("setPower", nlohmann::json({{"moid", moid}, {"powerState", state}}).dump()));
  }
  HWND Control(int id) const { return GetDlgItem(row->Hwnd(), id); }
  HWND Held(int index) const {  // the held buttons share one id
    for (HWND h = GetWindow(row->Hwnd(), GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) {
      if (GetDlgCtrlID(h) == IDC_POWER_HELD && index-- == 0) return h;
    }
    return nullptr;
  }
  // One letter per pair (Power On, Power Off, Suspend): H its held button shown, E its plain
  // one shown and enabled, ! both, - neither; then Reset: E or -.
  std::string View() const {
    std::string view;
    for (int id : {IDC_POWER_ON, IDC_POWER_OFF, IDC_SUSPEND}) {
      const bool held = IsShown(Held(static_cast<int>(view.size())));
      const bool plain = IsShown(Control(id)) && IsWindowEnabled(Control(id));
      view += held ? (plain ? '!' : 'H') : (plain ? 'E' : '-');
    }
    return view + (IsShown(Control(IDC_RESET)) && IsWindowEnabled(Control(IDC_RESET)) ? 'E' : '-');
  }
  void ExpectViewSoon(uint32_t state, const std::string& want) {
    SCOPED_TRACE(testing::Message() << "power state 0x" << std::hex << state);
    SetPower(state);
    // Within one poll period at most.
    EXPECT_TRUE(PumpUntil([&] { return row->GetLastPowerState() == state && View() == want; }, 3000))
        << "shown: " << View();
  }

  Parent parent;
  HFONT font = nullptr;
  std::vector<HBRUSH> brushes;
  std::unique_ptr<ui::VMItem> row;
  OlvarkServerPtr server;
  std::string moid;
};

// Stands in for the console launcher: records what the row had done when it was called.
struct Launch {
  static inline HWND parent = nullptr;
  static inline std::shared_ptr<QorVM> vm;
  static inline bool starts = false, recentQueued = false, usedFirst = false;
  static bool Run(const std::string&, const std::string&, const std::string&, const std::string&) {
    MSG queued;
    recentQueued = PeekMessageW(&queued, parent, WM_RECENT_ADDED, WM_RECENT_ADDED, PM_NOREMOVE) != FALSE;
    usedFirst = vm->GetLastUse() > 0;
    return starts;
  }
};

}  // namespace

TEST_F(VMRowTest, ExpandingOpensTheVMThePowerButtonsFollowItsStateAndResetUnbinds) {
  std::shared_ptr<QorVM> vm = BoundRow("web-01", 8, true);
  ASSERT_TRUE(vm);
  EXPECT_EQ(TextOf(row->Hwnd()), L"web-01");
  EXPECT_TRUE(row->IsPolling());
  EXPECT_EQ(View(), "HEEE");
  EXPECT_EQ(SendMessageW(Held(0), BM_GETCHECK, 0, 0), BST_CHECKED);
  SaveScreenshot(parent.Hwnd(), "rows/vm-powered-on");
  // Connect stands at the right of the second line, and follows the row's width.
  for (int narrower : {0, 40}) {
    RECT client, connect;
    GetClientRect(row->Hwnd(), &client);
    SetWindowPos(row->Hwnd(), nullptr, 0, 0, client.right - narrower, client.bottom, SWP_NOMOVE | SWP_NOZORDER);
    GetClientRect(row->Hwnd(), &client);
    GetWindowRect(Control(IDC_VM_CONNECT), &connect);
    MapWindowPoints(nullptr, row->Hwnd(), reinterpret_cast<POINT*>(&connect), 2);
    EXPECT_EQ(connect.right, client.right - utils::MARGIN) << narrower;
    EXPECT_GE(connect.top, utils::LINE_HEIGHT) << narrower;
  }

  ExpectViewSoon(0x0002, "EH--");  // powered off
  SaveScreenshot(parent.Hwnd(), "rows/vm-powered-off");
  ExpectViewSoon(0x0020, "E-H-");  // suspended
  ExpectViewSoon(0x0011, "-HH-");  // powering off and suspending (every other word: PowerButtonsTest)
  SaveScreenshot(parent.Hwnd(), "rows/vm-in-transition");

  // Reset unbinds at once: later changes of the VM reach no handler of the row.
  row->Reset();
  EXPECT_FALSE(row->IsPolling());
  EXPECT_EQ(row->GetVM(), nullptr);
  EXPECT_EQ(TextOf(row->Hwnd()), L"");
  EXPECT_FALSE(row->IsExpanded());
  const size_t linesBefore = log->Text().size();
  SetPower(0x0002);
  vm->SetFavorite(true);
  PumpFor(1500);
  EXPECT_EQ(log->Text().find("UIThreadPowerStateChanged", linesBefore), std::string::npos);
  EXPECT_FALSE(static_cast<ui::HoverBtn*>(ui::WindowImpl::FromHandle(Control(IDC_STAR)))->IsToggled());
}

// A VM gone from the server fails to open: Retry shows at the right of the second line.
TEST_F(VMRowTest, AVMThatFailsToOpenOffersRetryAtTheEndOfTheSecondLine) {
  ASSERT_TRUE(BoundRow("web-01", 8, false));
  ASSERT_TRUE(sim.Admin("removeVm", nlohmann::json({{"moid", moid}}).dump()));
  ClickAt(row->Hwnd(), POINT{40, 10});
  ASSERT_TRUE(PumpUntil([&] { return IsShown(Control(IDC_RETRY)); })) << "no Retry";
  RECT client, retry;
  GetClientRect(row->Hwnd(), &client);
  GetWindowRect(Control(IDC_RETRY), &retry);
  MapWindowPoints(nullptr, row->Hwnd(), reinterpret_cast<POINT*>(&retry), 2);
  EXPECT_EQ(retry.right, client.right - utils::MARGIN);
  EXPECT_GE(retry.top, utils::LINE_HEIGHT);
}

// The question's modal loop runs whatever was posted: a rebuild that binds the row to
// another VM meanwhile must not redirect the answer.
TEST_F(VMRowTest, PowerOperationsAskFirstActOnTheVMAskedAboutAndMakeItRecentOnlyOnce) {
  AddVm("app-01", 8);
  std::shared_ptr<QorVM> vm = BoundRow("db-02", 8, true);
  ASSERT_TRUE(vm);
  std::shared_ptr<QorVM> other = FindVM(server, "app-01");
  ASSERT_TRUE(other);
  {
    MessageBoxAnswer no(false);
    SendMessageW(Control(IDC_POWER_OFF), BM_CLICK, 0, 0);
    EXPECT_EQ(no.Text(), utils::LoadStringResource(IDS_CONFIRM_POWER_OFF));
  }
  PumpFor(300);
  int32_t state = 0;
  ASSERT_TRUE(vm->GetPowerState(state));
  EXPECT_EQ(state, 8) << "a declined question starts nothing";
  EXPECT_EQ(parent.Count(WM_RECENT_ADDED), 0);
  {
    // As a back-end callback does: posted to the row, run by the question's modal loop.
    ui::PostToWindow(row->Hwnd(), sigc::slot<void>([&] {
      row->Reset();
      row->Bind(other, 3, false, false);
    }));
    MessageBoxAnswer yes(true);
    SendMessageW(Control(IDC_POWER_OFF), BM_CLICK, 0, 0);
  }
  EXPECT_EQ(TextOf(row->Hwnd()), L"app-01") << "the row was rebound while the question was open";
  EXPECT_TRUE(PumpUntil([&] { return vm->GetPowerState(state) && state == 2; }, 5000)) << "db-02 powered off";
  ASSERT_EQ(parent.Count(WM_RECENT_ADDED), 1);
  EXPECT_EQ(parent.Last(WM_RECENT_ADDED)->wParam, reinterpret_cast<WPARAM>(vm.get()));
  EXPECT_EQ(other->GetLastUse(), 0) << "app-01 was not touched";
  const int64_t firstUse = vm->GetLastUse();
  EXPECT_GT(firstUse, 0);

  row->Reset();
  row->Bind(vm, 7, false, true);
  EXPECT_TRUE(PumpUntil([&] { return View() == "EH--"; }, 5000));
  Sleep(1100);
  SendMessageW(Control(IDC_POWER_ON), BM_CLICK, 0, 0);  // no question for Power On
  EXPECT_TRUE(PumpUntil([&] { return View() == "HEEE"; }, 5000));
  EXPECT_EQ(parent.Count(WM_RECENT_ADDED), 1) << "already recent";
  EXPECT_GT(vm->GetLastUse(), firstUse) << "but the use is stamped again";
}

TEST_F(VMRowTest, SpaceAndTheStarToggleTheFavoriteAndTheStarFollowsTheVM) {
  std::shared_ptr<QorVM> vm = BoundRow("build-03", 2, false);
  ASSERT_TRUE(vm);
  // A fresh row for a closed VM of a logged-in server offers none of its buttons yet.
  for (int id : {IDC_VM_CONNECT, IDC_RETRY, IDC_LOGIN}) EXPECT_FALSE(IsShown(Control(id))) << id;
  HWND star = Control(IDC_STAR);
  SetFocus(row->Hwnd());
  PumpFor(20);
  PressKey(row->Hwnd(), VK_SPACE);
  EXPECT_TRUE(vm->IsFavorite());
  ASSERT_EQ(parent.Count(WM_FAVORITE_CHANGED), 1);
  EXPECT_EQ(parent.Last(WM_FAVORITE_CHANGED)->lParam, 1);

  // A click on the star of a collapsed row toggles and expands the row.
  ClickAt(star, POINT{8, 8});
  EXPECT_FALSE(vm->IsFavorite());
  EXPECT_EQ(parent.Last(WM_FAVORITE_CHANGED)->lParam, 0);
  EXPECT_TRUE(row->IsExpanded());

  // A change made elsewhere (another thread) reaches the star.
  std::thread([vm] { vm->SetFavorite(true); }).join();
  EXPECT_TRUE(PumpUntil([&] {
    auto* button = static_cast<ui::HoverBtn*>(ui::WindowImpl::FromHandle(star));
    return button && button->IsToggled();
  }));
}

// Connect makes the VM recent before the console starts, and hides the popup only when
// the console started: a failure leaves the popup open to try again.
TEST_F(VMRowTest, ConnectMakesTheVMRecentFirstAndHidesThePopupOnlyWhenTheConsoleStarts) {
  Launch::vm = BoundRow("app-09", 8, true);
  ASSERT_TRUE(Launch::vm);
  Launch::parent = parent.Hwnd();
  OlvarkServer::SetConsoleLauncher(&Launch::Run);
  SendMessageW(Control(IDC_VM_CONNECT), BM_CLICK, 0, 0);
  PumpFor(50);
  EXPECT_TRUE(Launch::recentQueued) << "Recently Used is told before the console starts";
  EXPECT_TRUE(Launch::usedFirst);
  EXPECT_EQ(parent.Count(WM_HIDE_POPUP), 0) << "the console did not start: the popup stays";
  Launch::starts = true;
  SendMessageW(Control(IDC_VM_CONNECT), BM_CLICK, 0, 0);
  PumpFor(50);
  OlvarkServer::SetConsoleLauncher(nullptr);
  Launch::vm.reset();
  EXPECT_EQ(parent.Count(WM_HIDE_POPUP), 1);
  EXPECT_EQ(parent.Count(WM_RECENT_ADDED), 1) << "recent once";
}

// A refresh keeps the session: an open VM's buttons keep following its state meanwhile. A
// server that dropped the session leaves the row logged off until a login from the row.
TEST_F(VMRowTest, TheRowFollowsItsVMThroughARefreshAndADroppedSession) {
  ASSERT_TRUE(BoundRow("app-04", 8, true));
  ASSERT_TRUE(sim.Admin("latency", R"({"ms":1500})"));
  server->Refresh();
  ASSERT_TRUE(PumpUntil([&] { return server->GetState() == VMCollection::STATE_ENUMERATING; }));
  SetPower(0x0002);
  int stateWhenShown = -1;
  EXPECT_TRUE(PumpUntil(
      [&] {
        stateWhenShown = server->GetState();
        return View() == "EH--";
      },
      8000));
  EXPECT_EQ(stateWhenShown, VMCollection::STATE_ENUMERATING) << "shown only once the enumeration ended";
  ASSERT_TRUE(sim.Admin("latency", R"({"ms":0})"));
  ASSERT_TRUE(PumpUntil([&] { return server->GetState() == VMCollection::STATE_ENUMERATED; }));

  ASSERT_TRUE(sim.Admin("dropSessions"));
  server->Refresh();
  ASSERT_TRUE(PumpUntil([&] { return row->GetStatusText() == utils::LoadStringResource(IDS_NOT_LOGGED_IN); }));
  EXPECT_TRUE(IsShown(Control(IDC_LOGIN)));
  EXPECT_FALSE(IsShown(Control(IDC_VM_CONNECT)));
  EXPECT_FALSE(IsShown(Control(IDC_POWER_OFF)));
  EXPECT_FALSE(IsShown(Held(0)));
  EXPECT_FALSE(row->IsPolling());
  SaveScreenshot(parent.Hwnd(), "rows/vm-logged-off");
  // Login from the row, with the saved credentials, brings the VM back.
  PressKey(row->Hwnd(), VK_RETURN);
  EXPECT_TRUE(PumpUntil([&] { return IsShown(Control(IDC_VM_CONNECT)); })) << "state " << server->GetState();
}

TEST_F(VMRowTest, NamesOfAnyKindStayClearOfTheStar) {
  const std::string names[] = {
      std::string(1000, 'W'),
      "\xD7\xA9\xD7\xA8\xD7\xAA \xD7\x91\xD7\x93\xD7\x99\xD7\xA7\xD7\x94 \xD7\x90\xD7\xA8\xD7\x95\xD7\x9B\xD7\x94 "
      "\xD7\x9E\xD7\x90\xD7\x95\xD7\x93 \xD7\x9E\xD7\x90\xD7\x95\xD7\x93",  // right-to-left
      "Z\xCC\x81\xCC\x82\xCC\x83\xCC\x84\xCC\x85\xCC\x86\xCC\x87 a\xCC\x88\xCC\x89\xCC\x8A\xCC\x8B combining marks",
  };
  server = LoggedInServer(true);
  int index = 0;
  for (const std::string& name : names) {
    AddVm(name.size() > 200 ? name.substr(0, 200) + std::to_string(index) : name);
    ++index;
  }
  ASSERT_TRUE(RefreshAndWait(server));
  const int M = utils::MARGIN, R = utils::LINE_HEIGHT;
  index = 0;
  for (const VMPtr& vm : server->GetVMs()) {
    row->Reset();
    row->Bind(std::static_pointer_cast<QorVM>(vm), 0, false, false);
    EXPECT_EQ(TextOf(row->Hwnd()), utils::ToWideString(vm->GetName()));
    RedrawWindow(row->Hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    PumpFor(50);
    // The band between the name's end and the star stays background.
    HDC dc = GetDC(row->Hwnd());
    const COLORREF background = GetPixel(dc, M, R / 2);  // left of where the name starts
    int inked = 0;
    for (int x = kRowWidth - 2 * M - 16 + 1; x < kRowWidth - M - 16; ++x) {
      for (int y = 2; y < R - 2; ++y) inked += GetPixel(dc, x, y) != background;
    }
    ReleaseDC(row->Hwnd(), dc);
    EXPECT_EQ(inked, 0) << "name " << index << " ran into the star";
    SaveScreenshot(parent.Hwnd(), "rows/vm-name-" + std::to_string(index++));
  }
}
