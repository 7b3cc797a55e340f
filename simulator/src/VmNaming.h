#pragma once
// Paths and ids of VMs.

#include <cstdint>
#include <optional>
#include <string>

namespace sim {

// "[datastore] name/name.vmx"
std::string PathForName(const std::string& datastore, const std::string& name);

// The datastore of "[ds] folder/file.vmx", or none when the path has no "[...]" prefix.
std::optional<std::string> DatastoreOf(const std::string& path);

// A name that can become a path: not empty, no slash, backslash or control character.
bool IsPathSafeName(const std::string& name);

std::string MoidFor(uint64_t number);
// The number of "vm-<n>", or none for other ids.
std::optional<uint64_t> MoidNumber(const std::string& moid);

}  // namespace sim
