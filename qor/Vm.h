// A VM handle: the result of QorHost_OpenVM. Its power state (129) comes from the
// host's event stream while anything of the host is subscribed, else from the server (a
// request bounded by the request time-out); its moid (278) is known from the open.
#pragma once

#include <memory>
#include <string>

#include "qor/HandleObject.h"
#include "qor/HostConnection.h"

namespace qor {

class Vm : public HandleObject {
 public:
  static constexpr HandleKind kKind = HandleKind::Vm;
  Vm(std::shared_ptr<HostConnection> connection, std::string path, std::string moid);
  HandleKind Kind() const override { return kKind; }
  QorError CheckProperty(int id) const override;
  QorError ReadProperty(int id, void* out) override;
  void OnHandleFreed(QorHandle handle) override;

  const std::shared_ptr<HostConnection>& Connection() const { return mConnection; }
  const std::string& Moid() const { return mMoid; }
  const std::string& Path() const { return mPath; }
  QorError ReadPowerState(int32_t* state);

 private:
  std::shared_ptr<HostConnection> mConnection;
  const std::string mPath;
  const std::string mMoid;
};

}  // namespace qor
