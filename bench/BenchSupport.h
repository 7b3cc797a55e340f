// Shared by the library benchmarks: loading qor.dll like the program, a clock, the
// process's private bytes and percentiles.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "backend/QorLibrary.h"
#include "tests/support/SimulatorFixture.h"

inline const QorFunctions& Qor() { return QorLibrary::Api(); }

// Loads bin/kilnworks/qor.dll and binds it; prints why and returns false on failure.
bool LoadQorLibrary();
double NowMs();
size_t PrivateBytes();
double Percentile(std::vector<double> values, double fraction);
// Connects with QorJob_Wait; 0 (and a printed reason) on failure.
QorHandle ConnectToSimulator(const SimulatorProcess& sim);
