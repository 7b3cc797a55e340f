#include "simulator/src/HostModel.h"

#include <algorithm>

#include "simulator/src/VmNaming.h"

namespace sim {

HostModel::HostModel(std::vector<Vm> vms, size_t eventCapacity) : mEvents(eventCapacity) {
  mOrder.reserve(vms.size());
  for (auto& vm : vms) {
    if (auto number = MoidNumber(vm.moid); number && *number >= mNextMoidNumber) mNextMoidNumber = *number + 1;
    mOrder.push_back(vm.moid);
    mMoidByPath[vm.path] = vm.moid;
    std::string moid = vm.moid;
    mByMoid.emplace(std::move(moid), std::move(vm));
  }
}

std::vector<Vm> HostModel::List(uint64_t* seq) const {
  std::lock_guard<std::mutex> lock(mMutex);
  std::vector<Vm> out;
  out.reserve(mOrder.size());
  for (const auto& moid : mOrder) out.push_back(mByMoid.at(moid));
  if (seq) *seq = mEvents.NewestSeq();
  return out;
}

size_t HostModel::Count() const {
  std::lock_guard<std::mutex> lock(mMutex);
  return mOrder.size();
}

uint64_t HostModel::NewestSeq() const {
  std::lock_guard<std::mutex> lock(mMutex);
  return mEvents.NewestSeq();
}

std::optional<Vm> HostModel::Find(const std::string* moid, const std::string* path) const {
  std::lock_guard<std::mutex> lock(mMutex);
  std::string key;
  if (moid) {
    key = *moid;
  } else if (path) {
    auto it = mMoidByPath.find(*path);
    if (it == mMoidByPath.end()) return std::nullopt;
    key = it->second;
  } else {
    return std::nullopt;
  }
  auto it = mByMoid.find(key);
  if (it == mByMoid.end()) return std::nullopt;
  if (path && it->second.path != *path) return std::nullopt;
  return it->second;
}

Vm* HostModel::FindLocked(const std::string& moid) {
  auto it = mByMoid.find(moid);
  return it == mByMoid.end() ? nullptr : &it->second;
}

bool HostModel::PathTaken(const std::string& path, const std::string& exceptMoid) const {
  auto it = mMoidByPath.find(path);
  return it != mMoidByPath.end() && it->second != exceptMoid;
}

void HostModel::RecordLocked(const char* kind, const Vm& vm, const std::string& oldPath) {
  Change change;
  change.kind = kind;
  change.moid = vm.moid;
  change.name = vm.name;
  change.path = vm.path;
  change.oldPath = oldPath;
  change.powerState = vm.powerState;
  mEvents.Append(std::move(change));
  mChanged.notify_all();
}

HostModel::Transition HostModel::BeginPower(const std::string& moid, PowerAction action) {
  std::lock_guard<std::mutex> lock(mMutex);
  Transition t;
  Vm* vm = FindLocked(moid);
  if (!vm) {
    t.status = Status::Failure(kErrVmNotFound, "The VM '" + moid + "' was not found");
    return t;
  }
  auto plan = PlanPowerAction(action, vm->powerState);
  if (!plan) {
    t.status = Status::Failure(kErrInvalidPowerState, "The operation is not allowed in the current state");
    return t;
  }
  t.plan = *plan;
  vm->powerState = plan->transition;
  t.generation = ++vm->powerGeneration;
  RecordLocked("power", *vm);
  return t;
}

Status HostModel::FinishPower(const std::string& moid, const Transition& transition) {
  std::lock_guard<std::mutex> lock(mMutex);
  Vm* vm = FindLocked(moid);
  if (!vm) return Status::Failure(kErrVmNotFound, "The VM '" + moid + "' was removed during the operation");
  if (vm->powerGeneration != transition.generation)
    return Status::Failure(kErrInvalidPowerState,
                           "The operation is not allowed in the current state (the state was changed meanwhile)");
  vm->powerState = transition.plan.settled;
  ++vm->powerGeneration;
  RecordLocked("power", *vm);
  return Status::Success();
}

Status HostModel::Add(const std::string& name, const std::optional<std::string>& path, uint32_t powerState,
                      Vm* added) {
  std::lock_guard<std::mutex> lock(mMutex);
  Vm vm;
  vm.name = name;
  if (path) {
    vm.path = *path;
  } else if (IsPathSafeName(name)) {
    vm.path = PathForName("datastore1", name);
  } else {
    return Status::Failure(kErrBadArgument, "a name with '/', '\\' or control characters needs an explicit path");
  }
  if (PathTaken(vm.path, std::string())) return Status::Failure(kErrBadArgument, "path '" + vm.path + "' is in use");
  // Skip ids that an inventory file gave in another style but that happen to collide.
  do {
    vm.moid = MoidFor(mNextMoidNumber++);
  } while (mByMoid.count(vm.moid) != 0);
  vm.powerState = powerState;
  mOrder.push_back(vm.moid);
  mMoidByPath[vm.path] = vm.moid;
  auto& stored = mByMoid.emplace(vm.moid, vm).first->second;
  RecordLocked("added", stored);
  if (added) *added = stored;
  return Status::Success();
}

Status HostModel::Remove(const std::string& moid) {
  std::lock_guard<std::mutex> lock(mMutex);
  auto it = mByMoid.find(moid);
  if (it == mByMoid.end()) return Status::Failure(kErrVmNotFound, "no VM with moid '" + moid + "'");
  Vm removed = std::move(it->second);
  mByMoid.erase(it);
  mMoidByPath.erase(removed.path);
  mOrder.erase(std::find(mOrder.begin(), mOrder.end(), moid));
  RecordLocked("removed", removed);
  return Status::Success();
}

Status HostModel::Rename(const std::string& moid, const std::string& name, const std::optional<std::string>& path,
                         Vm* renamed) {
  std::lock_guard<std::mutex> lock(mMutex);
  Vm* vm = FindLocked(moid);
  if (!vm) return Status::Failure(kErrVmNotFound, "no VM with moid '" + moid + "'");
  std::string newPath;
  if (path) {
    newPath = *path;
  } else if (IsPathSafeName(name)) {
    newPath = PathForName(DatastoreOf(vm->path).value_or("datastore1"), name);
  } else {
    return Status::Failure(kErrBadArgument, "a name with '/', '\\' or control characters needs an explicit path");
  }
  if (PathTaken(newPath, moid)) return Status::Failure(kErrBadArgument, "path '" + newPath + "' is in use");
  std::string oldPath = vm->path;
  mMoidByPath.erase(oldPath);
  mMoidByPath[newPath] = moid;
  vm->name = name;
  vm->path = newPath;
  RecordLocked("renamed", *vm, oldPath);
  if (renamed) *renamed = *vm;
  return Status::Success();
}

Status HostModel::SetPower(const std::string& moid, uint32_t powerState) {
  std::lock_guard<std::mutex> lock(mMutex);
  Vm* vm = FindLocked(moid);
  if (!vm) return Status::Failure(kErrVmNotFound, "no VM with moid '" + moid + "'");
  vm->powerState = powerState;
  ++vm->powerGeneration;  // a power operation running now will report that it was interrupted
  RecordLocked("power", *vm);
  return Status::Success();
}

HostModel::Batch HostModel::WaitForChanges(uint64_t since, std::chrono::milliseconds wait,
                                           const std::function<bool()>& abort) {
  std::unique_lock<std::mutex> lock(mMutex);
  Batch batch;
  // A client from an earlier run (since beyond the newest) is answered at once.
  auto ready = [&] { return mEvents.HasNewerThan(since) || since > mEvents.NewestSeq() || abort(); };
  mChanged.wait_for(lock, wait, ready);
  batch.changes = mEvents.Since(since, &batch.resync);
  batch.seq = mEvents.NewestSeq();
  batch.aborted = abort();
  return batch;
}

void HostModel::WakeWaiters() {
  std::lock_guard<std::mutex> lock(mMutex);
  mChanged.notify_all();
}

}  // namespace sim
