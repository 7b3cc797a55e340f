// Reading (property id, output place) lists, as Qor_GetProperties and QorJob_Wait take them.
#pragma once

#include <cstdarg>
#include <string>

#include "qor/HandleObject.h"

namespace qor {

// Checks every pair before writing any output, so a refused list hands out nothing
// (no string to free, no handle reference). A list ends with the id 0.
QorError ReadPropertyList(HandleObject& object, int firstId, va_list args);

// Strings given out are allocated here and freed by Qor_FreeBuffer (FreeBuffer).
char* DuplicateString(const std::string& text);
void FreeBuffer(void* buffer);

}  // namespace qor
