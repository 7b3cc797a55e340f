// Reading the resources linked into the test program.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// A string resource's text; empty when there is none.
inline std::wstring LoadText(int id) {
  const wchar_t* text = nullptr;
  // Length 0 asks for a read-only pointer into the resource itself.
  int length = LoadStringW(GetModuleHandleW(nullptr), id, reinterpret_cast<LPWSTR>(&text), 0);
  return length > 0 ? std::wstring(text, length) : std::wstring();
}

// The numeric names of the program's resources of one type, in the module's order.
inline std::vector<int> ResourceNames(LPCWSTR type) {
  std::vector<int> names;
  EnumResourceNamesW(
      GetModuleHandleW(nullptr), type,
      [](HMODULE, LPCWSTR, LPWSTR name, LONG_PTR out) -> BOOL {
        if (IS_INTRESOURCE(name))
          reinterpret_cast<std::vector<int>*>(out)->push_back(static_cast<int>(reinterpret_cast<ULONG_PTR>(name)));
        return TRUE;
      },
      reinterpret_cast<LONG_PTR>(&names));
  return names;
}
