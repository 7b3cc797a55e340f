#pragma once
// The simulated host's VMs and their change record, behind one lock so that a
// listing and the sequence number it reports always agree.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "simulator/src/EventLog.h"
#include "simulator/src/PowerState.h"
#include "simulator/src/SdkErrors.h"
#include "simulator/src/Vm.h"

namespace sim {

class HostModel {
 public:
  // The VMs must have unique moids and paths (the inventory readers make sure).
  explicit HostModel(std::vector<Vm> vms, size_t eventCapacity = 20000);

  std::vector<Vm> List(uint64_t* seq) const;
  size_t Count() const;
  uint64_t NewestSeq() const;
  // A VM by moid and/or path (both given: both must match).
  std::optional<Vm> Find(const std::string* moid, const std::string* path) const;

  // Power operations run in two steps around the transition delay.
  struct Transition {
    Status status;
    PowerPlan plan{};
    uint64_t generation = 0;
  };
  Transition BeginPower(const std::string& moid, PowerAction action);
  // Settles the VM unless it was removed (4000) or its state was changed meanwhile (3006).
  Status FinishPower(const std::string& moid, const Transition& transition);

  // Changes made through the admin interface; each records one change.
  Status Add(const std::string& name, const std::optional<std::string>& path, uint32_t powerState, Vm* added);
  Status Remove(const std::string& moid);
  Status Rename(const std::string& moid, const std::string& name, const std::optional<std::string>& path, Vm* renamed);
  Status SetPower(const std::string& moid, uint32_t powerState);

  struct Batch {
    uint64_t seq = 0;
    std::vector<Change> changes;
    bool resync = false;
    bool aborted = false;  // abort() was true when the wait ended
  };
  // Waits up to `wait` for a change after `since`; abort() is checked under the lock
  // whenever the waiters are woken (a change, WakeWaiters).
  Batch WaitForChanges(uint64_t since, std::chrono::milliseconds wait, const std::function<bool()>& abort);
  // Makes waiters check their abort condition again (shutdown, dropped sessions).
  void WakeWaiters();

 private:
  Vm* FindLocked(const std::string& moid);
  bool PathTaken(const std::string& path, const std::string& exceptMoid) const;
  void RecordLocked(const char* kind, const Vm& vm, const std::string& oldPath = std::string());

  mutable std::mutex mMutex;
  std::condition_variable mChanged;
  std::vector<std::string> mOrder;                 // moids in inventory order
  std::unordered_map<std::string, Vm> mByMoid;
  std::unordered_map<std::string, std::string> mMoidByPath;
  uint64_t mNextMoidNumber = 1;
  EventLog mEvents;
};

}  // namespace sim
