#include "qor/HttpTransport.h"

#include <windows.h>
#include <winhttp.h>

#include <cstring>

#include "qor/Timeouts.h"
#include "qor/Trace.h"
#include "qor/WinHttpErrors.h"

namespace qor {
namespace {

const size_t kMaxAnswerBytes = 256u << 20;  // a larger answer is not from a server of this kind

// One WinHTTP session for the whole library; never closed because requests may be
// running on library threads until the process ends.
HINTERNET SharedSession() {
  static HINTERNET session =
      WinHttpOpen(L"qor/1.0", WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0);
  return session;
}

struct RequestHandle {
  HINTERNET handle = nullptr;
  ~RequestHandle() {
    if (handle) WinHttpCloseHandle(handle);
  }
};

void SetOption(HINTERNET request, DWORD option, DWORD value) {
  if (!WinHttpSetOption(request, option, &value, sizeof value)) {
    Trace("HttpTransport: WinHttpSetOption(%lu) failed with %lu", option, GetLastError());
  }
}

std::string ReadSdkHeader(HINTERNET request, bool* present) {
  wchar_t value[64] = {};
  DWORD size = sizeof value;
  *present = WinHttpQueryHeaders(request, WINHTTP_QUERY_CUSTOM, L"X-Zandor-Sdk", value, &size,
                                 WINHTTP_NO_HEADER_INDEX) != FALSE;
  std::string text;
  if (*present) {
    for (const wchar_t* c = value; *c; ++c) text.push_back(*c < 0x80 ? static_cast<char>(*c) : '?');
  }
  return text;
}

}  // namespace

std::shared_ptr<HttpTransport> HttpTransport::Create(const Endpoint& endpoint, QorError* error) {
  HINTERNET session = SharedSession();
  if (!session) {
    Trace("HttpTransport: WinHttpOpen failed with %lu", GetLastError());
    *error = QOR_E_NETWORK;
    return nullptr;
  }
  HINTERNET connection = WinHttpConnect(session, endpoint.host.c_str(), endpoint.port, 0);
  if (!connection) {
    DWORD code = GetLastError();
    Trace("HttpTransport: WinHttpConnect to '%s' port %u failed with %lu", endpoint.hostUtf8.c_str(),
          endpoint.port, code);
    *error = MapWinHttpError(code, 0, 0);
    return nullptr;
  }
  *error = QOR_OK;
  return std::shared_ptr<HttpTransport>(new HttpTransport(endpoint, connection));
}

HttpTransport::HttpTransport(const Endpoint& endpoint, void* connection)
    : mEndpoint(endpoint), mConnection(connection) {}

HttpTransport::~HttpTransport() { WinHttpCloseHandle(static_cast<HINTERNET>(mConnection)); }

HttpReply HttpTransport::Post(const char* path, const std::string& body, uint32_t answerTimeoutMs) {
  HttpReply reply;
  const Timeouts& limits = CurrentTimeouts();
  ULONGLONG start = GetTickCount64();
  auto fail = [&](const char* step) {
    DWORD code = GetLastError();
    uint32_t elapsed = static_cast<uint32_t>(GetTickCount64() - start);
    // The connect step has its own, shorter limit.
    uint32_t limit = code == ERROR_WINHTTP_CANNOT_CONNECT ? limits.connectMs : answerTimeoutMs;
    reply.error = MapWinHttpError(code, elapsed, limit);
    reply.systemError = code;
    Trace("HttpTransport: %s to %s://%s:%u failed with WinHTTP error %lu after %u ms -> %llu", step,
          mEndpoint.secure ? "https" : "http", mEndpoint.hostUtf8.c_str(), mEndpoint.port, code, elapsed,
          static_cast<unsigned long long>(reply.error));
    return reply;
  };

  std::wstring widePath(path, path + std::strlen(path));
  RequestHandle request;
  request.handle = WinHttpOpenRequest(static_cast<HINTERNET>(mConnection), L"POST", widePath.c_str(), nullptr,
                                      WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                      mEndpoint.secure ? WINHTTP_FLAG_SECURE : 0);
  if (!request.handle) return fail("WinHttpOpenRequest");
  WinHttpSetTimeouts(request.handle, limits.resolveMs, limits.connectMs, limits.sendMs, answerTimeoutMs);
  // Wine ignores the receive time-out while waiting for the answer's headers; this one counts.
  SetOption(request.handle, WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, answerTimeoutMs);
  SetOption(request.handle, WINHTTP_OPTION_DISABLE_FEATURE, WINHTTP_DISABLE_REDIRECTS | WINHTTP_DISABLE_COOKIES);
  if (mEndpoint.secure) {
    // Servers of this kind present self-signed certificates.
    SetOption(request.handle, WINHTTP_OPTION_SECURITY_FLAGS,
              SECURITY_FLAG_IGNORE_UNKNOWN_CA | SECURITY_FLAG_IGNORE_CERT_CN_INVALID |
                  SECURITY_FLAG_IGNORE_CERT_DATE_INVALID | SECURITY_FLAG_IGNORE_CERT_WRONG_USAGE);
  }
  if (!WinHttpSendRequest(request.handle, L"Content-Type: application/json\r\n", static_cast<DWORD>(-1L),
                          const_cast<char*>(body.data()), static_cast<DWORD>(body.size()),
                          static_cast<DWORD>(body.size()), 0)) {
    return fail("sending the request");
  }
  if (!WinHttpReceiveResponse(request.handle, nullptr)) return fail("waiting for the answer");

  DWORD status = 0;
  DWORD size = sizeof status;
  if (!WinHttpQueryHeaders(request.handle, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                           WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX)) {
    return fail("reading the status");
  }
  reply.status = status;
  reply.sdkVersion = ReadSdkHeader(request.handle, &reply.hasSdkHeader);

  for (;;) {
    DWORD available = 0;
    if (!WinHttpQueryDataAvailable(request.handle, &available)) return fail("reading the answer");
    if (available == 0) break;
    if (reply.body.size() + available > kMaxAnswerBytes) {
      Trace("HttpTransport: answer from '%s' exceeds %u bytes", mEndpoint.hostUtf8.c_str(), static_cast<unsigned>(kMaxAnswerBytes));
      reply.error = QOR_E_NOT_A_SERVER;
      return reply;
    }
    size_t offset = reply.body.size();
    reply.body.resize(offset + available);
    DWORD got = 0;
    if (!WinHttpReadData(request.handle, &reply.body[offset], available, &got)) return fail("reading the answer");
    reply.body.resize(offset + got);
  }
  return reply;
}

}  // namespace qor
