#pragma once

#include <windows.h>

#include <string>

namespace qor {

// Overwrites text that held a password before its memory is given back.
inline void WipeString(std::string& text) {
  if (!text.empty()) SecureZeroMemory(&text[0], text.size());
  text.clear();
}

}  // namespace qor
