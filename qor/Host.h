// A host handle: the result of QorHost_Connect.
#pragma once

#include <memory>

#include "qor/HandleObject.h"
#include "qor/HostConnection.h"

namespace qor {

class Host : public HandleObject {
 public:
  static constexpr HandleKind kKind = HandleKind::Host;
  explicit Host(std::shared_ptr<HostConnection> connection) : mConnection(std::move(connection)) {}
  HandleKind Kind() const override { return kKind; }
  const std::shared_ptr<HostConnection>& Connection() const { return mConnection; }

 private:
  std::shared_ptr<HostConnection> mConnection;
};

}  // namespace qor
