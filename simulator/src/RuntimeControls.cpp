#include "simulator/src/RuntimeControls.h"

namespace sim {

RuntimeControls::RuntimeControls(bool unlicensed, int latencyMs, bool updateAvailable)
    : mUnlicensed(unlicensed), mLatencyMs(latencyMs), mUpdateAvailable(updateAvailable) {}

RuntimeControls::Snapshot RuntimeControls::Get() const {
  std::lock_guard<std::mutex> lock(mMutex);
  return {mUnlicensed, mLatencyMs, mSilent, mUpdateAvailable};
}

void RuntimeControls::SetUnlicensed(bool on) {
  std::lock_guard<std::mutex> lock(mMutex);
  mUnlicensed = on;
}

void RuntimeControls::SetLatencyMs(int ms) {
  std::lock_guard<std::mutex> lock(mMutex);
  mLatencyMs = ms;
}

void RuntimeControls::SetSilent(bool on) {
  std::lock_guard<std::mutex> lock(mMutex);
  mSilent = on;
  mWake.notify_all();
}

void RuntimeControls::SetUpdateAvailable(bool on) {
  std::lock_guard<std::mutex> lock(mMutex);
  mUpdateAvailable = on;
}

bool RuntimeControls::Unlicensed() const {
  std::lock_guard<std::mutex> lock(mMutex);
  return mUnlicensed;
}

bool RuntimeControls::UpdateAvailable() const {
  std::lock_guard<std::mutex> lock(mMutex);
  return mUpdateAvailable;
}

bool RuntimeControls::HoldWhileSilent() {
  std::unique_lock<std::mutex> lock(mMutex);
  mWake.wait(lock, [&] { return !mSilent || mStopping.load(); });
  return !mStopping.load();
}

bool RuntimeControls::ApplyLatency() {
  int ms;
  {
    std::lock_guard<std::mutex> lock(mMutex);
    ms = mLatencyMs;
  }
  return ms <= 0 ? !mStopping.load() : SleepFor(std::chrono::milliseconds(ms));
}

bool RuntimeControls::SleepFor(std::chrono::milliseconds duration) {
  std::unique_lock<std::mutex> lock(mMutex);
  mWake.wait_for(lock, duration, [&] { return mStopping.load(); });
  return !mStopping.load();
}

void RuntimeControls::RequestStop() {
  std::lock_guard<std::mutex> lock(mMutex);
  mStopping = true;
  mWake.notify_all();
}

}  // namespace sim
