// Windows die and rebind on the UI thread while library threads emit into them. No
// handler may run for a window that is gone or was rebound, and nothing may crash.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <atomic>
#include <mutex>
#include <random>
#include <set>
#include <thread>

#include "services/StringResource.h"
#include "tests/support/ServerTestSupport.h"
#include "tests/support/PopupTestSupport.h"
#include "ui/popup/Header.h"
#include "ui/popup/SignalLinks.h"
#include "ui/popup/VMItem.h"
#include "ui/window/LayoutMetrics.h"

using namespace popuptest;

namespace {

// Which probes are alive, and which binding each is in, seen from the handlers.
std::mutex gLiveLock;
std::set<std::pair<int, int>> gLive;  // (probe id, binding)
std::atomic<int> gStrayRuns{0};
std::atomic<int> gRuns{0};

class Probe : public ui::WindowImpl {
 public:
  explicit Probe(int id) : mId(id) {}
  ~Probe() override {
    Forget();
    mLinks.CutAll();
    DestroyWindow();
  }
  void Bind(std::vector<std::shared_ptr<BackendSignal>>& signals) {
    Forget();
    mLinks.CutAll();
    ++mBinding;
    {
      std::lock_guard<std::mutex> hold(gLiveLock);
      gLive.insert({mId, mBinding});
    }
    mLinks.SetWindow(Hwnd());
    const int id = mId, binding = mBinding;
    for (auto& signal : signals) {
      mLinks.Connect(signal, *signal, [this, id, binding] { Handle(id, binding); });
    }
  }

 protected:
  const wchar_t* ClassName() const override { return L"ZwTest Probe"; }
  ZW_BEGIN_MSG_MAP()
  ZW_END_MSG_MAP()

 private:
  void Handle(int id, int binding) {
    std::lock_guard<std::mutex> hold(gLiveLock);
    if (!gLive.count({id, binding}) || id != mId || binding != mBinding) ++gStrayRuns;
    ++gRuns;
  }
  void Forget() {
    std::lock_guard<std::mutex> hold(gLiveLock);
    gLive.erase({mId, mBinding});
  }
  const int mId;
  int mBinding = 0;
  ui::SignalLinks mLinks;
};

}  // namespace

TEST(SignalRace, NoHandlerRunsForAWindowThatDiedOrWasRebound) {
  std::vector<std::shared_ptr<BackendSignal>> signals;
  for (int i = 0; i < 4; ++i) signals.push_back(std::make_shared<BackendSignal>());
  std::atomic<bool> stop{false};
  std::vector<std::thread> emitters;
  for (int t = 0; t < 3; ++t) {
    emitters.emplace_back([&, t] {
      while (!stop) {
        for (auto& signal : signals) signal->emit();
        Sleep(1 + t);  // bursts, as library threads emit, not a lock held without pause
      }
    });
  }
  Parent parent;
  ASSERT_TRUE(parent.CreateParent());
  std::mt19937 random(42);
  const ULONGLONG end = GetTickCount64() + 2500;
  int created = 0;
  while (GetTickCount64() < end) {
    std::vector<std::unique_ptr<Probe>> probes;
    for (int i = 0; i < 8; ++i) {
      probes.push_back(std::make_unique<Probe>(++created));
      probes.back()->Create(parent.Hwnd(), L"", WS_CHILD, 0, RECT{0, 0, 10, 10});
      probes.back()->Bind(signals);
    }
    for (int round = 0; round < 3; ++round) {
      PumpFor(1);
      probes[random() % probes.size()]->Bind(signals);  // rebound with messages queued
    }
    probes.clear();  // die with messages still queued
  }
  stop = true;
  for (std::thread& t : emitters) t.join();
  PumpFor(50);
  EXPECT_EQ(gStrayRuns.load(), 0);
  EXPECT_GT(gRuns.load(), 100) << "the handlers must have run at all for this to mean anything";
  for (auto& signal : signals) EXPECT_EQ(signal->size(), 0u) << "every connection was cut";
  parent.DestroyWindow();
}

class RowRace : public ServerTest {
 protected:
  std::vector<std::string> SimulatorArgs() const override { return {"--vms", "60", "--power-delay-ms", "10"}; }
};

TEST_F(RowRace, RowsAndHeadersLiveAndDieWhileTheServerFloodsAndDropsSessions) {
  OlvarkServerPtr server = LoggedInServer(false);
  VMList vms = server->GetVMs();
  ASSERT_GE(vms.size(), 60u);
  std::vector<std::string> moids;
  for (const VMPtr& vm : vms) moids.push_back(std::static_pointer_cast<QorVM>(vm)->GetId());

  std::atomic<bool> stop{false};
  std::thread flood([&] {
    std::mt19937 random(7);
    const uint32_t states[] = {2, 8, 32, 0x0808, 0x0200, 4, 1};
    int n = 0;
    while (!stop) {
      const std::string& moid = moids.empty() ? std::string() : moids[random() % moids.size()];
      sim.Admin("setPower", nlohmann::json({{"moid", moid}, {"powerState", states[random() % 7]}}).dump());
      if (++n % 40 == 0) sim.Admin("dropSessions");
    }
  });

  Parent parent;
  ASSERT_TRUE(parent.CreateParent(320, 400));
  std::mt19937 random(3);
  // Eight seconds of races, and on a loaded machine longer, until enough rows were bound.
  const ULONGLONG start = GetTickCount64();
  int bound = 0;
  while (GetTickCount64() - start < 8000 || (bound <= 100 && GetTickCount64() - start < 60000)) {
    auto header = std::make_unique<ui::Header>(L"127.0.0.1", server, true, true, true, L"");
    header->CreateHeader(parent.Hwnd(), RECT{0, 0, 320, 60});
    std::vector<std::unique_ptr<ui::VMItem>> rows;
    for (int i = 0; i < 5; ++i) {
      rows.push_back(std::make_unique<ui::VMItem>());
      rows.back()->CreateRow(parent.Hwnd(), RECT{0, 60 + 64 * i, 320, 124 + 64 * i});
    }
    for (int round = 0; round < 4; ++round) {
      VMList now = server->GetVMs();
      for (auto& row : rows) {
        row->Reset();
        if (now.empty()) continue;
        auto vm = std::static_pointer_cast<QorVM>(now[random() % now.size()]);
        row->Bind(vm, 0, false, random() % 2 == 0);
        if (row->IsExpanded() && vm->GetOpenState() == QorVM::STATE_CLOSED) vm->Open();
        ++bound;
      }
      PumpFor(30);
      if (server->GetState() == VMCollection::STATE_LOGGED_OFF) server->Login(nullptr, nullptr, false);
      if (round == 2) server->Refresh();
    }
    rows.clear();
    header.reset();
  }
  stop = true;
  flood.join();
  PumpFor(100);
  EXPECT_GT(bound, 100);
  EXPECT_EQ(server->mChanged.size(), 0u) << "every row and header cut its connection";
}
