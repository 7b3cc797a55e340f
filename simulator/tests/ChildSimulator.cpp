#include "simulator/tests/ChildSimulator.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <thread>

namespace simtest {

std::string ChildSimulator::ProgramPath() {
  char self[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  if (n <= 0) return "zandor-sim";
  std::string path(self, static_cast<size_t>(n));
  return path.substr(0, path.rfind('/') + 1) + "zandor-sim";
}

ChildSimulator::~ChildSimulator() {
  if (mPid > 0) {
    kill(mPid, SIGKILL);
    waitpid(mPid, nullptr, 0);
  }
  if (mStdout >= 0) close(mStdout);
}

bool ChildSimulator::Start(const std::vector<std::string>& args, const std::string& stderrFile) {
  int pipeFds[2];
  if (pipe2(pipeFds, O_CLOEXEC) != 0) return false;
  std::string program = ProgramPath();
  std::vector<char*> argv;
  argv.push_back(program.data());
  std::vector<std::string> copies(args);
  for (auto& a : copies) argv.push_back(a.data());
  argv.push_back(nullptr);

  mPid = fork();
  if (mPid < 0) return false;
  if (mPid == 0) {
    dup2(pipeFds[1], STDOUT_FILENO);
    int err = open(stderrFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (err >= 0) dup2(err, STDERR_FILENO);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  close(pipeFds[1]);
  mStdout = pipeFds[0];
  return true;
}

// Reads what the program writes until `done` holds, the deadline passes or it closes its output.
template <typename Done>
static void ReadUntil(int fd, std::string& buffer, std::chrono::milliseconds timeout, Done done) {
  auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!done()) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return;
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, static_cast<int>(left.count())) <= 0) continue;
    char chunk[256];
    ssize_t n = read(fd, chunk, sizeof chunk);
    if (n <= 0) return;
    buffer.append(chunk, static_cast<size_t>(n));
  }
}

std::string ChildSimulator::ReadLine(std::chrono::milliseconds timeout) {
  ReadUntil(mStdout, mBuffered, timeout, [&] { return mBuffered.find('\n') != std::string::npos; });
  auto end = mBuffered.find('\n');
  if (end == std::string::npos) return std::string();  // none in time, or the program ended without one
  std::string line = mBuffered.substr(0, end);
  mBuffered.erase(0, end + 1);
  return line;
}

void ChildSimulator::Signal(int signal) {
  if (mPid > 0) kill(mPid, signal);
}

int ChildSimulator::WaitForExit(std::chrono::milliseconds timeout) {
  if (mPid <= 0) return -1;
  auto deadline = std::chrono::steady_clock::now() + timeout;
  int status = 0;
  while (true) {
    pid_t done = waitpid(mPid, &status, WNOHANG);
    if (done == mPid) break;
    if (std::chrono::steady_clock::now() >= deadline) {
      kill(mPid, SIGKILL);
      waitpid(mPid, nullptr, 0);
      mPid = -1;
      return -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  mPid = -1;
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return -1;
}

}  // namespace simtest
