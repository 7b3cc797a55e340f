#include "qor/HostConnection.h"

namespace qor {

HostConnection::HostConnection(std::shared_ptr<Session> session)
    : mSession(std::move(session)), mEvents(std::make_shared<EventStream>(mSession)) {}

HostConnection::~HostConnection() { Disconnect(); }

void HostConnection::Disconnect() {
  mEvents->Stop();
  mSession->Close();
}

}  // namespace qor
