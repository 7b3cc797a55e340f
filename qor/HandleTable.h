// Maps 32-bit handles to objects with a reference count per handle. Values count up and
// are not handed out again while the counter has not wrapped, so a stale handle finds
// nothing instead of someone else's object.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <unordered_map>

#include "qor/HandleObject.h"

namespace qor {

class HandleTable {
 public:
  static HandleTable& Instance();

  // The new handle holds one reference; 0 when no value is free.
  QorHandle Add(std::shared_ptr<HandleObject> object);
  // Unknown handles are ignored (and logged).
  void AddRef(QorHandle handle);
  void Release(QorHandle handle);
  std::shared_ptr<HandleObject> Find(QorHandle handle) const;
  size_t Count() const;

  template <class T>
  QorError Lookup(QorHandle handle, std::shared_ptr<T>* out) const {
    std::shared_ptr<HandleObject> object = Find(handle);
    if (!object) return QOR_E_INVALID_HANDLE;
    if (object->Kind() != T::kKind) return QOR_E_WRONG_HANDLE_TYPE;
    *out = std::static_pointer_cast<T>(object);
    return QOR_OK;
  }

  // For tests: where the counter continues.
  void SetNextValueForTest(QorHandle next);

 private:
  struct Entry {
    std::shared_ptr<HandleObject> object;
    uint32_t references;
  };
  mutable std::mutex mLock;
  std::unordered_map<QorHandle, Entry> mEntries;
  QorHandle mNext = 1;
};

}  // namespace qor
