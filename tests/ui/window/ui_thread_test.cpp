// Slots posted to a window's thread: run there once, or freed without running when their
// target, their window or their turn is gone.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

#include <sigc++/sigc++.h>

#include "TestWindows.h"
#include "tests/support/PopupTestSupport.h"
#include "ui/window/UiThread.h"

using testwin::Recorder;

namespace {

// Counts its runs outside the object, so a run after its death would still be seen.
struct Target : sigc::trackable {
  static inline DWORD ranOnThread = 0;
  static inline int runs = 0;
  void Handle() {
    ranOnThread = GetCurrentThreadId();
    ++runs;
  }
};

// Counts live copies, to prove that every posted slot is freed.
struct Counted {
  static std::atomic<int> live;
  std::shared_ptr<int> runs;
  explicit Counted(std::shared_ptr<int> r) : runs(std::move(r)) { ++live; }
  Counted(const Counted& o) : runs(o.runs) { ++live; }
  ~Counted() { --live; }
  void operator()() const { ++*runs; }
};
std::atomic<int> Counted::live{0};

}  // namespace

// A slot posted from another thread runs once, on the window's thread. One whose target died
// or that is blocked does nothing and is freed; queued behind those, one that does run shows
// that the pump delivered them.
TEST(UiThread, ASlotPostedFromAnotherThreadRunsOnceThereAndOneWhoseTargetOrWindowDiedOrThatIsBlockedIsFreed) {
  Recorder w;
  HWND hwnd = w.CreateTopLevel();
  Target posted;
  std::thread worker([&] { ui::PostToWindow(hwnd, sigc::mem_fun(posted, &Target::Handle)); });
  worker.join();
  EXPECT_EQ(Target::runs, 0);  // nothing runs on the worker
  popuptest::PumpFor(0);
  EXPECT_EQ(Target::runs, 1);
  EXPECT_EQ(Target::ranOnThread, GetCurrentThreadId());

  auto target = std::make_unique<Target>();
  const int live = Counted::live;
  auto blockedRuns = std::make_shared<int>(0), laterRuns = std::make_shared<int>(0);
  ASSERT_TRUE(ui::PostToWindow(hwnd, sigc::mem_fun(*target, &Target::Handle)));
  sigc::slot<void> blocked = Counted(blockedRuns);
  blocked.block();
  ASSERT_TRUE(ui::PostToWindow(hwnd, blocked));
  blocked = sigc::slot<void>();
  ASSERT_TRUE(ui::PostToWindow(hwnd, Counted(laterRuns)));
  target.reset();  // the trackable cuts the posted slot
  popuptest::PumpFor(0);
  EXPECT_EQ(*laterRuns, 1);
  EXPECT_EQ(Target::runs, 1) << "the dead target's slot ran";
  EXPECT_EQ(*blockedRuns, 0);
  EXPECT_EQ(Counted::live, live);

  // Slots for a gone window are freed, not run, and a quit stays for the loop.
  auto runs = std::make_shared<int>(0);
  for (int i = 0; i < 5; ++i) ASSERT_TRUE(ui::PostToWindow(hwnd, Counted(runs)));
  EXPECT_EQ(Counted::live, live + 5);
  PostQuitMessage(7);
  w.DestroyWindow();
  EXPECT_EQ(Counted::live, live) << "still queued when the window died";
  EXPECT_FALSE(ui::PostToWindow(hwnd, Counted(runs)));
  EXPECT_FALSE(ui::PostToWindow(nullptr, Counted(runs)));
  EXPECT_EQ(Counted::live, live) << "posting to no window";
  EXPECT_EQ(*runs, 0);
  MSG msg = {};
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(static_cast<UINT>(WM_QUIT), msg.message);
  EXPECT_EQ(7u, msg.wParam);
}
