// The name shown for a VM, taken from its configuration path as the program's VM rows do:
// "[ds1] web/web01.cfx" is "web01".
#pragma once

#include <string>

namespace lumacon {

// UTF-8 in and out; empty when the path has no "." or no "\" or "/".
std::string VmNameFromPath(const std::string& path);

}  // namespace lumacon
