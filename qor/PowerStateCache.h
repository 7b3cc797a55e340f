// The power states of a host's VMs as last learnt. While the host's event stream is
// live (polling without gaps) the entries are current and authoritative: an older
// answer (an open or a power operation that started earlier) must not overwrite a
// newer event.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <unordered_map>

namespace qor {

class PowerStateCache {
 public:
  // From the event stream; true when the state differs from what was known.
  bool ApplyEvent(const std::string& moid, int32_t state);
  // From an open or a power operation's answer: taken unless the stream is live and
  // already knows this VM.
  void ApplyAnswer(const std::string& moid, int32_t state);
  // The known state, when the stream is live (otherwise it may be stale).
  bool GetCurrent(const std::string& moid, int32_t* state) const;
  // The last known state, live or not.
  bool GetLastKnown(const std::string& moid, int32_t* state) const;
  void SetLive(bool live);
  bool IsLive() const;

 private:
  mutable std::mutex mLock;
  std::unordered_map<std::string, int32_t> mStates;
  bool mLive = false;
};

}  // namespace qor
