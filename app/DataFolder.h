// The per-user data folder: prefs.txt and crash dumps live here.
#pragma once

#include <string>

namespace utils {

// "<roaming application data>\Zandor\Zandor Wickerlyn". When the application-data folder is
// unknown: "<program folder>\Zandor Wickerlyn Data"; empty only if the program path is unknown
// too. Does not create the folder.
std::wstring GetDataFolder();

// Tests only: makes GetDataFolder return this folder (empty restores the normal lookup).
void SetDataFolderForTesting(const std::wstring& folder);

}  // namespace utils
