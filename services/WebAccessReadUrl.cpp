#include <windows.h>
#include <wininet.h>

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "log/Log.h"
#include "services/TextConversion.h"
#include "services/WebAccess.h"

namespace utils {
namespace {

const char kReadUrlLogName[] = "utils::ReadURL";
constexpr DWORD kReadChunk = 2048;

// Closes the request and its session on every way out.
class OpenRequest {
 public:
  OpenRequest(InternetHandle session, InternetHandle request) : mSession(session), mRequest(request) {}
  ~OpenRequest() {
    if (mRequest) InternetCloseHandle(mRequest);
    if (mSession) InternetCloseHandle(mSession);
  }
  OpenRequest(const OpenRequest&) = delete;
  OpenRequest& operator=(const OpenRequest&) = delete;
  HINTERNET Request() const { return mRequest; }

 private:
  HINTERNET mSession;
  HINTERNET mRequest;
};

// The scheme of url, or false when the URL cannot be split.
bool GetScheme(const std::wstring& url, INTERNET_SCHEME& scheme) {
  URL_COMPONENTSW components = {};
  components.dwStructSize = sizeof components;
  components.dwSchemeLength = 1;  // only pointers into url, nothing copied
  if (url.empty() || !InternetCrackUrlW(url.c_str(), 0, 0, &components)) return false;
  scheme = components.nScheme;
  return true;
}

// An error page is not the document: only a 2xx answer counts.
bool HasSuccessStatus(HINTERNET request, const std::string& url8) {
  DWORD status = 0;
  DWORD size = sizeof status;
  if (!HttpQueryInfoW(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr)) {
    Log("%s: No HTTP status for '%s' (%d).\n", kReadUrlLogName, url8.c_str(), static_cast<int>(GetLastError()));
    return false;
  }
  if (status < 200 || status > 299) {
    Log("%s: The server answered '%s' with HTTP status %d.\n", kReadUrlLogName, url8.c_str(), static_cast<int>(status));
    return false;
  }
  return true;
}

enum class Run { kEnded, kTooLate, kNoThread };

// Runs work on a thread of its own and waits for it at most `milliseconds`. A blocked
// WinINet call cannot be interrupted everywhere (Wine ignores a handle closed from another
// thread), so work left behind ends by itself later: it must own everything it touches.
Run RunWithin(unsigned long milliseconds, std::function<void()> work) {
  struct Completion {
    std::mutex lock;
    std::condition_variable ended;
    bool done = false;
  };
  auto completion = std::make_shared<Completion>();
  try {
    std::thread([completion, work = std::move(work)] {
      work();
      std::lock_guard<std::mutex> hold(completion->lock);
      completion->done = true;
      completion->ended.notify_all();
    }).detach();
  } catch (const std::system_error& error) {
    Log("%s: No thread could be started for the fetch (%s).\n", kReadUrlLogName, error.what());
    return Run::kNoThread;
  }
  std::unique_lock<std::mutex> hold(completion->lock);
  const bool ended =
      completion->ended.wait_for(hold, std::chrono::milliseconds(milliseconds), [&] { return completion->done; });
  return ended ? Run::kEnded : Run::kTooLate;
}

// The fetch itself, on the worker thread: the response's bytes, or false. Past the deadline
// it stops at its next step without a word; the caller has logged that already.
bool FetchBytes(const std::wstring& url, INTERNET_SCHEME scheme, ULONGLONG deadline, std::vector<char>& bytes) {
  DWORD flags = INTERNET_FLAG_RELOAD;
  if (scheme == INTERNET_SCHEME_HTTPS) flags |= INTERNET_FLAG_SECURE;

  InternetHandle session = nullptr;
  InternetHandle request = nullptr;
  if (!HttpOpenUrl(url, std::wstring(), flags, session, request)) {
    if (GetTickCount64() >= deadline) return false;
    Log("%s: InternetOpen failed for direct connection. Checking for proxy.\n", kReadUrlLogName);
    std::wstring proxy;
    if (HttpGetHostProxySettings(url, proxy) && !HttpOpenUrl(url, proxy, flags, session, request)) {
      Log("%s: InternetOpen failed with system-specified proxy.\n", kReadUrlLogName);
    }
  }
  const std::string url8 = ToUtf8String(url);
  if (!request) {
    Log("%s: Unable to open url at '%s'.\n", kReadUrlLogName, url8.c_str());
    return false;
  }
  OpenRequest open(session, request);

  if ((scheme == INTERNET_SCHEME_HTTP || scheme == INTERNET_SCHEME_HTTPS) && !HasSuccessStatus(request, url8)) {
    return false;
  }

  char chunk[kReadChunk];
  for (;;) {
    // Asking only for what has arrived keeps a trickling answer from holding one read
    // until a whole chunk is there.
    DWORD available = 0;
    if (!InternetQueryDataAvailable(open.Request(), &available, 0, 0)) {
      Log("%s: InternetQueryDataAvailable failed (%d).\n", kReadUrlLogName, static_cast<int>(GetLastError()));
      return false;
    }
    if (GetTickCount64() >= deadline) return false;
    DWORD got = 0;
    const DWORD wanted = available == 0 || available > kReadChunk ? kReadChunk : available;
    if (!InternetReadFile(open.Request(), chunk, wanted, &got)) {
      Log("%s: InternetReadFile failed.\n", kReadUrlLogName);
      return false;
    }
    if (got == 0) return true;
    if (bytes.size() + got > kMaxDocumentBytes) {
      Log("%s: The document at '%s' is longer than %d bytes.\n", kReadUrlLogName, url8.c_str(),
          static_cast<int>(kMaxDocumentBytes));
      return false;
    }
    bytes.insert(bytes.end(), chunk, chunk + got);
  }
}

}  // namespace

bool ReadURL(const std::wstring& url, std::wstring& text) {
  INTERNET_SCHEME scheme = INTERNET_SCHEME_UNKNOWN;
  if (!GetScheme(url, scheme)) return false;
  const std::string url8 = ToUtf8String(url);

  // Shared with the worker, which may outlive this call.
  struct Fetched {
    bool ok = false;
    std::vector<char> bytes;
  };
  auto fetched = std::make_shared<Fetched>();
  const ULONGLONG deadline = GetTickCount64() + kReadUrlDeadlineMs;
  const Run run = RunWithin(kReadUrlDeadlineMs, [url, scheme, deadline, fetched] {
    fetched->ok = FetchBytes(url, scheme, deadline, fetched->bytes);
  });
  if (run == Run::kTooLate) {
    Log("%s: No complete answer from '%s' within %d seconds; the fetch is given up.\n", kReadUrlLogName, url8.c_str(),
        static_cast<int>(kReadUrlDeadlineMs / 1000));
  }
  if (run != Run::kEnded || !fetched->ok) return false;

  // Converted here: the text is in the calling thread's code page. Terminated here, the
  // conversion stops at the first zero byte, wherever it is.
  std::vector<char>& bytes = fetched->bytes;
  bytes.push_back('\0');
  int length = MultiByteToWideChar(CP_THREAD_ACP, 0, bytes.data(), -1, nullptr, 0);
  if (length <= 0) {
    Log("%s: The document at '%s' could not be converted (%d).\n", kReadUrlLogName, url8.c_str(),
        static_cast<int>(GetLastError()));
    return false;
  }
  if (length == 1) {
    Log("%s: The document at '%s' is empty.\n", kReadUrlLogName, url8.c_str());
    return false;
  }
  std::vector<wchar_t> wide(length);
  if (MultiByteToWideChar(CP_THREAD_ACP, 0, bytes.data(), -1, wide.data(), length) != length) {
    Log("%s: The document at '%s' could not be converted (%d).\n", kReadUrlLogName, url8.c_str(),
        static_cast<int>(GetLastError()));
    return false;
  }
  text.assign(wide.data(), length - 1);
  return true;
}

}  // namespace utils
