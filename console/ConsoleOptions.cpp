#include "console/ConsoleOptions.h"

namespace lumacon {
namespace {

bool TakeValue(const std::vector<std::wstring>& args, size_t& index, std::wstring& value, bool& seen,
               std::wstring& problem) {
  const std::wstring& option = args[index];
  if (seen) {
    problem = L"The option " + option + L" is given twice.";
    return false;
  }
  if (index + 1 >= args.size()) {
    problem = L"The option " + option + L" needs a value.";
    return false;
  }
  value = args[++index];
  seen = true;
  return true;
}

}  // namespace

bool ParseConsoleOptions(const std::vector<std::wstring>& args, ConsoleOptions& options, std::wstring& problem) {
  options = ConsoleOptions();
  bool hostSeen = false, moidSeen = false, passwordSeen = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::wstring& arg = args[i];
    bool ok = true;
    if (arg == L"-h") {
      ok = TakeValue(args, i, options.host, hostSeen, problem);
    } else if (arg == L"-M") {
      ok = TakeValue(args, i, options.moid, moidSeen, problem);
    } else if (arg == L"-u") {
      ok = TakeValue(args, i, options.user, options.userGiven, problem);
    } else if (arg == L"-P") {
      if (passwordSeen) {
        problem = L"The option -P is given twice.";
        return false;
      }
      passwordSeen = options.passwordOnStdin = true;
    } else {
      problem = L"Unknown argument '" + arg + L"'.";
      return false;
    }
    if (!ok) return false;
  }
  if (!hostSeen || options.host.empty()) {
    problem = L"The server (-h) is missing.";
    return false;
  }
  if (!moidSeen || options.moid.empty()) {
    problem = L"The VM's managed-object id (-M) is missing.";
    return false;
  }
  if (options.passwordOnStdin && !options.userGiven) {
    problem = L"A password on standard input (-P) needs a user name (-u).";
    return false;
  }
  return true;
}

const wchar_t* ConsoleUsage() {
  return L"Usage: zandor-lumacon -h host[:port] -M moid [-u user [-P]]";
}

}  // namespace lumacon
