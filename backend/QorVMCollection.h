// A collection whose VMs are reached through the automation library: it lends them its
// host handle.
#pragma once

#include "backend/QorApi.h"
#include "backend/VMCollection.h"

class QorVMCollection : public VMCollection {
 public:
  // The host handle while logged in, else 0. Valid for calls started right away; after a
  // log-off the library refuses it.
  virtual QorHandle GetHostHandle() const = 0;
  // A job that used host handle `lostHandle` reported the connection lost (error 36):
  // log off, keeping the credentials, unless that session has already been replaced.
  virtual void OnConnectionLost(QorHandle lostHandle) = 0;

 protected:
  QorVMCollection() = default;
};
