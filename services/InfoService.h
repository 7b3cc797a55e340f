// Addresses on the maker's web information service. Its base address is built in and can
// be replaced for a run by the environment variable ZANDOR_INFO_HOST ("host", "host:port",
// or either after "http://" or "https://"), which tests and the demonstration use to
// point the update check at the simulator.
#pragma once

#include <string>

namespace utils {

constexpr wchar_t kInfoServiceDefaultBase[] = L"http://www.zandor.com";
constexpr wchar_t kInfoServiceHostVariable[] = L"ZANDOR_INFO_HOST";
constexpr wchar_t kUpdateDocumentPath[] = L"/info?id=1073";
constexpr wchar_t kDownloadPagePath[] = L"/info?id=1048";

// "scheme://host[:port]" from an override value; false (base untouched) when the value is
// not of the accepted form.
bool ParseInfoServiceHost(const std::wstring& value, std::wstring& base);

// The override when ZANDOR_INFO_HOST is set and valid (an invalid one is logged and
// ignored), else the built-in base.
std::wstring GetInfoServiceBase();

std::wstring GetUpdateDocumentUrl();  // base + "/info?id=1073"
std::wstring GetDownloadPageUrl();    // base + "/info?id=1048"

}  // namespace utils
