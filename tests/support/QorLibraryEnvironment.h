// Loads qor.dll from bin\kilnworks by full path and binds it, as the program does, before
// any test runs; the library's time-outs are cut to a tenth (request 3 s, connect 1 s,
// event poll 1 s) for the failure cases. Register it once per test program:
//   const auto* const kQor = ::testing::AddGlobalTestEnvironment(new QorLibraryEnvironment);
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>

#include "tests/support/QorBesideProgram.h"

class QorLibraryEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    _putenv("QOR_TIMEOUT_SCALE=0.1");
    std::string problem = LoadQorBesideProgram();
    ASSERT_TRUE(problem.empty()) << problem;
  }
};
