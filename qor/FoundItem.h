// One VM reported by QorHost_FindItems (event 8). The handle is lent for the duration
// of the handler call; a caller that wants to keep it takes a reference.
#pragma once

#include <string>

#include "qor/HandleObject.h"

namespace qor {

class FoundItem : public HandleObject {
 public:
  static constexpr HandleKind kKind = HandleKind::FoundItem;
  // moid: the VM's managed-object id from the listing; empty when the server gave none,
  // and then the item does not have property 278.
  explicit FoundItem(std::string location, std::string moid = std::string())
      : mLocation(std::move(location)), mMoid(std::move(moid)) {}
  HandleKind Kind() const override { return kKind; }
  QorError CheckProperty(int id) const override;
  QorError ReadProperty(int id, void* out) override;

 private:
  const std::string mLocation;  // the configuration path
  const std::string mMoid;
};

}  // namespace qor
