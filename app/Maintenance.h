// The one-shot command-line actions "/kill" and "/removeprefs".
#pragma once

namespace utils {

// Asks the running instance to quit, then ends every other process named "wickerlyn.exe"
// that is still running about one second later.
void KillOtherInstances();

// Deletes every file matching pattern directly inside folder. Sub-folders, read-only and
// locked files stay; the folder itself stays.
void DeleteFilesInFolder(const wchar_t* folder, const wchar_t* pattern);

}  // namespace utils
