// utils::PromptForCredentials: the system's credential dialog for a server login.
#include <windows.h>
#include <wincred.h>

#include <cwchar>
#include <vector>

#include "log/Log.h"
#include "res/resource.h"
#include "services/ConsoleLauncher.h"
#include "services/Protection.h"
#include "services/StringResource.h"
#include "services/TextConversion.h"

namespace {

const char kPromptLogName[] = "utils::PromptForCredentials";

std::wstring FormatMessageText(const std::wstring& serverName) {
  std::wstring format = utils::LoadStringResource(IDS_ENTER_CREDENTIALS);
  std::vector<wchar_t> text(format.size() + serverName.size() + 1, L'\0');
  // The resource holds one "%s" for the server name.
  _snwprintf(text.data(), text.size() - 1, format.c_str(), serverName.c_str());
  return text.data();
}

// The service may qualify the name as "DOMAIN\name"; the server wants the name alone.
const wchar_t* WithoutDomain(const wchar_t* userName) {
  const wchar_t* backslash = wcschr(userName, L'\\');
  return backslash ? backslash + 1 : userName;
}

}  // namespace

namespace utils {

bool PromptForCredentials(HWND parent, const std::string& serverName, std::vector<char>& userName,
                          std::vector<char>& password, bool& save) {
  std::wstring server = ToWideString(serverName);
  std::wstring message = FormatMessageText(server);
  std::wstring caption = LoadStringResource(IDS_APP_TITLE);

  CREDUI_INFOW info = {};
  info.cbSize = sizeof info;
  info.hwndParent = parent;
  info.pszMessageText = message.c_str();
  info.pszCaptionText = caption.c_str();
  info.hbmBanner = nullptr;

  std::vector<wchar_t> user(CREDUI_MAX_USERNAME_LENGTH + 1, L'\0');
  std::vector<wchar_t> secret(CREDUI_MAX_PASSWORD_LENGTH + 1, L'\0');
  BOOL saveBox = FALSE;
  DWORD result = CredUIPromptForCredentialsW(&info, server.c_str(), nullptr, 0, user.data(), CREDUI_MAX_USERNAME_LENGTH,
                                             secret.data(), CREDUI_MAX_PASSWORD_LENGTH, &saveBox,
                                             CREDUI_FLAGS_DO_NOT_PERSIST | CREDUI_FLAGS_SHOW_SAVE_CHECK_BOX);
  if (result != NO_ERROR) {
    if (result != ERROR_CANCELLED) Log("%s: The credential dialog failed with error %lu.\n", kPromptLogName, result);
    SecureZeroMemory(secret.data(), secret.size() * sizeof(wchar_t));
    return false;
  }

  std::vector<char> user8, secret8;
  bool converted = WideToUtf8(WithoutDomain(user.data()), user8) && WideToUtf8(secret.data(), secret8);
  SecureZeroMemory(secret.data(), secret.size() * sizeof(wchar_t));
  if (!converted) {
    Log("%s: The entered credentials could not be converted to UTF-8.\n", kPromptLogName);
    WipeBuffer(secret8);
    return false;
  }
  userName.swap(user8);
  WipeBuffer(password);
  password.swap(secret8);
  save = saveBox != FALSE;
  return true;
}

}  // namespace utils
