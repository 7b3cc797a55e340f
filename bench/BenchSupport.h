// Shared by the library benchmarks: loading qor.dll like the program, starting the
// simulator, logging in and the process's private bytes.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "backend/QorLibrary.h"
#include "bench/BenchTiming.h"
#include "tests/support/SimulatorFixture.h"


// Loads bin/kilnworks/qor.dll and binds it; prints why and returns false on failure.
bool LoadQorLibrary();
// Starts the simulator with this many VMs; prints why and returns false on failure.
bool StartSimulator(SimulatorProcess& sim, int vms);
size_t PrivateBytes();
// Bytes in use in the process's heaps (what the allocations hold; no free blocks, thread
// stacks or mapped images).
size_t HeapBytesInUse();
// Connects with QorJob_Wait; 0 (and a printed reason) on failure.
QorHandle ConnectToSimulator(const SimulatorProcess& sim);
