#include "backend/VMOrder.h"

#include <algorithm>

namespace utils {
namespace {

int Sign(int value) { return value < 0 ? -1 : (value > 0 ? 1 : 0); }

}  // namespace

int CompareSortNames(const VM& a, const VM& b) {
  return Sign(a.GetSortNameKey().compare(b.GetSortNameKey()));
}

int ComparePaths(const VM& a, const VM& b) { return Sign(a.GetPathKey().compare(b.GetPathKey())); }

int CompareVMs(const VM& a, const VM& b) {
  int result = Sign(a.GetNameKey().compare(b.GetNameKey()));
  if (result == 0) result = CompareSortNames(a, b);
  if (result == 0) result = ComparePaths(a, b);
  return result;
}

void SortVMs(VMList& vms) {
  std::stable_sort(vms.begin(), vms.end(), [](const VMPtr& a, const VMPtr& b) { return CompareVMs(*a, *b) < 0; });
}

}  // namespace utils
