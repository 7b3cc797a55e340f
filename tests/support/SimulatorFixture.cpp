#include "tests/support/SimulatorFixture.h"

#include "qor/HttpTransport.h"
#include "tests/support/Polling.h"
#include "tests/support/ScratchFolder.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

// The script that runs the simulator and watches the stop and heartbeat files.
const char kRunScript[] =
    "#!/bin/sh\n"
    "# $1: simulator, $2: run folder; the rest goes to the simulator.\n"
    "sim=\"$1\"; dir=\"$2\"; shift 2\n"
    "exec 2>>\"$dir/script.log\"\n"
    "\"$sim\" \"$@\" > \"$dir/output.txt\" 2>&1 &\n"
    "pid=$!\n"
    "echo \"$pid\" > \"$dir/pid\"\n"
    "misses=0\n"
    "while kill -0 \"$pid\" 2>/dev/null; do\n"
    "  [ -e \"$dir/stop\" ] && break\n"
    "  if [ -e \"$dir/heartbeat\" ]; then rm -f \"$dir/heartbeat\"; misses=0; else misses=$((misses+1)); fi\n"
    "  [ \"$misses\" -ge 25 ] && break\n"
    "  sleep 0.2\n"
    "done\n"
    "# SIGTERM, and SIGKILL when it is not gone after 0.3 s (it would wait for idle\n"
    "# keep-alive connections to time out).\n"
    "kill \"$pid\" 2>/dev/null\n"
    "for i in 1 2 3; do kill -0 \"$pid\" 2>/dev/null || break; sleep 0.1; done\n"
    "kill -9 \"$pid\" 2>/dev/null\n"
    "wait \"$pid\"\n"
    "echo \"$?\" > \"$dir/exited\"\n";

// Wine's own path conversions (kernel32 exports them under Wine only); empty when missing.
template <class To, class From>
std::basic_string<To> WinePath(const char* function, const From* path) {
  auto convert = reinterpret_cast<To* (*)(const From*)>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), function)));
  To* converted = convert ? convert(path) : nullptr;
  if (!converted) return std::basic_string<To>();
  std::basic_string<To> result(converted);
  HeapFree(GetProcessHeap(), 0, converted);
  return result;
}
std::wstring ToDosPath(const std::string& unixPath) {
  return WinePath<WCHAR>("wine_get_dos_file_name", unixPath.c_str());
}
std::string ToUnixPath(const std::wstring& dosPath) { return WinePath<char>("wine_get_unix_file_name", dosPath.c_str()); }

std::wstring Widen(const std::string& text) {
  int length = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
  std::wstring out(length > 0 ? length - 1 : 0, L'\0');
  if (length > 1) MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, &out[0], length);
  return out;
}

std::wstring Quote(const std::string& arg) { return L"\"" + Widen(arg) + L"\""; }

}  // namespace

SimulatorProcess::~SimulatorProcess() { Stop(); }

std::string SimulatorProcess::SimulatorPath() {
  const char* folder = std::getenv("ZW_NATIVE_BIN");
  if (folder && *folder) return std::string(folder) + "/zandor-sim";
  // Run by hand from build/bin: the native tree is build/native.
  std::string unixFolder = ToUnixPath(testfs::ProgramFolder() + L"\\..\\native\\bin");
  return unixFolder.empty() ? std::string() : unixFolder + "/zandor-sim";
}

bool SimulatorProcess::Fail(const std::string& message) {
  mLastError = message;
  std::string output = Output();
  if (!output.empty()) mLastError += "\nsimulator output:\n" + output;
  Stop();
  return false;
}

bool SimulatorProcess::Start(const std::vector<std::string>& extraArgs) {
  Stop();
  mLastError.clear();
  std::string simulator = SimulatorPath();
  if (simulator.empty()) return Fail("the simulator was not found: ZW_NATIVE_BIN is not set and there is no native/bin beside the program's folder");
  if (!testfs::FileExists(ToDosPath(simulator))) {
    return Fail(simulator + " does not exist; build the native tree's zandor-sim target first");
  }
  std::wstring shell = ToDosPath("/bin/sh");
  if (shell.empty()) return Fail("not running under Wine (wine_get_dos_file_name is missing)");

  static std::atomic<int> counter{0};
  wchar_t temp[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH + 1, temp);
  mRunFolder = std::wstring(temp) + L"zw-sim-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
               std::to_wstring(GetTickCount64()) + L"-" + std::to_wstring(counter++);
  if (!CreateDirectoryW(mRunFolder.c_str(), nullptr)) return Fail("cannot create the run folder");
  std::string unixFolder = ToUnixPath(mRunFolder);
  if (unixFolder.empty()) return Fail("cannot convert the run folder to a Linux path");
  if (!testfs::WriteTextFile(mRunFolder + L"\\run.sh", kRunScript)) return Fail("cannot write run.sh");
  testfs::WriteTextFile(mRunFolder + L"\\heartbeat", "");

  std::wstring commandLine = L"sh " + Quote(unixFolder + "/run.sh") + L" " + Quote(simulator) + L" " +
                             Quote(unixFolder) + L" --port 0 --admin-port auto";
  for (const std::string& arg : extraArgs) commandLine += L" " + Quote(arg);
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(shell.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process)) {
    return Fail("CreateProcessW of /bin/sh failed with " + std::to_string(GetLastError()));
  }
  // Wine gives no handles for a Linux child; close any it might give.
  if (process.hThread) CloseHandle(process.hThread);
  if (process.hProcess) CloseHandle(process.hProcess);
  mRunning = true;
  {
    std::lock_guard<std::mutex> hold(mHeartbeatLock);
    mStopHeartbeat = false;
  }
  mHeartbeat = std::thread([this] { HeartbeatLoop(); });

  ULONGLONG deadline = GetTickCount64() + 20000;
  while (GetTickCount64() < deadline) {
    std::string output = Output();
    size_t line = output.find("listening on ");
    size_t end = line == std::string::npos ? line : output.find('\n', line);
    if (end != std::string::npos) {
      char scheme[16] = {};
      char address[64] = {};
      int port = 0;
      int admin = 0;
      if (std::sscanf(output.c_str() + line, "listening on %15[a-z]://%63[0-9.]:%d admin %d", scheme, address,
                      &port, &admin) != 4) {
        return Fail("unexpected start line: " + output.substr(line, end - line));
      }
      mSecure = std::string(scheme) == "https";
      mAddress = address;
      mPort = port;
      mAdminPort = admin;
      return true;
    }
    if (testfs::FileExists(mRunFolder + L"\\exited")) return Fail("the simulator exited at start");
    Sleep(20);
  }
  return Fail("no start line from the simulator within 20 s");
}

void SimulatorProcess::HeartbeatLoop() {
  std::unique_lock<std::mutex> hold(mHeartbeatLock);
  while (!mStopHeartbeat) {
    if (!testfs::FileExists(mRunFolder + L"\\heartbeat")) testfs::WriteTextFile(mRunFolder + L"\\heartbeat", "");
    mHeartbeatStop.wait_for(hold, std::chrono::milliseconds(200));
  }
}

void SimulatorProcess::Stop() {
  if (mRunning) {
    testfs::WriteTextFile(mRunFolder + L"\\stop", "");
    polling::WaitUntil([&] { return testfs::FileExists(mRunFolder + L"\\exited"); }, 5000);
    mRunning = false;
  }
  if (mHeartbeat.joinable()) {
    {
      std::lock_guard<std::mutex> hold(mHeartbeatLock);
      mStopHeartbeat = true;
    }
    mHeartbeatStop.notify_all();
    mHeartbeat.join();
  }
  if (!mRunFolder.empty() && testfs::FileExists(mRunFolder + L"\\exited")) testfs::RemoveTree(mRunFolder);
  mPort = 0;
  mAdminPort = 0;
}

std::string SimulatorProcess::ServiceUrl() const {
  return std::string(mSecure ? "https" : "http") + "://" + mAddress + "/sdk";
}

std::string SimulatorProcess::Output() const {
  return mRunFolder.empty() ? std::string() : testfs::ReadFileBytes(mRunFolder + L"\\output.txt");
}

bool SimulatorProcess::Admin(const std::string& command, const std::string& jsonBody, std::string* answer) {
  if (!mRunning || mAdminPort == 0) {
    mLastError = "the simulator is not running";
    return false;
  }
  // The library's own transport: a JSON POST over plain http to the admin port.
  QorError error = QOR_OK;
  const auto transport =
      qor::HttpTransport::Create({L"127.0.0.1", "127.0.0.1", static_cast<uint16_t>(mAdminPort), false}, &error);
  const qor::HttpReply reply = transport ? transport->Post(("/admin/" + command).c_str(), jsonBody, 20000)
                                         : qor::HttpReply{error};
  if (answer) *answer = reply.body;
  if (reply.error != QOR_OK) {
    mLastError = "admin " + command + " failed with WinHTTP error " + std::to_string(reply.systemError);
  } else if (reply.status != 200) {
    mLastError = "admin " + command + " answered " + std::to_string(reply.status) + ": " + reply.body;
  }
  return reply.error == QOR_OK && reply.status == 200;
}
