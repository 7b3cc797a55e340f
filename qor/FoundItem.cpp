#include "qor/FoundItem.h"

#include "qor/Properties.h"

namespace qor {

QorError FoundItem::CheckProperty(int id) const {
  return id == QOR_PROPERTY_FOUND_ITEM_LOCATION ? QOR_OK : QOR_E_UNSUPPORTED_PROPERTY;
}

QorError FoundItem::ReadProperty(int id, void* out) {
  if (id != QOR_PROPERTY_FOUND_ITEM_LOCATION) return QOR_E_UNSUPPORTED_PROPERTY;
  char* copy = DuplicateString(mLocation);
  if (!copy) return QOR_E_OUT_OF_MEMORY;
  *static_cast<char**>(out) = copy;
  return QOR_OK;
}

}  // namespace qor
