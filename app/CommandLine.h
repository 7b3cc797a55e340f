// The program's three command-line options.
#pragma once

namespace shell {

enum class CommandLineOption { NONE, STARTUP, KILL, REMOVE_PREFS };

// The whole command line (without the program path), trimmed of white space at both ends,
// must equal one option exactly (case-sensitive); anything else is no option.
CommandLineOption ParseCommandLine(const wchar_t* commandLine);

}  // namespace shell
