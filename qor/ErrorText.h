#pragma once

#include "backend/QorApi.h"

namespace qor {

// A static text for every code of QorApi.h; "Unknown error" for any other value.
const char* ErrorText(QorError error);

}  // namespace qor
