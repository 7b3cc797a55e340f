#include "services/ConsoleCommandLine.h"

namespace utils {

std::string MakeConsoleHostArgument(const std::string& host, unsigned int port, bool useSsl) {
  std::string text = useSsl ? std::string() : std::string("http://");
  text += host;
  if (port != 0) text += ":" + std::to_string(port);
  return text;
}

// A path or name with a space would otherwise split into several arguments (and an
// unquoted program path can start another program).
std::wstring QuoteCommandLineArgument(const std::wstring& argument) {
  if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos) return argument;
  std::wstring quoted = L"\"";
  size_t backslashes = 0;
  for (wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    if (c == L'"') {
      quoted.append(backslashes * 2 + 1, L'\\');
    } else {
      quoted.append(backslashes, L'\\');
    }
    backslashes = 0;
    quoted += c;
  }
  quoted.append(backslashes * 2, L'\\');
  quoted += L'"';
  return quoted;
}

bool ConsoleTakesPassword(uint32_t majorVersion) { return majorVersion >= 5; }

std::wstring MakeConsoleCommandLine(const std::wstring& consolePath, uint32_t majorVersion,
                                    const std::wstring& host, const std::wstring& moid,
                                    const std::wstring& userName) {
  std::wstring line = QuoteCommandLineArgument(consolePath);
  line += L" -h " + QuoteCommandLineArgument(host);
  line += L" -M " + QuoteCommandLineArgument(moid);
  if (ConsoleTakesPassword(majorVersion)) {
    line += L" -u " + QuoteCommandLineArgument(userName);
    line += L" -P";
  }
  return line;
}

}  // namespace utils
