#include "app/ServerProbeJob.h"

#include <process.h>

#include <utility>

#include "app/DnsSearchList.h"
#include "backend/OlvarkServer.h"
#include "log/Log.h"
#include "ui/window/Messages.h"

namespace {

const char kProbeLogName[] = "AddServerDlg::Connect";

unsigned __stdcall ProbeThread(void* param) {
  auto* held = static_cast<std::shared_ptr<ServerProbeJob>*>(param);
  std::shared_ptr<ServerProbeJob> job = std::move(*held);
  delete held;
  job->Run();
  return 0;
}

}  // namespace

ServerProbeJob::ServerProbeJob(std::string host, unsigned int port, bool useSsl, HWND notify)
    : mHost(std::move(host)), mPort(port), mUseSsl(useSsl), mNotify(notify) {}

HANDLE ServerProbeJob::Start(const std::shared_ptr<ServerProbeJob>& job) {
  auto* held = new std::shared_ptr<ServerProbeJob>(job);
  const uintptr_t thread = _beginthreadex(nullptr, 0, ProbeThread, held, 0, nullptr);
  if (thread == 0) {
    Log("%s: The connect thread could not be started (error %d).\n", kProbeLogName, errno);
    delete held;
    return nullptr;
  }
  return reinterpret_cast<HANDLE>(thread);
}

void ServerProbeJob::Run() {
  Log("%s: Attempting to connect to hostname '%s'.\n", kProbeLogName, mHost.c_str());
  bool found = OlvarkServer::Probe(mHost, mPort, mUseSsl);
  std::string foundHost = mHost;
  // A name with a dot (or an address) is taken as complete.
  if (!found && mHost.find('.') == std::string::npos) {
    for (const std::string& suffix : utils::ReadDnsSearchList()) {
      const std::string candidate = mHost + "." + suffix;
      Log("%s: Retrying hostname as '%s'.\n", kProbeLogName, candidate.c_str());
      if (OlvarkServer::Probe(candidate, mPort, mUseSsl)) {
        Log("%s: Appending DNS suffix worked. Qualified server name is '%s'.\n", kProbeLogName, candidate.c_str());
        found = true;
        foundHost = candidate;
        break;
      }
    }
  }
  std::lock_guard<std::mutex> hold(mLock);
  mFound = found;
  mFoundHost = foundHost;
  if (mNotify) PostMessageW(mNotify, WM_CONNECT_DONE, 0, 0);
}

void ServerProbeJob::Revoke() {
  std::lock_guard<std::mutex> hold(mLock);
  mNotify = nullptr;
}

bool ServerProbeJob::Found() const {
  std::lock_guard<std::mutex> hold(mLock);
  return mFound;
}

std::string ServerProbeJob::FoundHost() const {
  std::lock_guard<std::mutex> hold(mLock);
  return mFoundHost;
}
