// Opening a VM's console: the Lumacon console program started as a child process with
// the server's host, the VM's managed-object id and the user name on its command line,
// and the password on an anonymous pipe as its standard input (never on the command line).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "services/ConsoleLocator.h"

namespace utils {

// UI thread only; blocks for at most about 3 seconds while the console picks up the
// password. host is the console's "-h" value (MakeConsoleHostArgument); protectedPassword
// is the Base64 text of EncryptString. True when the console process was started.
bool RunVMInLumacon(const std::string& host, const std::string& moid, const std::string& userName,
                    const std::string& protectedPassword);

// CredUI's prompt for a server's credentials. On true, userName and password hold UTF-8
// with a terminating zero (the user name without any "DOMAIN\" prefix) and save the
// dialog's box. On false (cancelled, or text that does not convert) nothing is changed.
bool PromptForCredentials(HWND parent, const std::string& serverName, std::vector<char>& userName,
                          std::vector<char>& password, bool& save);

// RunVMInLumacon over chosen places to look for the console (tests use scratch ones).
class ConsoleLauncher {
 public:
  explicit ConsoleLauncher(ConsoleLocations where) : mWhere(std::move(where)) {}
  bool Run(const std::string& host, const std::string& moid, const std::string& userName,
           const std::string& protectedPassword) const;

 private:
  ConsoleLocations mWhere;
};

}  // namespace utils
