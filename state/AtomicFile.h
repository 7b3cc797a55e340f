// Replaces a file's contents so that a crash or a full disk leaves either the old file or
// the new one, never a truncated mix.
#pragma once

#include <string>
#include <string_view>

// Writes bytes to path + ".new", flushes it to disk, then moves it over path in one step.
// On failure the old file is unchanged, the ".new" file is removed, and a line naming
// caller is logged.
bool ReplaceFileAtomically(const std::wstring& path, std::string_view bytes, const char* caller);
