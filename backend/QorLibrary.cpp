#include "backend/QorLibrary.h"

namespace {

QorFunctions gFunctions;
bool gBound = false;
const char* gMissing = nullptr;

}  // namespace

bool QorLibrary::Bind(HMODULE module) {
  QorFunctions resolved;
  gMissing = nullptr;
#define QOR_LIBRARY_RESOLVE(name)                                                        \
  resolved.name = reinterpret_cast<decltype(resolved.name)>(                             \
      reinterpret_cast<void*>(module ? GetProcAddress(module, #name) : nullptr));        \
  if (!resolved.name && !gMissing) gMissing = #name;
  QOR_LIBRARY_EXPORTS(QOR_LIBRARY_RESOLVE)
#undef QOR_LIBRARY_RESOLVE
  if (gMissing) {
    Unbind();
    return false;
  }
  gFunctions = resolved;
  gBound = true;
  return true;
}

void QorLibrary::Unbind() {
  gFunctions = QorFunctions();
  gBound = false;
}

bool QorLibrary::IsBound() { return gBound; }

const char* QorLibrary::MissingExport() { return gMissing; }

const QorFunctions& QorLibrary::Api() { return gFunctions; }
