// What a host handle and the VM handles opened through it share: the session and the
// event stream. It lives as long as any of them; when the last goes, the session is
// ended as by QorHost_Disconnect.
#pragma once

#include <memory>

#include "qor/EventStream.h"
#include "qor/Session.h"

namespace qor {

class HostConnection {
 public:
  explicit HostConnection(std::shared_ptr<Session> session);
  ~HostConnection();
  HostConnection(const HostConnection&) = delete;
  HostConnection& operator=(const HostConnection&) = delete;

  Session& GetSession() { return *mSession; }
  EventStream& Events() { return *mEvents; }
  // Logs out (on a worker) and stops the event stream; idempotent.
  void Disconnect();

 private:
  std::shared_ptr<Session> mSession;
  std::shared_ptr<EventStream> mEvents;
};

}  // namespace qor
