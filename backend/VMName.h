// Names of VMs: the display name taken from a configuration path, and the comparison
// that orders VMs (the user's locale, letter case ignored).
#pragma once

#include <string>

namespace utils {

// "[ds1] web/web01.cfx" -> "web01": the text after the last "\" (or, without one, the
// last "/") up to the last "."; the whole text after the separator when the last "."
// comes before it; empty without a "." or without a separator.
std::string GetVMNameFromPath(const std::string& path);

// Compares two UTF-8 texts with CompareStringW in the user's default locale, ignoring
// case: -1, 0 or 1.
int CompareNoCase(const std::string& a, const std::string& b);

// A byte string whose plain byte order (memcmp, shorter first on a common prefix) is the
// order of CompareNoCase. Sorting thousands of VMs compares each name many times; the
// key is made once per VM instead of converting and collating at every comparison.
std::string MakeNoCaseSortKey(const std::string& text);

}  // namespace utils
