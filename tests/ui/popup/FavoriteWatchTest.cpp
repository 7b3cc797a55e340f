// The favorites' power state against the simulator: opened in the background once their
// server is listed, the mark on their rows, the notices of changes made elsewhere, and
// what turning the marks off and logging off leave.
#include <gtest/gtest.h>

#include <commctrl.h>
#include <oleacc.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <utility>

#include "res/resource.h"
#include "state/State.h"
#include "tests/support/ServerTestSupport.h"
#include "tests/support/PopupTestSupport.h"
#include "ui/popup/ContentViewer.h"
#include "ui/popup/FavoriteWatch.h"
#include "ui/window/LayoutMetrics.h"

using namespace popuptest;
using ui::PowerMark;

namespace {

class FavoriteWatchTest : public ServerTest {
 protected:
  void SetUp() override {
    ServerTest::SetUp();
    state = std::make_unique<State>(nullptr);
    ASSERT_TRUE(parent.CreateParent(320, 375));
    viewer = std::make_unique<ui::ContentViewer>(*state);
    ASSERT_TRUE(viewer->CreateViewer(parent.Hwnd(), RECT{0, 0, 320, 375}));
    viewer->SetPowerMarksShown(true);
    watch = std::make_unique<ui::FavoriteWatch>(*state, [this](const ui::PowerNotice& n) { notices.push_back(n); });
    ASSERT_TRUE(watch->CreateWatch());
    watch->SetOpening(true);
    watch->SetNotifying(true);
  }
  void TearDown() override {
    watch.reset();
    viewer.reset();
    parent.DestroyWindow();
    state.reset();
    ServerTest::TearDown();
  }
  // A saved server with these favorites (name, moid), as the program restores one, logged in.
  OlvarkServerPtr ServerWithFavorites(const std::vector<std::pair<std::string, std::string>>& favorites) {
    OlvarkServerPtr server = state->AddSavedServer(1, kHost, static_cast<unsigned>(sim.Port()), sim.Secure(), kUser,
                                                   Protect(kPassword));
    if (!server) return server;
    for (const auto& [name, moid] : favorites) server->AddFavorite(name, moid, "[datastore1] " + name + "/" + name + ".vmx");
    state->GetFavorites()->Refresh();
    viewer->AddServerSection(server, true);
    server->Login(nullptr, nullptr, false);
    EXPECT_TRUE(PumpUntil([&] { return server->GetState() == VMCollection::STATE_ENUMERATED; }));
    return server;
  }
  ui::VMItem* FavoriteRow(const std::string& name) {
    const UINT_PTR favorites = reinterpret_cast<UINT_PTR>(viewer->Sections()[0]->header.get());
    for (const auto& row : viewer->Pool()) {
      if (row->GetVM() && row->GetVM()->GetName() == name && row->GetTag() == favorites) return row.get();
    }
    return nullptr;
  }
  PowerMark Mark(const std::string& name) {
    ui::VMItem* row = FavoriteRow(name);
    return row ? row->GetPowerMark() : PowerMark::kNone;
  }
  // The words of the mark's tool, from whichever tooltip window holds it.
  std::wstring MarkTip(ui::VMItem* row) {
    wchar_t text[80] = {};
    TOOLINFOW info = {};
    info.cbSize = sizeof info;
    info.hwnd = row->Hwnd();
    info.uId = ui::VMItem::kMarkTool;
    for (HWND h = nullptr; (h = FindWindowExW(nullptr, h, TOOLTIPS_CLASSW, nullptr)) != nullptr;) {
      if (!SendMessageW(h, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&info))) continue;
      info.lpszText = text;
      SendMessageW(h, TTM_GETTEXTW, ARRAYSIZE(text), reinterpret_cast<LPARAM>(&info));
      break;
    }
    return text;
  }
  // What a screen reader reads for the row: its name, then its description.
  static std::wstring ReaderText(HWND row) {
    IAccessible* accessible = nullptr;
    const HRESULT got = AccessibleObjectFromWindow(row, OBJID_CLIENT, __uuidof(IAccessible), reinterpret_cast<void**>(&accessible));
    if (FAILED(got) || !accessible) return L"(no accessible object: " + std::to_wstring(got) + L")";
    VARIANT self;
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    std::wstring text;
    for (auto read : {&IAccessible::get_accName, &IAccessible::get_accDescription}) {
      BSTR part = nullptr;
      if (SUCCEEDED((accessible->*read)(self, &part)) && part) text += std::wstring(part) + L";";
      SysFreeString(part);
    }
    accessible->Release();
    return text;
  }
  void SetPower(const std::string& moid, int powerState) {
    ASSERT_TRUE(sim.Admin("setPower", nlohmann::json({{"moid", moid}, {"powerState", powerState}}).dump()));
  }

  std::unique_ptr<State> state;
  Parent parent;
  std::unique_ptr<ui::ContentViewer> viewer;
  std::unique_ptr<ui::FavoriteWatch> watch;
  std::vector<ui::PowerNotice> notices;
};

class ManyFavoritesTest : public FavoriteWatchTest {};

}  // namespace

TEST_F(FavoriteWatchTest, MarksFollowTheFavoritesAndOnlyChangesMadeElsewhereRaiseANotice) {
  const std::string web = AddVm("web-01", 0x0002), db = AddVm("db-01", 0x0008);
  AddVm("app-01", 0x0008);
  OlvarkServerPtr server = ServerWithFavorites({{"web-01", web}, {"db-01", db}});
  ASSERT_TRUE(server);
  ASSERT_TRUE(PumpUntil([&] { return Mark("web-01") == PowerMark::kOff && Mark("db-01") == PowerMark::kOn; }, 10000));
  EXPECT_EQ(FindVM(server, "app-01")->GetOpenState(), QorVM::STATE_CLOSED) << "not a favorite: left alone";
  EXPECT_EQ(MarkTip(FavoriteRow("db-01")), L"Powered on");
  EXPECT_EQ(ReaderText(FavoriteRow("db-01")->Hwnd()), L"db-01;Powered on;");
  SaveScreenshot(parent.Hwnd(), "viewer/state-marks");

  // Changed elsewhere: the mark within a second, one notice once the gathering time is over.
  SetPower(db, 0x0002);
  EXPECT_TRUE(PumpUntil([&] { return Mark("db-01") == PowerMark::kOff; }, 1000));
  ASSERT_TRUE(PumpUntil([&] { return !notices.empty(); }, ui::FavoriteWatch::kGatherMs + 3000));
  EXPECT_EQ(notices[0].title, L"db-01: Powered off");
  EXPECT_EQ(notices[0].text, L"On server 127.0.0.1. Click to show it.");
  EXPECT_EQ(notices[0].vm.lock(), FindVM(server, "db-01"));

  // Powered on through the row: the mark follows, and no notice.
  ui::VMItem* row = FavoriteRow("web-01");
  ASSERT_TRUE(row);
  SendMessageW(row->Hwnd(), WM_COMMAND, IDC_POWER_ON, 0);
  EXPECT_TRUE(PumpUntil([&] { return Mark("web-01") == PowerMark::kOn; }, 5000));
  PumpFor(ui::FavoriteWatch::kGatherMs + 500);
  EXPECT_EQ(notices.size(), 1u) << "the program's own power operation";

  // Two changes elsewhere within the gathering time: one notice that names both.
  SetPower(db, 0x0008);
  PumpUntil([&] { return Mark("db-01") == PowerMark::kOn; }, 1000);
  SetPower(web, 0x0020);
  ASSERT_TRUE(PumpUntil([&] { return notices.size() == 2; }, ui::FavoriteWatch::kGatherMs + 3000));
  EXPECT_EQ(notices[1].title, L"2 favorites changed their power state");
  EXPECT_EQ(notices[1].text, L"db-01 on 127.0.0.1: Powered on\nweb-01 on 127.0.0.1: Suspended");
  EXPECT_EQ(Mark("web-01"), PowerMark::kSuspended);

  // Marks off: what was opened only for them closes; web-01, expanded by the user, stays.
  ASSERT_TRUE(FavoriteRow("web-01")->IsExpanded()) << "a command of the row expands it";
  watch->SetOpening(false);
  viewer->SetPowerMarksShown(false);
  EXPECT_EQ(FindVM(server, "db-01")->GetOpenState(), QorVM::STATE_CLOSED);
  EXPECT_EQ(FindVM(server, "web-01")->GetOpenState(), QorVM::STATE_OPEN_SUCCESS);
  EXPECT_EQ(Mark("web-01"), PowerMark::kNone);
  EXPECT_EQ(ReaderText(FavoriteRow("web-01")->Hwnd()), L"web-01;") << "no mark, nothing more to read";
  viewer->SetPowerMarksShown(true);
  EXPECT_EQ(Mark("web-01"), PowerMark::kSuspended);

  // Logged off: no VM is open, no mark is left.
  server->Logoff(false, false);
  EXPECT_TRUE(PumpUntil([&] { return Mark("web-01") == PowerMark::kNone; }, 5000));
}

// Favorites open a few at a time, and no more than the bound in all.
TEST_F(ManyFavoritesTest, AtMostTheBoundOpensAndNeverMoreThanAFewAtOnce) {
  std::vector<std::pair<std::string, std::string>> favorites;
  for (size_t i = 0; i <= ui::FavoriteWatch::kMostOpened; ++i) {
    char name[16];
    snprintf(name, sizeof name, "vm-%03zu", i);
    favorites.emplace_back(name, AddVm(name));
  }
  // At each open reported (on the thread that reports it), the VMs opening then: a count
  // kept from the reports themselves can see the next open before the end of the one it
  // followed, as the watch hears of that end first.
  std::atomic<int> mostInFlight{0};
  struct Counting {
    std::vector<std::pair<std::shared_ptr<QorVM>, sigc::connection>> links;
    int Opening() const {
      return static_cast<int>(std::count_if(links.begin(), links.end(), [](const auto& link) {
        return link.first->GetOpenState() == QorVM::STATE_OPENING;
      }));
    }
    ~Counting() {
      for (auto& [vm, link] : links) vm->mOpenStateChanged.disconnect(link);
    }
  } counting;
  auto count = [&](const VMPtr& vm) {
    auto qorVM = std::static_pointer_cast<QorVM>(vm);
    counting.links.emplace_back(qorVM, qorVM->mOpenStateChanged.connect([&, raw = qorVM.get()] {
      if (raw->GetOpenState() != QorVM::STATE_OPENING) return;
      int now = counting.Opening(), most = mostInFlight;
      while (now > most && !mostInFlight.compare_exchange_weak(most, now)) {}
    }));
  };
  OlvarkServerPtr server = state->AddSavedServer(1, kHost, static_cast<unsigned>(sim.Port()), sim.Secure(), kUser,
                                                 Protect(kPassword));
  ASSERT_TRUE(server);
  for (const auto& [name, moid] : favorites) server->AddFavorite(name, moid, "[datastore1] " + name + "/" + name + ".vmx");
  for (const VMPtr& vm : server->GetVMs()) count(vm);
  state->GetFavorites()->Refresh();
  server->Login(nullptr, nullptr, false);
  EXPECT_TRUE(PumpUntil([&] { return counting.Opening() == 0 && watch->OpenedCount() == ui::FavoriteWatch::kMostOpened; }, 60000));
  PumpFor(200);
  EXPECT_EQ(watch->OpenedCount(), ui::FavoriteWatch::kMostOpened);
  EXPECT_LE(mostInFlight, static_cast<int>(ui::FavoriteWatch::kOpensAtOnce));
  EXPECT_EQ(FindVM(server, favorites.back().first)->GetOpenState(), QorVM::STATE_CLOSED) << "the last by name waits";
}

// A favorite that fails to open is left alone until its server's next search, however
// quickly that search passes.
TEST_F(FavoriteWatchTest, AFavoriteThatFailedToOpenIsTriedAgainOnlyAfterTheNextSearch) {
  const std::string moid = AddVm("web-01", 0x0002);
  watch->SetOpening(false);
  OlvarkServerPtr server = ServerWithFavorites({{"web-01", moid}});
  ASSERT_TRUE(server);
  std::shared_ptr<QorVM> vm = FindVM(server, "web-01");
  ASSERT_TRUE(vm);
  // Gone from the server behind the list's back: the open fails.
  ASSERT_TRUE(sim.Admin("removeVm", nlohmann::json({{"moid", moid}}).dump()));
  watch->SetOpening(true);
  ASSERT_TRUE(PumpUntil([&] { return vm->GetOpenState() == QorVM::STATE_OPEN_FAILED; }, 10000));
  PumpFor(300);
  EXPECT_EQ(vm->GetOpenState(), QorVM::STATE_OPEN_FAILED) << "not tried again at once";
  EXPECT_EQ(Mark("web-01"), PowerMark::kNone);

  ASSERT_TRUE(sim.Admin("addVm", nlohmann::json({{"name", "web-01"}, {"powerState", 0x0008}}).dump()));
  ASSERT_TRUE(RefreshAndWait(server));
  EXPECT_TRUE(PumpUntil([&] { return Mark("web-01") == PowerMark::kOn; }, 10000)) << "tried again after the search";
}
