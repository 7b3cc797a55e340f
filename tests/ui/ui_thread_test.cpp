#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

#include <sigc++/sigc++.h>

#include "TestWindows.h"
#include "ui/window/Messages.h"
#include "ui/window/UiThread.h"

using testwin::PumpPending;
using testwin::Recorder;

namespace {

struct Target : sigc::trackable {
  DWORD ranOnThread = 0;
  int runs = 0;
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

// Counts its runs outside the object, so a run after its death would still be seen.
struct Doomed : sigc::trackable {
  static int runs;
  void Handle() { ++runs; }
};
int Doomed::runs = 0;

}  // namespace

TEST(UiThread, SlotPostedFromAnotherThreadRunsOnceOnTheWindowsThread) {
  Recorder w;
  HWND hwnd = w.CreateTopLevel();
  Target target;
  std::thread worker([&] { ui::PostToWindow(hwnd, sigc::mem_fun(target, &Target::Handle)); });
  worker.join();
  EXPECT_EQ(target.runs, 0);  // nothing runs on the worker
  PumpPending();
  EXPECT_EQ(target.runs, 1);
  EXPECT_EQ(target.ranOnThread, GetCurrentThreadId());
}

TEST(UiThread, SlotWhoseTargetDiedDoesNothing) {
  Recorder w;
  HWND hwnd = w.CreateTopLevel();
  Doomed::runs = 0;
  auto target = std::make_unique<Doomed>();
  ASSERT_TRUE(ui::PostToWindow(hwnd, sigc::mem_fun(*target, &Doomed::Handle)));
  // Queued behind it, to show the pump did deliver the first one.
  auto laterRuns = std::make_shared<int>(0);
  ASSERT_TRUE(ui::PostToWindow(hwnd, Counted(laterRuns)));
  target.reset();  // the trackable cuts the posted slot
  PumpPending();
  EXPECT_EQ(*laterRuns, 1);
  EXPECT_EQ(Doomed::runs, 0);
}

TEST(UiThread, PostingToAGoneWindowFailsAndFreesTheCopy) {
  auto runs = std::make_shared<int>(0);
  HWND hwnd;
  {
    Recorder w;
    hwnd = w.CreateTopLevel();
  }
  int before = Counted::live;
  EXPECT_FALSE(ui::PostToWindow(hwnd, Counted(runs)));
  EXPECT_FALSE(ui::PostToWindow(nullptr, Counted(runs)));
  EXPECT_EQ(Counted::live, before);
  EXPECT_EQ(*runs, 0);
}

TEST(UiThread, SlotsStillQueuedWhenTheWindowDiesAreFreedNotRunAndAQuitStaysForTheLoop) {
  auto runs = std::make_shared<int>(0);
  int before = Counted::live;
  {
    Recorder w;
    HWND hwnd = w.CreateTopLevel();
    for (int i = 0; i < 5; ++i) ASSERT_TRUE(ui::PostToWindow(hwnd, Counted(runs)));
    EXPECT_EQ(Counted::live, before + 5);
    PostQuitMessage(7);
    w.DestroyWindow();
  }
  EXPECT_EQ(Counted::live, before);
  EXPECT_EQ(*runs, 0);
  MSG msg = {};
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(static_cast<UINT>(WM_QUIT), msg.message);
  EXPECT_EQ(7u, msg.wParam);
}

TEST(UiThread, BlockedSlotIsSkippedAndFreed) {
  auto runs = std::make_shared<int>(0);
  Recorder w;
  HWND hwnd = w.CreateTopLevel();
  sigc::slot<void> slot = Counted(runs);
  slot.block();
  ASSERT_TRUE(ui::PostToWindow(hwnd, slot));
  PumpPending();
  EXPECT_EQ(*runs, 0);
}
