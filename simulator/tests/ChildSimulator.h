#pragma once
// Runs zandor-sim as a child process (from the test executable's folder) and
// reads its start line.

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

namespace simtest {

class ChildSimulator {
 public:
  ~ChildSimulator();

  // Starts the program with args; stderr goes to stderrFile. Returns false when it
  // could not be started.
  bool Start(const std::vector<std::string>& args, const std::string& stderrFile);
  // The first stdout line, or empty when none came within the timeout.
  std::string ReadLine(std::chrono::milliseconds timeout);
  void Signal(int signal);
  // The exit code, -1 when it did not exit in time (then it is killed), or 128 + signal.
  int WaitForExit(std::chrono::milliseconds timeout);

  static std::string ProgramPath();

 private:
  pid_t mPid = -1;
  int mStdout = -1;
  std::string mBuffered;
};

}  // namespace simtest
