#include "qor/FoundItem.h"

#include "qor/Properties.h"

namespace qor {

QorError FoundItem::CheckProperty(int id) const {
  if (id == QOR_PROPERTY_FOUND_ITEM_LOCATION) return QOR_OK;
  if (id == QOR_PROPERTY_VM_MOID && !mMoid.empty()) return QOR_OK;
  return QOR_E_UNSUPPORTED_PROPERTY;
}

QorError FoundItem::ReadProperty(int id, void* out) {
  QorError check = CheckProperty(id);
  if (check != QOR_OK) return check;
  char* copy = DuplicateString(id == QOR_PROPERTY_VM_MOID ? mMoid : mLocation);
  if (!copy) return QOR_E_OUT_OF_MEMORY;
  *static_cast<char**>(out) = copy;
  return QOR_OK;
}

}  // namespace qor
