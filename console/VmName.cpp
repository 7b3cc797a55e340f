#include "console/VmName.h"

namespace lumacon {

// Searching for the ASCII separators byte by byte is safe in UTF-8: no byte of a
// multi-byte character is below 0x80.
std::string VmNameFromPath(const std::string& path) {
  size_t dot = path.rfind('.');
  if (dot == std::string::npos) return std::string();
  size_t separator = path.rfind('\\');
  if (separator == std::string::npos) separator = path.rfind('/');
  if (separator == std::string::npos) return std::string();
  if (separator > dot) return path.substr(separator + 1);
  return path.substr(separator + 1, dot - separator - 1);
}

}  // namespace lumacon
