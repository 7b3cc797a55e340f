// The anonymous pipe that hands the password to the console's standard input: the read
// end is inherited by the child, the write end stays with us.
#pragma once

#include <windows.h>

#include <vector>

namespace utils {

class ConsoleCredentialPipe {
 public:
  // Anonymous pipes hold this much without a reader on Windows and Wine alike; a longer
  // secret would block the UI thread until the child reads, so it is refused.
  static constexpr size_t kMaxSecretBytes = 4096;
  static constexpr int kWaitSteps = 20;
  static constexpr DWORD kWaitStepMs = 150;

  ConsoleCredentialPipe() = default;
  ~ConsoleCredentialPipe() { Close(); }
  ConsoleCredentialPipe(const ConsoleCredentialPipe&) = delete;
  ConsoleCredentialPipe& operator=(const ConsoleCredentialPipe&) = delete;

  // Makes the pipe with an inheritable read end and a private write end. False (and a
  // log line under logName) when it cannot be made.
  bool Create(const char* logName);
  bool IsOpen() const { return mRead != nullptr; }
  HANDLE ChildEnd() const { return mRead; }

  // Writes the whole secret (its terminating zero included) in one write, then waits until
  // the child has started reading, at most kWaitSteps x kWaitStepMs. The secret is wiped
  // in every case. False when nothing could be written.
  bool Deliver(std::vector<char>& secret, const char* logName);

  void Close();

 private:
  void WaitForReader(DWORD written);

  HANDLE mRead = nullptr;
  HANDLE mWrite = nullptr;
};

}  // namespace utils
