// The console program's command line: "-h host -M moid -u user -P" for version 5 and
// later (the password follows on standard input), "-h host -M moid" for older ones.
#pragma once

#include <cstdint>
#include <string>

namespace utils {

// The "-h" value for a server kept as host, port and SSL choice: "host" or "host:port",
// with "http://" in front for a server reached without SSL (no scheme means SSL).
std::string MakeConsoleHostArgument(const std::string& host, unsigned int port, bool useSsl);

// One argument quoted so that CommandLineToArgvW gives it back unchanged.
std::wstring QuoteCommandLineArgument(const std::wstring& argument);

// True when the console takes the user name on its command line and the password on
// standard input (major version 5 and later).
bool ConsoleTakesPassword(uint32_t majorVersion);

// The whole command line, the program's path first. userName is left out for old consoles.
std::wstring MakeConsoleCommandLine(const std::wstring& consolePath, uint32_t majorVersion,
                                    const std::wstring& host, const std::wstring& moid,
                                    const std::wstring& userName);

}  // namespace utils
