#include "backend/LoginErrorText.h"

#include <windows.h>

#include "log/Log.h"
#include "res/resource.h"
#include "services/StringResource.h"

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
  return LoadStringResource(static_cast<UINT>(LoginErrorTextId(error)));
}

}  // namespace utils
