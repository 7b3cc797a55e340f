#include "app/CommandLine.h"

#include <cwctype>
#include <string>

namespace shell {

CommandLineOption ParseCommandLine(const wchar_t* commandLine) {
  std::wstring text = commandLine ? commandLine : L"";
  size_t first = 0;
  while (first < text.size() && iswspace(text[first])) ++first;
  size_t last = text.size();
  while (last > first && iswspace(text[last - 1])) --last;
  text = text.substr(first, last - first);

  if (text == L"/startup") return CommandLineOption::STARTUP;
  if (text == L"/kill") return CommandLineOption::KILL;
  if (text == L"/removeprefs") return CommandLineOption::REMOVE_PREFS;
  return CommandLineOption::NONE;
}

}  // namespace shell
