#pragma once
// Settings that the admin interface changes while the server runs, and the stop
// flag that ends every wait (latency, silent mode, power transitions) at shutdown.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace sim {

class RuntimeControls {
 public:
  struct Snapshot {
    bool unlicensed;
    int latencyMs;
    bool silent;
    bool updateAvailable;
  };

  RuntimeControls(bool unlicensed, int latencyMs, bool updateAvailable);

  Snapshot Get() const;
  void SetUnlicensed(bool on);
  void SetLatencyMs(int ms);
  void SetSilent(bool on);  // switching it off releases the held requests
  void SetUpdateAvailable(bool on);
  bool Unlicensed() const;
  bool UpdateAvailable() const;

  // Each returns false when the server is stopping.
  bool HoldWhileSilent();
  bool ApplyLatency();
  bool SleepFor(std::chrono::milliseconds duration);

  void RequestStop();
  bool Stopping() const { return mStopping.load(); }

 private:
  mutable std::mutex mMutex;
  std::condition_variable mWake;
  bool mUnlicensed;
  int mLatencyMs;
  bool mSilent = false;
  bool mUpdateAvailable;
  std::atomic<bool> mStopping{false};
};

}  // namespace sim
