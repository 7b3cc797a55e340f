// Server addresses as the user types them ("[scheme://]host[:port]") and the URLs built
// from them. Nothing here touches the network or checks that a host exists.
#pragma once

#include <string>

namespace utils {

// Splits a saved URL (UTF-8). A text without scheme means SSL. The host is everything
// before the first ':'; the port is the run of decimal digits after it (0 when there are
// none, or when they do not fit 32 bits). A path stays inside the host.
void ParseServerUrl(const std::string& text, std::string& host, unsigned int& port,
                    bool& portGiven, bool& useSsl, bool& schemeGiven);

// The same for the Add Server dialog's text (UTF-16), which also drops a path after the host.
void ParseServerUrlW(const std::wstring& text, std::wstring& host, unsigned int& port,
                     bool& portGiven, bool& useSsl, bool& schemeGiven);

// "https://host/sdk" or "http://host/sdk"; the port is handed to the library separately.
std::string MakeServiceUrl(const std::string& host, bool useSsl);

// "[scheme]host[:port]", the port only when it is not 0.
std::string MakeServerUrl(const std::string& host, unsigned int port, bool useSsl, bool withScheme);
std::wstring MakeServerUrlW(const std::wstring& host, unsigned int port, bool useSsl, bool withScheme);

}  // namespace utils
