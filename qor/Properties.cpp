#include "qor/Properties.h"

#include <cstdlib>
#include <cstring>
#include <vector>

#include "qor/HandleTable.h"
#include "qor/Trace.h"

namespace qor {
namespace {

const int kMaxPairs = 64;  // a longer list is taken as a missing terminator

struct Pair {
  int id;
  void* out;
};

// Gives back what a partly written list handed out, so a failed call leaves nothing owned.
void Undo(const std::vector<Pair>& written) {
  for (const Pair& pair : written) {
    switch (pair.id) {
      case QOR_PROPERTY_FOUND_ITEM_LOCATION:
      case QOR_PROPERTY_VM_MOID: {
        char** text = static_cast<char**>(pair.out);
        FreeBuffer(*text);
        *text = nullptr;
        break;
      }
      case QOR_PROPERTY_JOB_RESULT: {
        QorHandle* handle = static_cast<QorHandle*>(pair.out);
        HandleTable::Instance().Release(*handle);
        *handle = 0;
        break;
      }
      default:
        break;
    }
  }
}

}  // namespace

QorError ReadPropertyList(HandleObject& object, int firstId, va_list args) {
  std::vector<Pair> pairs;
  for (int id = firstId; id != QOR_PROPERTY_NONE; id = va_arg(args, int)) {
    if (pairs.size() == kMaxPairs) {
      Trace("ReadPropertyList: more than %d properties; is the list not ended by 0?", kMaxPairs);
      return QOR_E_INVALID_ARG;
    }
    void* out = va_arg(args, void*);
    if (!out) {
      Trace("ReadPropertyList: property %d has no output place", id);
      return QOR_E_INVALID_ARG;
    }
    QorError check = object.CheckProperty(id);
    if (check != QOR_OK) {
      Trace("ReadPropertyList: property %d cannot be read: error %llu", id, static_cast<unsigned long long>(check));
      return check;
    }
    pairs.push_back(Pair{id, out});
  }
  std::vector<Pair> written;
  for (const Pair& pair : pairs) {
    QorError error = object.ReadProperty(pair.id, pair.out);
    if (error != QOR_OK) {
      Trace("ReadPropertyList: reading property %d failed with %llu", pair.id, static_cast<unsigned long long>(error));
      Undo(written);
      return error;
    }
    written.push_back(pair);
  }
  return QOR_OK;
}

char* DuplicateString(const std::string& text) {
  char* copy = static_cast<char*>(std::malloc(text.size() + 1));
  if (copy) std::memcpy(copy, text.c_str(), text.size() + 1);
  return copy;
}

void FreeBuffer(void* buffer) { std::free(buffer); }

}  // namespace qor
