#include <gtest/gtest.h>
#include <sigc++/sigc++.h>
#include <windows.h>
TEST(Smoke, SignalReachesSlot) {
  sigc::signal<void> s; int n = 0;
  s.connect([&] { ++n; }); s.emit();
  EXPECT_EQ(n, 1);
  EXPECT_NE(GetCurrentThreadId(), 0u);
}
