// The library's text for an error, never null (for logs and error fields).
#pragma once

#include <string>

#include "backend/QorApi.h"
#include "backend/QorLibrary.h"

inline const char* QorErrorText(QorError error) {
  const char* text = QorLibrary::IsBound() ? QorLibrary::Api().Qor_GetErrorText(error, nullptr) : nullptr;
  return text ? text : "";
}
