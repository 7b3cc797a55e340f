#include "services/StringResource.h"

#include "log/Log.h"
#include "ui/window/Module.h"

namespace utils {

std::wstring LoadStringResource(UINT id) {
  const wchar_t* text = nullptr;
  int length = LoadStringW(ui::Module::Instance(), id, reinterpret_cast<LPWSTR>(&text), 0);
  if (length <= 0 || !text) {
    Log("%s: String resource %u is missing.\n", "utils::LoadStringResource", id);
    return std::wstring();
  }
  return std::wstring(text, static_cast<size_t>(length));
}

std::wstring FormatStringResource(UINT id, const std::wstring& value) {
  std::wstring text = LoadStringResource(id);
  const size_t slot = text.find(L"%s");
  if (slot == std::wstring::npos) return text + L" " + value;
  return text.replace(slot, 2, value);
}

}  // namespace utils
