// zw-protect-password: reads a password from standard input (its first line) and prints the
// protected text that prefs.txt keeps as server.password. The protection is bound to the
// current user, so run it as the user (in the Wine prefix) that runs the program.
// Read from standard input so that the password never shows in a process list.
#include <cstdio>
#include <string>
#include <vector>

#include "services/Protection.h"

int main() {
  std::vector<char> password;
  password.reserve(1024);
  int c;
  while ((c = std::getchar()) != EOF && c != '\n' && password.size() < 1024) password.push_back(static_cast<char>(c));
  if (!password.empty() && password.back() == '\r') password.pop_back();
  if (password.empty()) {
    std::fprintf(stderr, "zw-protect-password: no password on standard input\n");
    return 2;
  }
  std::string text;
  const bool ok = utils::EncryptString(password.data(), password.size(), text);
  utils::WipeBuffer(password);
  if (!ok) {
    std::fprintf(stderr, "zw-protect-password: the password could not be protected\n");
    return 1;
  }
  std::printf("%s\n", text.c_str());
  return 0;
}
