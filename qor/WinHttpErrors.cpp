#include "qor/WinHttpErrors.h"

#include <windows.h>
#include <winhttp.h>

namespace qor {
namespace {

bool ReachedLimit(uint32_t elapsedMs, uint32_t limitMs) {
  return limitMs > 0 && elapsedMs >= limitMs - limitMs / 10;
}

}  // namespace

QorError MapWinHttpError(uint32_t code, uint32_t elapsedMs, uint32_t limitMs) {
  switch (code) {
    case ERROR_WINHTTP_NAME_NOT_RESOLVED:
      return QOR_E_HOST_NOT_FOUND;
    case ERROR_WINHTTP_CANNOT_CONNECT:
      // A connect attempt that ran into its time-out reports this too.
      return ReachedLimit(elapsedMs, limitMs) ? QOR_E_TIMED_OUT : QOR_E_CONNECTION_REFUSED;
    case ERROR_WINHTTP_TIMEOUT:
    case WSAETIMEDOUT:  // Wine reports the answer time-out as the socket's error
      return QOR_E_TIMED_OUT;
    case ERROR_WINHTTP_SECURE_FAILURE:
    case ERROR_WINHTTP_SECURE_CHANNEL_ERROR:
    case ERROR_WINHTTP_SECURE_INVALID_CA:
    case ERROR_WINHTTP_SECURE_INVALID_CERT:
    case ERROR_WINHTTP_SECURE_CERT_DATE_INVALID:
    case ERROR_WINHTTP_SECURE_CERT_CN_INVALID:
    case ERROR_WINHTTP_SECURE_CERT_REV_FAILED:
    case ERROR_WINHTTP_SECURE_CERT_REVOKED:
    case ERROR_WINHTTP_SECURE_CERT_WRONG_USAGE:
    case ERROR_WINHTTP_CLIENT_AUTH_CERT_NEEDED:
      return ReachedLimit(elapsedMs, limitMs) ? QOR_E_TIMED_OUT : QOR_E_TLS_FAILURE;
    case ERROR_WINHTTP_INVALID_SERVER_RESPONSE:
    case ERROR_WINHTTP_HEADER_NOT_FOUND:
    case ERROR_WINHTTP_REDIRECT_FAILED:
      return QOR_E_NOT_A_SERVER;
    case ERROR_WINHTTP_INVALID_URL:
    case ERROR_WINHTTP_UNRECOGNIZED_SCHEME:
      return QOR_E_BAD_SERVICE_URL;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
      return QOR_E_OUT_OF_MEMORY;
    default:
      return QOR_E_NETWORK;
  }
}

bool IsDroppedWithoutAnswer(uint32_t code) {
  return code == ERROR_WINHTTP_CONNECTION_ERROR || code == WSAECONNRESET || code == WSAECONNABORTED;
}

}  // namespace qor
