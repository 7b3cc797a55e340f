#include "backend/LoginErrorText.h"

#include <windows.h>

#include "log/Log.h"
#include "res/resource.h"

namespace utils {

int LoginErrorTextId(uint64_t error) {
  if (error >> 32) return IDS_LOGIN_FAILED;
  switch (error) {
    case 30001: case 30003: case 30005: case 30006: case 30007: case 30022:
    case 30028: case 30035: case 30047: case 30200: case 30201: case 30202:
      return IDS_CONNECT_FAILED;
    case 3014:
      return IDS_BAD_CREDENTIALS;
    default:
      return IDS_LOGIN_FAILED;
  }
}

std::wstring LoginErrorText(uint64_t error) {
  const int id = LoginErrorTextId(error);
  const wchar_t* text = nullptr;
  // Length 0 asks for a read-only pointer into the resource itself.
  const int length = LoadStringW(GetModuleHandleW(nullptr), static_cast<UINT>(id), reinterpret_cast<LPWSTR>(&text), 0);
  if (length <= 0 || !text) {
    Log("%s: String resource %d is missing.\n", "utils::LoginErrorText", id);
    return std::wstring();
  }
  return std::wstring(text, static_cast<size_t>(length));
}

}  // namespace utils
