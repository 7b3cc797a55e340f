// The list against the simulator: sections appearing, the recycled rows, paging, the
// search, keyboard navigation, type-ahead, scrolling, favorites and removal.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "res/resource.h"
#include "services/StringResource.h"
#include "services/TextConversion.h"
#include "state/State.h"
#include "tests/support/ServerTestSupport.h"
#include "tests/support/PopupTestSupport.h"
#include "ui/popup/ContentViewer.h"
#include "ui/window/LayoutMetrics.h"
#include "ui/window/Messages.h"

using namespace popuptest;

namespace {

constexpr int kViewerWidth = 320;
constexpr int kHeight = 375;

class ViewerTest : public ServerTest {
 protected:
  void SetUp() override {
    ServerTest::SetUp();
    state = std::make_unique<State>(nullptr);
    ASSERT_TRUE(parent.CreateParent(kViewerWidth, kHeight));
    viewer = std::make_unique<ui::ContentViewer>(*state);
    ASSERT_TRUE(viewer->CreateViewer(parent.Hwnd(), RECT{0, 0, kViewerWidth, kHeight}));
  }
  void TearDown() override {
    viewer.reset();
    parent.DestroyWindow();
    state.reset();
    ServerTest::TearDown();
  }
  OlvarkServerPtr AddServer() {
    OlvarkServerPtr server = state->AddSavedServer(1, kHost, static_cast<unsigned>(sim.Port()), sim.Secure(), kUser,
                                                   Protect(kPassword));
    EXPECT_TRUE(server);
    if (!server) return server;
    viewer->AddServerSection(server, true);
    server->Login(nullptr, nullptr, false);
    EXPECT_TRUE(PumpUntil([&] {
      return server->GetState() == VMCollection::STATE_ENUMERATED && viewer->Sections().size() == 3 &&
             (!viewer->Sections()[2]->entries.empty() || server->GetVMs().empty());
    }));
    PumpFor(50);
    return server;
  }
  ui::Section& ServerSection() { return *viewer->Sections()[2]; }
  // The rows in view, as a person reads them: the window texts of the shown rows.
  std::vector<std::wstring> ShownRowTexts() {
    std::vector<std::pair<int, std::wstring>> rows;
    for (HWND h = GetWindow(viewer->RowParent(), GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) {
      if (!IsShown(h)) continue;
      wchar_t cls[64] = {};
      GetClassNameW(h, cls, 64);
      if (wcscmp(cls, L"Zandor Wickerlyn Scroll Bar Class") == 0) continue;
      RECT rect;
      GetWindowRect(h, &rect);
      rows.push_back({rect.top, TextOf(h)});
    }
    std::sort(rows.begin(), rows.end());
    std::vector<std::wstring> texts;
    for (auto& row : rows) texts.push_back(row.second);
    return texts;
  }
  void NavigateKey(UINT key) {
    SendMessageW(viewer->Hwnd(), WM_NAVIGATE_KEY, key, 0);
    PumpFor(20);
  }
  std::wstring FocusName() const {
    return viewer->FocusVM() ? utils::ToWideString(viewer->FocusVM()->GetName()) : std::wstring();
  }

  std::unique_ptr<State> state;
  Parent parent;
  std::unique_ptr<ui::ContentViewer> viewer;
};

class PagedViewerTest : public ViewerTest {
 protected:
  std::vector<std::string> SimulatorArgs() const override { return {"--vms", "149", "--power-delay-ms", "50"}; }
};

class ThousandViewerTest : public ViewerTest {
 protected:
  std::vector<std::string> SimulatorArgs() const override { return {"--vms", "1000"}; }
};

class LargeViewerTest : public ViewerTest {
 protected:
  std::vector<std::string> SimulatorArgs() const override { return {"--vms", "49", "--power-delay-ms", "50"}; }
};

// A step moves bits, paints some windows itself and leaves the rest to the paint: what
// shows must be what a whole new paint draws.
bool DrawnAsByAWholePaint(HWND viewer) {
  PumpFor(20);
  const std::vector<uint8_t> shown = ScreenPixels(viewer);
  RedrawWindow(viewer, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  return !shown.empty() && shown == ScreenPixels(viewer);
}

// Something besides white shows over the window: a row's name, the list's own message.
bool ShowsSomething(HWND window) {
  PumpFor(20);
  const std::vector<uint8_t> shown = ScreenPixels(window);
  return std::any_of(shown.begin(), shown.end(), [](uint8_t channel) { return channel < 0xC0; });
}

}  // namespace

TEST_F(ViewerTest, WithoutServersOnlyTheExplanationShowsThenTheSectionsAppearAndGoWithTheServer) {
  PumpFor(50);
  EXPECT_TRUE(ShownRowTexts().empty());
  EXPECT_TRUE(ShowsSomething(viewer->Hwnd())) << "the explanation";
  SaveScreenshot(parent.Hwnd(), "viewer/not-connected");
  const size_t pool = viewer->PoolSize();
  EXPECT_EQ(pool, static_cast<size_t>(kHeight / utils::LINE_HEIGHT + 3));

  AddVm("web-01", 8);
  AddVm("db-01", 2);
  OlvarkServerPtr server = AddServer();
  EXPECT_EQ(ShownRowTexts(), (std::vector<std::wstring>{L"Favorites", L"Recently Used", L"127.0.0.1", L"db-01",
                                                        L"web-01"}));
  EXPECT_EQ(viewer->PoolSize(), pool) << "the pool never grows";
  SaveScreenshot(parent.Hwnd(), "viewer/one-server");

  // Favorites follow the star, in name order; removing the server leaves no focus behind.
  for (const char* name : {"web-01", "db-01"}) {
    VMPtr vm = FindVM(server, name);
    vm->SetFavorite(true);
    PostMessageW(viewer->Hwnd(), WM_FAVORITE_CHANGED, reinterpret_cast<WPARAM>(vm.get()), 1);
  }
  PumpFor(50);
  // At a high DPI the grown list keeps the rows in view put, so the header may have
  // scrolled out of view: read the favorites from the Recently Used header up.
  const std::vector<std::wstring> rows = ShownRowTexts();
  const auto recent = std::find(rows.begin(), rows.end(), L"Recently Used");
  ASSERT_GE(recent - rows.begin(), 2) << "two favorites above the Recently Used header";
  EXPECT_EQ(std::vector<std::wstring>(recent - 2, rows.end()),
            (std::vector<std::wstring>{L"db-01", L"web-01", L"Recently Used", L"127.0.0.1", L"db-01", L"web-01"}));
  NavigateKey(VK_END);
  ASSERT_EQ(FocusName(), L"web-01");
  SendMessageW(viewer->Hwnd(), WM_REMOVE_SERVER, reinterpret_cast<WPARAM>(ServerSection().header.get()), 0);
  PumpFor(50);
  EXPECT_EQ(viewer->Sections().size(), 2u);
  EXPECT_EQ(viewer->FocusHeader(), nullptr);
  EXPECT_TRUE(state->GetServers().empty());
  EXPECT_TRUE(ShownRowTexts().empty()) << "back to the explanation only";
  SendMessageW(viewer->Hwnd(), WM_REMOVE_SERVER, 12345, 0);  // a stale removal does nothing
}

// Scrolled by the wheel, by the scroll bar's commands (a line is 10 pixels, a page the
// view's height) or to an end: the rows recycle, and only those in view hold a VM.
TEST_F(LargeViewerTest, ASectionUnderFiftyListsEveryVMTheRowsRecycleWhileScrollingAndRowsInViewStayPut) {
  OlvarkServerPtr server = AddServer();
  ui::Section& section = ServerSection();
  EXPECT_EQ(section.entries.size(), 49u);
  EXPECT_TRUE(section.pages.empty());
  ASSERT_TRUE(viewer->IsScrollBarShown());
  const std::wstring firstRow = ShownRowTexts()[3];
  // A scroll moves the bits that stay in view and paints only what comes in.
  const auto drawnAsByAWholePaint = [&] { return DrawnAsByAWholePaint(viewer->Hwnd()); };
  // One wheel notch scrolls 120 pixels; the view stops at the end of the range.
  SendMessageW(viewer->Hwnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
  PumpFor(20);
  EXPECT_EQ(viewer->ScrollPosition(), 120);
  EXPECT_NE(ShownRowTexts()[0], L"Favorites");
  EXPECT_TRUE(drawnAsByAWholePaint()) << "after a notch down";
  SendMessageW(viewer->Hwnd(), WM_VSCROLL, MAKEWPARAM(SB_LINEDOWN, 0), 0);  // a row cut in two
  EXPECT_TRUE(drawnAsByAWholePaint()) << "after a line down";
  SendMessageW(viewer->Hwnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(WHEEL_DELTA)), 0);
  EXPECT_TRUE(drawnAsByAWholePaint()) << "after a notch up";
  SendMessageW(viewer->Hwnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
  for (int i = 0; i < 100; ++i) SendMessageW(viewer->Hwnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
  PumpFor(20);
  const std::wstring lastName = utils::ToWideString(server->GetVMs().back()->GetName());
  EXPECT_EQ(ShownRowTexts().back(), lastName);
  // Only rows in view are bound, and each shows its VM.
  size_t bound = 0;
  for (const auto& row : viewer->Pool()) {
    if (!row->GetVM()) continue;
    ++bound;
    EXPECT_TRUE(IsShown(row->Hwnd())) << "a hidden row still holds " << row->GetVM()->GetName();
  }
  size_t vmRowsShown = 0;
  for (const std::wstring& text : ShownRowTexts()) vmRowsShown += FindVM(server, utils::ToUtf8String(text)) != nullptr;
  EXPECT_EQ(bound, vmRowsShown);
  for (int i = 0; i < 100; ++i) SendMessageW(viewer->Hwnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
  PumpFor(20);
  EXPECT_EQ(viewer->ScrollPosition(), 0);
  EXPECT_EQ(ShownRowTexts()[3], firstRow);
  // A search that takes the scroll bar away widens every row; its end narrows them again.
  viewer->SetFilter(utils::ToWideString(server->GetVMs()[5]->GetName()));
  EXPECT_FALSE(viewer->IsScrollBarShown());
  EXPECT_TRUE(drawnAsByAWholePaint()) << "the scroll bar gone";
  viewer->SetFilter(L"");
  EXPECT_TRUE(viewer->IsScrollBarShown());
  EXPECT_TRUE(drawnAsByAWholePaint()) << "the scroll bar back";
  EXPECT_EQ(ShownRowTexts()[3], firstRow);

  RECT client;
  GetClientRect(viewer->Hwnd(), &client);
  const int page = client.bottom;
  const struct {
    WORD command;
    int position;
  } steps[] = {{SB_LINEDOWN, 10}, {SB_PAGEDOWN, 10 + page}, {SB_LINEUP, page}, {SB_PAGEUP, 0}, {SB_LINEUP, 0}};
  for (const auto& step : steps) {
    SendMessageW(viewer->Hwnd(), WM_VSCROLL, MAKEWPARAM(step.command, 0), 0);
    EXPECT_EQ(viewer->ScrollPosition(), step.position) << "after command " << step.command;
  }
  SendMessageW(viewer->Hwnd(), WM_VSCROLL, MAKEWPARAM(SB_BOTTOM, 0), 0);
  const int bottom = viewer->ScrollPosition();
  SendMessageW(viewer->Hwnd(), WM_VSCROLL, MAKEWPARAM(SB_PAGEDOWN, 0), 0);
  EXPECT_EQ(viewer->ScrollPosition(), bottom) << "the end is the end";
  EXPECT_GT(bottom, page);
  SendMessageW(viewer->Hwnd(), WM_VSCROLL, MAKEWPARAM(SB_TOP, 0), 0);
  EXPECT_EQ(viewer->ScrollPosition(), 0);

  // A row that joins or leaves a section above the view moves the view with it, so the rows a
  // person looks at stay put; a row that takes no room (its section collapsed) moves nothing.
  const VMList vms = server->GetVMs();
  NavigateKey(VK_END);  // the focus and the view at the end of the list
  auto star = [&](const VMPtr& vm, bool on) {
    vm->SetFavorite(on);
    SendMessageW(viewer->Hwnd(), WM_FAVORITE_CHANGED, reinterpret_cast<WPARAM>(vm.get()), on);
    PumpFor(20);
  };
  auto collapse = [&](size_t index) { PressKey(viewer->Sections()[index]->header->Hwnd(), VK_LEFT); };

  std::vector<std::wstring> rows = ShownRowTexts();
  star(vms[40], true);
  EXPECT_EQ(ShownRowTexts(), rows) << "a favorite added above";
  star(vms[40], false);
  EXPECT_EQ(ShownRowTexts(), rows) << "a favorite removed above";

  star(vms[41], true);
  collapse(0);
  rows = ShownRowTexts();
  star(vms[42], true);
  EXPECT_EQ(ShownRowTexts(), rows) << "a favorite added to collapsed Favorites";
  star(vms[41], false);
  EXPECT_EQ(ShownRowTexts(), rows) << "a favorite removed from collapsed Favorites";

  collapse(1);
  rows = ShownRowTexts();
  ASSERT_TRUE(vms[43]->MarkUsed());
  SendMessageW(viewer->Hwnd(), WM_RECENT_ADDED, reinterpret_cast<WPARAM>(vms[43].get()), 0);
  PumpFor(20);
  EXPECT_EQ(ShownRowTexts(), rows) << "a VM added to collapsed Recently Used";
  EXPECT_EQ(viewer->Sections()[1]->entries.size(), 1u);

  // The focused first header scrolls away, and the focus goes with it to a window that shows.
  NavigateKey(VK_HOME);
  ASSERT_EQ(GetFocus(), viewer->Sections()[0]->header->Hwnd());
  SendMessageW(viewer->Hwnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
  PumpFor(20);
  ASSERT_FALSE(IsWindowVisible(viewer->Sections()[0]->header->Hwnd()));
  EXPECT_TRUE(IsWindowVisible(GetFocus())) << "keys would go to a hidden header";
  EXPECT_EQ(GetFocus(), viewer->Hwnd()) << "the list takes the keys";
}

TEST_F(PagedViewerTest, ALargeSectionFoldsIntoRangesThatRevealTheirVMs) {
  OlvarkServerPtr server = AddServer();
  ui::Section& section = ServerSection();
  ASSERT_EQ(section.pages.size(), 2u);
  std::vector<std::wstring> rows = ShownRowTexts();
  ASSERT_GE(rows.size(), 6u);
  EXPECT_EQ(rows[3], L"Show All (149 VMs)");
  // Each end named as far as it takes to tell it from its neighbour across the range edge.
  EXPECT_EQ(rows[4], L"Show api-backen - k8s-node-q (75 VMs)");
  EXPECT_EQ(rows[5], L"Show k8s-node-r - \x41C\x43E\x441\x43A\x432\x430-DC (74 VMs)");
  SaveScreenshot(parent.Hwnd(), "viewer/paged");
  // A rebuild (every refresh of the server) labels the ranges the same way, on recycled
  // rows: a click posted before it reveals nothing.
  const UINT_PTR staleClick = section.pages[0].link->Binding();
  viewer->RebuildSection(section.header.get());
  PumpFor(20);
  EXPECT_EQ(ShownRowTexts(), rows);
  SendMessageW(viewer->Hwnd(), WM_LINK_CLICKED, staleClick, 0);
  EXPECT_EQ(ShownRowTexts(), rows);
  // A range row under the mouse that a search hides loses its hover look with it.
  ui::LinkItem* range = section.pages[0].link.get();
  SendMessageW(range->Hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(1, 1));
  ASSERT_TRUE(range->IsHovered());
  viewer->SetFilter(L"nothing-like-this");
  EXPECT_FALSE(range->IsHovered()) << "hidden, yet hovered";
  viewer->SetFilter(L"");

  // The second range: its VMs appear and its first VM takes the focus.
  SendMessageW(viewer->Hwnd(), WM_LINK_CLICKED, section.pages[1].link->Binding(), 0);
  PumpFor(50);
  const std::wstring first = utils::ToWideString(server->GetVMs()[75]->GetName());
  EXPECT_EQ(FocusName(), first);
  EXPECT_TRUE(section.entries[0].visible) << "one range is still folded";
  SendMessageW(viewer->Hwnd(), WM_LINK_CLICKED, section.showAll->Binding(), 0);
  PumpFor(50);
  EXPECT_FALSE(section.entries[0].visible);
  EXPECT_EQ(FocusName(), utils::ToWideString(server->GetVMs()[0]->GetName()));
  size_t visible = 0;
  for (const auto& entry : section.entries) visible += entry.visible;
  EXPECT_EQ(visible, 149u);

  // Far down the list and back by the wheel, many views away from where the rows began.
  ASSERT_EQ(viewer->ScrollPosition(), 0);
  const std::vector<std::wstring> top = ShownRowTexts();
  NavigateKey(VK_END);
  const std::wstring last = utils::ToWideString(server->GetVMs().back()->GetName());
  ASSERT_FALSE(ShownRowTexts().empty());
  EXPECT_EQ(ShownRowTexts().back(), last);
  HWND lastRow = nullptr;
  for (const auto& row : viewer->Pool()) {
    if (row->GetVM() && row->GetName() == last) lastRow = row->Hwnd();
  }
  ASSERT_TRUE(lastRow);
  EXPECT_TRUE(ShowsSomething(lastRow)) << "the last VM's name shows";
  EXPECT_TRUE(DrawnAsByAWholePaint(viewer->Hwnd())) << "at the end";
  for (int i = 0; i < 400 && viewer->ScrollPosition() > 0; ++i) {
    SendMessageW(viewer->Hwnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
    if (i % 10 == 0) EXPECT_TRUE(DrawnAsByAWholePaint(viewer->Hwnd())) << "after " << i + 1 << " notches up";
  }
  EXPECT_EQ(viewer->ScrollPosition(), 0);
  EXPECT_EQ(ShownRowTexts(), top) << "back at the top";
}

TEST_F(ViewerTest, TheSearchKeepsMatchingVMsAndSaysWhenNothingMatches) {
  for (const char* name : {"Prod Web 01", "webserver-production", "web-01", "mail"}) AddVm(name);
  AddServer();
  const std::vector<std::wstring> everything = ShownRowTexts();
  viewer->SetFilter(L"web prod");
  EXPECT_TRUE(DrawnAsByAWholePaint(viewer->Hwnd())) << "the search begun";
  EXPECT_EQ(ShownRowTexts(), (std::vector<std::wstring>{L"127.0.0.1", L"Prod Web 01", L"webserver-production"}))
      << "sections without a match hide their headers";
  SaveScreenshot(parent.Hwnd(), "viewer/search");
  viewer->SetFilter(L"nothing-like-this");
  PumpFor(20);
  EXPECT_TRUE(viewer->NoMatch());
  EXPECT_TRUE(ShownRowTexts().empty());
  EXPECT_TRUE(ShowsSomething(viewer->Hwnd())) << "no match, said";
  SaveScreenshot(parent.Hwnd(), "viewer/no-match");
  viewer->SetFilter(L" ");
  PumpFor(20);
  EXPECT_EQ(ShownRowTexts().size(), 5u);
  viewer->SetFilter(L"");
  EXPECT_TRUE(DrawnAsByAWholePaint(viewer->Hwnd())) << "the search ended";
  EXPECT_EQ(ShownRowTexts(), everything);
}

TEST_F(ViewerTest, ARowReboundWhereItStandsShowsItsNewVMAtOnce) {
  for (const char* name : {"alpha-1", "alpha-2", "beta-1", "beta-2"}) AddVm(name);
  AddServer();
  viewer->SetFilter(L"alpha");
  PumpFor(20);
  HWND row = nullptr;
  for (HWND h = GetWindow(viewer->RowParent(), GW_CHILD); h && !row; h = GetWindow(h, GW_HWNDNEXT)) {
    if (IsShown(h) && TextOf(h) == L"alpha-1") row = h;
  }
  ASSERT_TRUE(row);
  const RECT where = ChildRect(row);
  const std::vector<uint8_t> before = ClientPixels(row);
  viewer->SetFilter(L"beta");
  ASSERT_EQ(TextOf(row), L"beta-1") << "the row is rebound";
  const RECT now = ChildRect(row);
  ASSERT_TRUE(EqualRect(&now, &where)) << "where it stood";
  const std::vector<uint8_t> shown = ClientPixels(row);
  RedrawWindow(row, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  EXPECT_NE(shown, before);
  EXPECT_EQ(shown, ClientPixels(row)) << "what shows is what a full repaint draws";
}

// An expanded row that a search hid comes back expanded, its buttons painted with it.
TEST_F(ViewerTest, AnExpandedRowTheSearchBringsBackShowsItsButtons) {
  for (const char* name : {"alpha-1", "beta-1"}) AddVm(name);
  AddServer();
  NavigateKey(VK_END);
  ASSERT_EQ(FocusName(), L"beta-1");
  const auto shownRow = [&](const wchar_t* text) -> HWND {
    for (HWND h = GetWindow(viewer->RowParent(), GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) {
      if (IsShown(h) && TextOf(h) == text) return h;
    }
    return nullptr;
  };
  const auto buttonShown = [&](HWND row) {
    for (HWND h = GetWindow(row, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) {
      wchar_t cls[32] = {};
      GetClassNameW(h, cls, 32);
      if (IsShown(h) && wcscmp(cls, L"Button") == 0) return true;
    }
    return false;
  };
  HWND row = shownRow(L"beta-1");
  ASSERT_TRUE(row);
  SendMessageW(row, WM_KEYDOWN, VK_RETURN, 0);
  for (int i = 0; i < 100 && !buttonShown(row); ++i) PumpFor(20);
  ASSERT_TRUE(buttonShown(row)) << "the expanded row shows its buttons";
  viewer->SetFilter(L"alpha");
  ASSERT_FALSE(shownRow(L"beta-1"));
  viewer->SetFilter(L"");
  row = shownRow(L"beta-1");
  ASSERT_TRUE(row);
  EXPECT_TRUE(buttonShown(row)) << "back expanded";
  EXPECT_TRUE(DrawnAsByAWholePaint(viewer->Hwnd())) << "its buttons painted";
}

TEST_F(ViewerTest, KeysWalkTheSectionsAndTypeAheadJumpsByName) {
  for (const char* name : {"alpha", "delta-1", "delta-2", "echo"}) AddVm(name);
  AddServer();
  NavigateKey(VK_HOME);
  EXPECT_EQ(viewer->FocusHeader()->GetTitle(), L"Favorites");
  NavigateKey(VK_UP);
  EXPECT_EQ(viewer->FocusHeader()->GetTitle(), L"Favorites") << "Up on the first header does nothing";
  NavigateKey(VK_DOWN);
  EXPECT_EQ(viewer->FocusHeader()->GetTitle(), L"Recently Used");
  NavigateKey(VK_DOWN);
  NavigateKey(VK_DOWN);
  EXPECT_EQ(FocusName(), L"alpha");
  NavigateKey(VK_END);
  EXPECT_EQ(FocusName(), L"echo");
  NavigateKey(VK_DOWN);
  EXPECT_EQ(FocusName(), L"echo") << "Down on the last VM does nothing";
  EXPECT_EQ(GetFocus(), viewer->Pool().empty() ? nullptr : [&] {
    for (const auto& row : viewer->Pool()) if (row->GetVM() && row->GetName() == L"echo") return row->Hwnd();
    return HWND(nullptr);
  }()) << "the row bound to the focus has the keyboard focus";
  // A key the focused row gets goes to the list, as when a person presses it.
  SendMessageW(GetFocus(), WM_KEYDOWN, VK_UP, 0);
  PumpFor(20);
  EXPECT_EQ(FocusName(), L"delta-2") << "Up pressed in the row";

  NavigateKey(VK_HOME);
  SendMessageW(viewer->Hwnd(), WM_CHAR, L'd', 0);
  EXPECT_EQ(FocusName(), L"delta-1");
  PumpFor(600);
  SendMessageW(viewer->Hwnd(), WM_CHAR, L'd', 0);
  EXPECT_EQ(FocusName(), L"delta-2") << "the same letter after a pause moves on";
  PumpFor(600);
  SendMessageW(viewer->Hwnd(), WM_CHAR, L'e', 0);
  SendMessageW(viewer->Hwnd(), WM_CHAR, L'z', 0);  // no "ez": failed
  SendMessageW(viewer->Hwnd(), WM_CHAR, L'a', 0);  // ignored until the pause
  EXPECT_EQ(FocusName(), L"echo");
  PumpFor(600);
  SendMessageW(viewer->Hwnd(), WM_CHAR, L'a', 0);
  EXPECT_EQ(FocusName(), L"alpha");

  // With the server folded, End stops on its header and type-ahead finds nothing in it.
  PressKey(ServerSection().header->Hwnd(), VK_LEFT);
  NavigateKey(VK_END);
  EXPECT_EQ(viewer->FocusHeader(), ServerSection().header.get());
  EXPECT_EQ(FocusName(), L"") << "no VM of a folded section";
  NavigateKey(VK_HOME);
  PumpFor(600);
  SendMessageW(viewer->Hwnd(), WM_CHAR, L'e', 0);
  EXPECT_EQ(viewer->FocusHeader()->GetTitle(), L"Favorites") << "type-ahead skips a folded section";
  EXPECT_EQ(FocusName(), L"");
}

// A new listing of a large server waits, a few link texts per timer tick, before the
// section changes. A refresh that comes meanwhile is listed whole: every VM of the newest
// list once, in order, under links that name it.
TEST_F(ThousandViewerTest, ARefreshWhileTheListingWaitsForItsLinkTextsListsTheNewestListOnce) {
  OlvarkServerPtr server = state->AddSavedServer(1, kHost, static_cast<unsigned>(sim.Port()), sim.Secure(), kUser,
                                                 Protect(kPassword));
  ASSERT_TRUE(server);
  viewer->AddServerSection(server, true);
  server->Login(nullptr, nullptr, false);
  const ui::Header* header = ServerSection().header.get();
  ASSERT_TRUE(PumpUntil([&] {
    return server->GetState() == VMCollection::STATE_ENUMERATED && viewer->RebuildPending(header);
  })) << "listed at once: its 21 link texts did not wait";
  EXPECT_TRUE(ServerSection().entries.empty());
  AddVm("aaa-added-while-waiting");
  server->Refresh();
  ASSERT_TRUE(PumpUntil([&] {
    return server->GetState() == VMCollection::STATE_ENUMERATED && ServerSection().entries.size() == 1001 + 21;
  })) << ServerSection().entries.size();
  PumpFor(50);
  const VMList vms = server->GetVMs();
  ASSERT_EQ(vms.size(), 1001u);
  const ui::Section& section = ServerSection();
  size_t next = 0;
  for (const ui::SectionEntry& entry : section.entries) {
    if (entry.kind != ui::SectionEntry::VM_ROW) continue;
    ASSERT_LT(next, vms.size());
    EXPECT_EQ(entry.vm, vms[next]) << next;
    ++next;
  }
  EXPECT_EQ(next, vms.size());
  EXPECT_EQ(TextOf(section.showAll->Hwnd()), L"Show All (1001 VMs)");
  const std::vector<std::wstring> rows = ShownRowTexts();
  ASSERT_GE(rows.size(), 5u);
  EXPECT_EQ(rows[3], L"Show All (1001 VMs)");
  EXPECT_EQ(rows[4], TextOf(section.pages[0].link->Hwnd()));
  EXPECT_EQ(rows[4].rfind(L"Show aaa", 0), 0u) << "the first range starts with the VM added";
}

// Two large servers listed at once each get their link rows, one after the other, rather
// than taking the same spare links back from each other for ever.
// A large server the user adds comes into view once listed (its layout a tick after its
// entries), drawn whole.
TEST_F(ThousandViewerTest, ALargeServerTheUserAddsComesIntoViewOnceListed) {
  AddServer();
  PumpFor(50);
  SimulatorProcess other;
  ASSERT_TRUE(other.Start({"--vms", "1000", "--seed", "7"})) << other.LastError();
  OlvarkServerPtr added =
      state->AddSavedServer(1, "localhost", static_cast<unsigned>(other.Port()), other.Secure(), kUser, Protect(kPassword));
  ASSERT_TRUE(added);
  viewer->AddServerSection(added, false);
  added->Login(nullptr, nullptr, false);
  ui::Section& section = *viewer->Sections()[3];
  ASSERT_TRUE(PumpUntil([&] {
    return section.entries.size() == 1000 + 21 && !viewer->RebuildPending(section.header.get());
  }, 30000)) << "listed";
  PumpFor(50);
  const std::vector<std::wstring> rows = ShownRowTexts();
  ASSERT_GE(rows.size(), 3u);
  EXPECT_EQ(rows[0], L"localhost") << "its header at the top of the view";
  EXPECT_EQ(rows[1], L"Show All (1000 VMs)");
  EXPECT_TRUE(DrawnAsByAWholePaint(viewer->Hwnd()));
}

TEST_F(ThousandViewerTest, TwoLargeServersListedAtOnceAreBothListed) {
  // Another inventory (another seed), so that the two need other link texts.
  SimulatorProcess other;
  ASSERT_TRUE(other.Start({"--vms", "1000", "--seed", "7"})) << other.LastError();
  std::vector<OlvarkServerPtr> servers;
  for (const auto& [host, simulator] : {std::pair<const char*, SimulatorProcess*>{kHost, &sim}, {"localhost", &other}}) {
    servers.push_back(state->AddSavedServer(1, host, static_cast<unsigned>(simulator->Port()), simulator->Secure(), kUser,
                                            Protect(kPassword)));
    ASSERT_TRUE(servers.back());
    viewer->AddServerSection(servers.back(), true);
  }
  for (const OlvarkServerPtr& server : servers) server->Login(nullptr, nullptr, false);
  EXPECT_TRUE(PumpUntil([&] {
    for (size_t i = 2; i < 4; ++i) {
      if (viewer->Sections()[i]->entries.size() != 1000 + 21) return false;
    }
    return true;
  }, 30000)) << "both sections listed";
}
