// Helpers for the back-end model tests that need no server.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

#include "backend/QorVM.h"
#include "backend/RecentUse.h"

// A fixed "now" for the recent-use window, and a duration the test sets.
struct TestClock {
  static inline int64_t now = 1700000000;
  static inline int32_t days = 7;
  static int64_t Now() { return now; }
  static int32_t Days() { return days; }
};

// A fixture with TestClock installed at its defaults.
class ClockTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TestClock::now = 1700000000;
    TestClock::days = 7;
    utils::SetTimeSource(&TestClock::Now);
    utils::SetRecentDurationSource(&TestClock::Days);
  }
  void TearDown() override {
    utils::SetTimeSource(nullptr);
    utils::SetRecentDurationSource(nullptr);
  }
};

// A VM without a server, as a search would make it.
inline std::shared_ptr<QorVM> MakeVM(const std::string& name, const std::string& path) {
  return QorVM::Create(name, std::string(), path, nullptr);
}

inline std::string PathOf(const std::string& name, const std::string& folder = std::string()) {
  return "[datastore1] " + (folder.empty() ? name : folder) + "/" + name + ".vmx";
}
