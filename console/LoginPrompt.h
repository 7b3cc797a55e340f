// The console's own login prompt, for the old command line (no -u/-P) or when no password
// arrived on standard input.
#pragma once

#include <windows.h>

#include <string>

#include "console/SecretText.h"

namespace lumacon {

// Modal over owner. user is shown first and replaced by what was typed. False when
// cancelled; the password is then empty.
bool PromptForLogin(HWND owner, const std::wstring& server, std::wstring& user, SecretText& password);

}  // namespace lumacon
