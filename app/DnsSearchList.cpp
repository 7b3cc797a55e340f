#include "app/DnsSearchList.h"

#include <mutex>

#include "services/RegistryRead.h"
#include "services/TextConversion.h"

namespace utils {
namespace {

const wchar_t kParametersKey[] = L"SYSTEM\\CurrentControlSet\\services\\Tcpip\\Parameters";

std::mutex gKeyLock;
HKEY gRoot = HKEY_LOCAL_MACHINE;
std::wstring gPath = kParametersKey;

}  // namespace

std::vector<std::string> ReadDnsSearchList() {
  HKEY root;
  std::wstring path;
  {
    std::lock_guard<std::mutex> hold(gKeyLock);
    root = gRoot;
    path = gPath;
  }
  std::vector<std::string> suffixes;
  std::wstring text;
  if (!ReadRegistryString(root, path.c_str(), L"SearchList", text)) return suffixes;
  size_t start = 0;
  while (start <= text.size()) {
    size_t comma = text.find(L',', start);
    if (comma == std::wstring::npos) comma = text.size();
    if (comma > start) {
      const std::string piece = ToUtf8String(text.substr(start, comma - start));
      if (!piece.empty()) suffixes.push_back(piece);
    }
    start = comma + 1;
  }
  return suffixes;
}

void SetDnsSearchListKeyForTesting(HKEY root, const wchar_t* path) {
  std::lock_guard<std::mutex> hold(gKeyLock);
  if (root && path) {
    gRoot = root;
    gPath = path;
  } else {
    gRoot = HKEY_LOCAL_MACHINE;
    gPath = kParametersKey;
  }
}

}  // namespace utils
