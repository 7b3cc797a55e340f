// Typed reads of single registry values. A missing key or value, or one of another
// type, reads as "not there" (false); nothing is logged, since absence is an answer.
#pragma once
#include <windows.h>

#include <string>

namespace utils {

// True only when the value exists as a 32-bit number (REG_DWORD, 4 bytes).
bool ReadRegistryDword(HKEY root, const wchar_t* key, const wchar_t* value, DWORD& data);

// True only when the value exists as a REG_SZ string; text receives it without any
// terminating zeros (the stored value need not be terminated).
bool ReadRegistryString(HKEY root, const wchar_t* key, const wchar_t* value, std::wstring& text);

}  // namespace utils
