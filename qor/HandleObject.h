// Base of everything a handle can name.
#pragma once

#include "backend/QorApi.h"

namespace qor {

enum class HandleKind { Host, Job, Vm, FoundItem };

class HandleObject {
 public:
  virtual ~HandleObject() = default;
  virtual HandleKind Kind() const = 0;
  // QOR_OK when Read(id) can succeed now; QOR_E_UNSUPPORTED_PROPERTY or a state error.
  virtual QorError CheckProperty(int id) const { (void)id; return QOR_E_UNSUPPORTED_PROPERTY; }
  // Writes one property to out (its type is given in QorApi.h); out is not null.
  virtual QorError ReadProperty(int id, void* out) { (void)id; (void)out; return QOR_E_UNSUPPORTED_PROPERTY; }
  // The last reference to the handle went; the object itself may live on briefly in
  // library threads that still hold it.
  virtual void OnHandleFreed(QorHandle handle) { (void)handle; }
};

}  // namespace qor
