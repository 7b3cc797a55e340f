#include "backend/LoginErrorText.h"

#include <windows.h>

#include "res/resource.h"
#include "services/StringResource.h"

namespace utils {
namespace {

struct LoginErrorTexts {
  uint64_t error;
  int row;
  int dialog;
};

// The library's connect failures (see OlvarkServer), then the errors worded on their own.
constexpr LoginErrorTexts kLoginErrorTexts[] = {
    {30001, IDS_CONNECT_FAILED, IDS_LOGIN_FAILED}, {30003, IDS_CONNECT_FAILED, IDS_LOGIN_FAILED},
    {30005, IDS_CONNECT_FAILED, IDS_LOGIN_FAILED}, {30006, IDS_CONNECT_FAILED, IDS_LOGIN_FAILED},
    {30007, IDS_CONNECT_FAILED, IDS_LOGIN_FAILED}, {30022, IDS_CONNECT_FAILED, IDS_LOGIN_FAILED},
    {30028, IDS_CONNECT_FAILED, IDS_LOGIN_FAILED}, {30035, IDS_CONNECT_FAILED, IDS_LOGIN_FAILED},
    {30047, IDS_CONNECT_FAILED, IDS_LOGIN_FAILED}, {30200, IDS_CONNECT_FAILED, IDS_LOGIN_FAILED},
    {30201, IDS_CONNECT_FAILED, IDS_LOGIN_FAILED}, {30202, IDS_CONNECT_FAILED, IDS_LOGIN_FAILED},
    {3014, IDS_BAD_CREDENTIALS, IDS_LOGIN_BAD_CREDENTIALS},
    {32, IDS_LOGIN_FAILED, IDS_LOGIN_UNLICENSED},
};

}  // namespace

int LoginErrorTextId(uint64_t error, LoginErrorContext context) {
  for (const LoginErrorTexts& texts : kLoginErrorTexts) {
    if (texts.error == error) return context == LoginErrorContext::kRow ? texts.row : texts.dialog;
  }
  return IDS_LOGIN_FAILED;
}

std::wstring LoginErrorText(uint64_t error, LoginErrorContext context) {
  return LoadStringResource(static_cast<UINT>(LoginErrorTextId(error, context)));
}

}  // namespace utils
