#include "simulator/src/VmNaming.h"

namespace sim {

std::string PathForName(const std::string& datastore, const std::string& name) {
  return "[" + datastore + "] " + name + "/" + name + ".vmx";
}

std::optional<std::string> DatastoreOf(const std::string& path) {
  if (path.size() < 3 || path[0] != '[') return std::nullopt;
  auto close = path.find(']');
  if (close == std::string::npos || close == 1) return std::nullopt;
  return path.substr(1, close - 1);
}

bool IsPathSafeName(const std::string& name) {
  if (name.empty()) return false;
  for (unsigned char c : name) {
    if (c == '/' || c == '\\' || c < 0x20 || c == 0x7f) return false;
  }
  return true;
}

std::string MoidFor(uint64_t number) { return "vm-" + std::to_string(number); }

std::optional<uint64_t> MoidNumber(const std::string& moid) {
  if (moid.size() < 4 || moid.compare(0, 3, "vm-") != 0 || moid.size() > 3 + 19) return std::nullopt;
  uint64_t value = 0;
  for (size_t i = 3; i < moid.size(); ++i) {
    if (moid[i] < '0' || moid[i] > '9') return std::nullopt;
    value = value * 10 + static_cast<uint64_t>(moid[i] - '0');
  }
  return value;
}

}  // namespace sim
