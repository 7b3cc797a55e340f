// One Connect of the Add Server dialog: the probe of the typed host and, for a bare name
// that does not answer, of the name with each DNS suffix, on a worker thread of its own.
//
// The job is shared between the dialog and its worker. The dialog waits only so long for
// a worker when it closes; a worker that runs on owns everything it touches, and once the
// dialog has revoked its window it posts nothing.
#pragma once
#include <windows.h>

#include <memory>
#include <mutex>
#include <string>

class ServerProbeJob {
 public:
  // notify gets WM_CONNECT_DONE when the probe has finished.
  ServerProbeJob(std::string host, unsigned int port, bool useSsl, HWND notify);

  // Starts the worker thread; its handle, or null (logged) when no thread could be made.
  static HANDLE Start(const std::shared_ptr<ServerProbeJob>& job);

  // The worker's body: probes, retries with the suffixes, records the answer and posts.
  void Run();
  // The window goes away: nothing is posted to it afterwards.
  void Revoke();

  // Read after WM_CONNECT_DONE.
  bool Found() const;
  // The host that answered: the typed one, or the name with the suffix that worked.
  std::string FoundHost() const;

 private:
  const std::string mHost;
  const unsigned int mPort;
  const bool mUseSsl;

  mutable std::mutex mLock;
  HWND mNotify;
  bool mFound = false;
  std::string mFoundHost;
};
