#include "backend/VMOrder.h"

#include <algorithm>

namespace utils {
namespace {

int Sign(int value) { return value < 0 ? -1 : (value > 0 ? 1 : 0); }

}  // namespace

int CompareSortNames(const VM& a, const VM& b) {
  return Sign(a.GetOrderKey().sortName.compare(b.GetOrderKey().sortName));
}

int ComparePaths(const VM& a, const VM& b) { return Sign(a.GetOrderKey().cfxPath.compare(b.GetOrderKey().cfxPath)); }

int CompareVMs(const VM& a, const VM& b) {
  int result = Sign(a.GetOrderKey().name.compare(b.GetOrderKey().name));
  if (result == 0) result = CompareSortNames(a, b);
  if (result == 0) result = ComparePaths(a, b);
  return result;
}

void SortVMs(VMList& vms) {
  std::stable_sort(vms.begin(), vms.end(), [](const VMPtr& a, const VMPtr& b) { return CompareVMs(*a, *b) < 0; });
}

}  // namespace utils
