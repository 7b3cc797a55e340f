// Fetching a short text document over HTTP(S) with WinINet, directly or, when the direct
// attempt fails, through the proxy that Windows names for the URL.
//
// This header includes neither wininet.h nor winhttp.h (they cannot share a source
// file); a handle here is WinINet's HINTERNET, which is a void pointer.
#pragma once

#include <string>

namespace utils {

using InternetHandle = void*;  // a WinINet HINTERNET

// Largest document ReadURL accepts; the documents it is for are a few lines long.
constexpr size_t kMaxDocumentBytes = 1024 * 1024;

// Longest a ReadURL call takes, from connecting to the last byte of the document.
constexpr unsigned long kReadUrlDeadlineMs = 5000;

// Fetches url and converts it from the thread's ANSI code page. True when the document was
// fetched with a success status and is not empty; text receives it (cut at a zero byte).
// Blocks until the fetch ends or kReadUrlDeadlineMs passes (logged); a fetch given up goes
// on by itself on a thread of its own until its next step, and its result is dropped.
bool ReadURL(const std::wstring& url, std::wstring& text);

// Opens a session (through proxy when it is not empty, else direct) and a request for
// url with the given WinINet flags. On success both handles are set and the caller
// closes them (closing the session closes everything under it); on failure both are
// closed and null.
bool HttpOpenUrl(const std::wstring& url, const std::wstring& proxy, unsigned long flags, InternetHandle& session,
                 InternetHandle& request);

// The proxy Windows uses for url: the user's switched-on proxy from the Internet settings
// in the registry, else automatic discovery. True when one was found; proxy receives it
// in the form Windows reports it.
bool HttpGetHostProxySettings(const std::wstring& url, std::wstring& proxy);

}  // namespace utils
