// The VM order: name, then sort name, then configuration path, each compared with
// utils::CompareNoCase (through the VMs' precomputed sort keys).
#pragma once

#include "backend/VM.h"

namespace utils {

// -1, 0 or 1. Two VMs are equal when all three names tie.
int CompareVMs(const VM& a, const VM& b);
// Keys of the list merge alone: sort name, then path.
int CompareSortNames(const VM& a, const VM& b);
int ComparePaths(const VM& a, const VM& b);

// Stable sort in VM order.
void SortVMs(VMList& vms);

}  // namespace utils
