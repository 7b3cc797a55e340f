// Merging a server's VM list with the list a fresh search found, so that VMs found again
// keep their objects (open handle, rows, favorite flag, last use).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "backend/VM.h"

namespace utils {

// fresh must be in VM order; the result keeps that order. For each fresh VM:
// - an old VM with the same sort name and the same path takes its place, so the old
//   object lives on;
// - else an old VM with the same sort name whose path differs (only in letter case,
//   preferred, or wholly: the VM moved) passes its favorite flag and last use to the
//   fresh one and is dropped: the fresh path is the one the server now answers to;
// - else the fresh VM is new.
// Old VMs that match nothing are dropped. Dropped VMs are moved to `dropped` so that the
// caller can let go of them outside its locks. Both inputs are emptied.
VMList MergeVMLists(VMList& old, VMList& fresh, VMList& dropped);

// The same merge from the paths a search found, in any order: an old VM whose path and name
// are the found ones is kept without making a VM for it (a refresh of thousands then makes
// only the new ones, and no sort key twice); makeVM makes the others. The result is in VM
// order and equals MergeVMLists over a VM made for every path. `old` is emptied.
VMList MergeFoundPaths(VMList& old, const std::vector<std::string>& paths,
                       const std::function<VMPtr(const std::string& path)>& makeVM, VMList& dropped);

}  // namespace utils
