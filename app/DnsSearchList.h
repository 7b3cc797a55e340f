// The computer's DNS suffix search list, as the Add Server dialog retries a bare name with it.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace utils {

// The "SearchList" string under HKLM\SYSTEM\CurrentControlSet\services\Tcpip\Parameters,
// split at every ','; empty pieces are dropped, nothing else is trimmed. A missing value
// gives an empty list. UTF-8, ready to append to a host name.
std::vector<std::string> ReadDnsSearchList();

// Tests: read the value from root\path instead (nullptr: back to the real key).
void SetDnsSearchListKeyForTesting(HKEY root, const wchar_t* path);

}  // namespace utils
