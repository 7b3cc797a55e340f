// The source behind one popup section: a server, Favorites or Recently Used. It lists
// VMs, has a state and a name, and emits mChanged when any of them change.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "backend/BackendSignal.h"
#include "backend/VM.h"

class VMCollection : public std::enable_shared_from_this<VMCollection> {
 public:
  enum {
    STATE_LOGGED_OFF = 0,
    STATE_LOGGING_IN = 1,
    STATE_LOGIN_FAILED = 2,
    STATE_ENUMERATING = 3,
    STATE_ENUM_FAILED = 4,
    STATE_ENUMERATED = 5,
  };

  BackendSignal mChanged;

  virtual ~VMCollection();
  VMCollection(const VMCollection&) = delete;
  VMCollection& operator=(const VMCollection&) = delete;

  // A copy of the list taken at one moment: a server may replace its list on a library
  // thread at any time, and the copy keeps every VM in it alive.
  virtual VMList GetVMs() const = 0;
  virtual std::string GetName() const = 0;
  virtual void AddFavorite(const std::string& name, const std::string& id, const std::string& cfxPath) = 0;
  virtual void AddRecent(const std::string& name, const std::string& id, const std::string& cfxPath,
                         int64_t lastUse) = 0;
  virtual bool HasUserName() const = 0;
  // Zero-terminated UTF-8; null or empty user name: use the saved credentials.
  virtual void Login(const char* userName, const char* password, bool save) = 0;
  virtual void Logoff(bool clearCredentials, bool disconnect) = 0;
  virtual uint64_t GetLastError() const = 0;
  virtual void Refresh() = 0;
  virtual bool RunVMInConsole(VM& vm) = 0;
  virtual int GetState() const = 0;
  virtual std::string GetErrorText() const = 0;

 protected:
  VMCollection() = default;
};

using VMCollectionPtr = std::shared_ptr<VMCollection>;
