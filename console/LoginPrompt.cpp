#include "console/LoginPrompt.h"

#include <vector>

#include "console/ConsoleIds.h"

namespace lumacon {
namespace {

struct LoginState {
  std::wstring server;
  std::wstring* user;
  SecretText* password;
};

std::wstring ControlText(HWND dialog, int id) {
  HWND control = GetDlgItem(dialog, id);
  int length = GetWindowTextLengthW(control);
  std::vector<wchar_t> text(static_cast<size_t>(length) + 1, L'\0');
  GetWindowTextW(control, text.data(), length + 1);
  return std::wstring(text.data());
}

// Converts the password straight into the secret buffer and wipes every copy on the way.
bool TakePassword(HWND dialog, SecretText& password) {
  HWND control = GetDlgItem(dialog, IDC_LOGIN_PASSWORD);
  int length = GetWindowTextLengthW(control);
  std::vector<wchar_t> wide(static_cast<size_t>(length) + 1, L'\0');
  GetWindowTextW(control, wide.data(), length + 1);
  SetWindowTextW(control, L"");
  bool ok = true;
  int size = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide.data(), -1, nullptr, 0, nullptr, nullptr);
  password.Wipe();
  if (size < 1) {
    ok = false;
  } else {
    std::vector<char>& bytes = password.Bytes();
    bytes.assign(static_cast<size_t>(size), '\0');
    if (WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide.data(), -1, bytes.data(), size, nullptr, nullptr) < 1) {
      password.Wipe();
      ok = false;
    }
  }
  SecureZeroMemory(wide.data(), wide.size() * sizeof(wchar_t));
  return ok;
}

INT_PTR CALLBACK LoginProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* state = reinterpret_cast<LoginState*>(GetWindowLongPtrW(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG: {
      state = reinterpret_cast<LoginState*>(lParam);
      SetWindowLongPtrW(dialog, DWLP_USER, lParam);
      std::wstring prompt = L"Log in to " + state->server + L" to open the VM's console.";
      SetDlgItemTextW(dialog, IDC_LOGIN_PROMPT, prompt.c_str());
      SetDlgItemTextW(dialog, IDC_LOGIN_USER, state->user->c_str());
      SendDlgItemMessageW(dialog, IDC_LOGIN_PASSWORD, EM_LIMITTEXT, 1024, 0);
      SetFocus(GetDlgItem(dialog, state->user->empty() ? IDC_LOGIN_USER : IDC_LOGIN_PASSWORD));
      return FALSE;  // focus set here
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        *state->user = ControlText(dialog, IDC_LOGIN_USER);
        if (!TakePassword(dialog, *state->password)) {
          MessageBoxW(dialog, L"The password contains characters that cannot be sent.", LUMACON_LOGIN_CAPTION,
                      MB_OK | MB_ICONERROR);
          return TRUE;
        }
        EndDialog(dialog, IDOK);
        return TRUE;
      }
      if (LOWORD(wParam) == IDCANCEL) {
        SetDlgItemTextW(dialog, IDC_LOGIN_PASSWORD, L"");
        EndDialog(dialog, IDCANCEL);
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

bool PromptForLogin(HWND owner, const std::wstring& server, std::wstring& user, SecretText& password) {
  password.Wipe();
  LoginState state{server, &user, &password};
  INT_PTR result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_LUMACON_LOGIN), owner, LoginProc,
                                   reinterpret_cast<LPARAM>(&state));
  if (result != IDOK) {
    password.Wipe();
    return false;
  }
  return true;
}

}  // namespace lumacon
