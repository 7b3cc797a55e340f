#include "services/RegistryRead.h"

#include <vector>

namespace utils {
namespace {

class OpenKey {
 public:
  OpenKey(HKEY root, const wchar_t* key) {
    if (RegOpenKeyExW(root, key, 0, KEY_QUERY_VALUE, &mKey) != ERROR_SUCCESS) mKey = nullptr;
  }
  ~OpenKey() {
    if (mKey) RegCloseKey(mKey);
  }
  OpenKey(const OpenKey&) = delete;
  OpenKey& operator=(const OpenKey&) = delete;
  HKEY Get() const { return mKey; }

 private:
  HKEY mKey = nullptr;
};

}  // namespace

bool ReadRegistryDword(HKEY root, const wchar_t* key, const wchar_t* value, DWORD& data) {
  OpenKey opened(root, key);
  if (!opened.Get()) return false;
  DWORD type = 0;
  DWORD read = 0;
  DWORD size = sizeof read;
  if (RegQueryValueExW(opened.Get(), value, nullptr, &type, reinterpret_cast<BYTE*>(&read), &size) !=
      ERROR_SUCCESS) {
    return false;
  }
  if (type != REG_DWORD || size != sizeof read) return false;
  data = read;
  return true;
}

bool ReadRegistryString(HKEY root, const wchar_t* key, const wchar_t* value, std::wstring& text) {
  OpenKey opened(root, key);
  if (!opened.Get()) return false;
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExW(opened.Get(), value, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return false;
  if (type != REG_SZ) return false;
  // The data rounded up to whole characters (an odd byte count ends in half of one), then
  // one zero character more: the stored string need not end in a zero.
  std::vector<wchar_t> buffer((size + sizeof(wchar_t) - 1) / sizeof(wchar_t) + 1, L'\0');
  DWORD capacity = size;
  if (RegQueryValueExW(opened.Get(), value, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &capacity) !=
          ERROR_SUCCESS ||
      type != REG_SZ) {
    return false;  // changed between the two reads
  }
  text.assign(buffer.data());
  return true;
}

}  // namespace utils
