// A server on this machine (loopback address) may use a self-signed certificate, as test
// and demonstration servers do; WinINet refuses those. For such servers only, the request
// is sent again with the certificate checks that a self-signed certificate fails switched
// off. A remote server's certificate is always checked.
#pragma once
#include <windows.h>
#include <wininet.h>

#include <string>

namespace utils {

// True for the WinINet errors that a self-signed or mismatched certificate causes.
bool IsCertificateError(DWORD error);

// True when the URL's host is localhost, an IPv4 loopback address (127.x.x.x) or ::1.
bool IsLoopbackUrl(const std::wstring& url);

// Opens a GET request for url in session, ignoring an unknown issuer, a wrong name and an
// expired certificate. The request handle, or null with the last error set; the connection
// handle under it closes with the session.
HINTERNET OpenUrlAcceptingCertificate(HINTERNET session, const std::wstring& url, DWORD flags);

}  // namespace utils
