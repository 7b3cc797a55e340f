// The console's command line: "-h host -M moid -u user -P" (the password follows on
// standard input, ended by a zero byte), or the older "-h host -M moid", after which the
// console asks for the credentials itself.
#pragma once

#include <string>
#include <vector>

namespace lumacon {

struct ConsoleOptions {
  std::wstring host;          // "-h": [http://|https://]host[:port]
  std::wstring moid;          // "-M": the VM's managed-object id
  std::wstring user;          // "-u"
  bool userGiven = false;
  bool passwordOnStdin = false;  // "-P"
};

// args without the program name. False with problem set when an option is unknown,
// lacks its value, is given twice, or "-h"/"-M" is missing; "-P" needs "-u".
bool ParseConsoleOptions(const std::vector<std::wstring>& args, ConsoleOptions& options, std::wstring& problem);

const wchar_t* ConsoleUsage();

}  // namespace lumacon
