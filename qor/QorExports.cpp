// The exported C interface: argument checks, then the library's objects. No exception
// leaves through here.
#include <cstdarg>
#include <new>

#include "backend/QorApi.h"
#include "qor/ErrorText.h"
#include "qor/HandleTable.h"
#include "qor/Host.h"
#include "qor/Job.h"
#include "qor/JobRunner.h"
#include "qor/Operations.h"
#include "qor/Properties.h"
#include "qor/Trace.h"
#include "qor/Vm.h"

using namespace qor;

namespace {

template <class Body>
QorHandle StartGuarded(const char* name, QorEventProc callback, void* clientData, Body makeWork) {
  try {
    return StartJob(name, callback, clientData, makeWork());
  } catch (const std::bad_alloc&) {
    Trace("%s: out of memory", name);
  } catch (const std::exception& e) {
    Trace("%s: failed with an exception: %s", name, e.what());
  }
  return 0;
}

template <class Body>
QorError Guarded(const char* name, Body body) {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    Trace("%s: out of memory", name);
    return QOR_E_OUT_OF_MEMORY;
  } catch (const std::exception& e) {
    Trace("%s: failed with an exception: %s", name, e.what());
    return QOR_E_FAIL;
  }
}

// The object behind a handle of kind T; a refusal is logged with the kind's name.
template <class T>
QorError LookupLogged(const char* name, const char* kind, QorHandle handle, std::shared_ptr<T>* object) {
  QorError error = HandleTable::Instance().Lookup(handle, object);
  if (error != QOR_OK) {
    Trace("%s: handle %u is not a %s handle (error %llu)", name, handle, kind, static_cast<unsigned long long>(error));
  }
  return error;
}

QorError SubscriptionTarget(const char* name, QorHandle handle, int eventType, QorEventProc callback,
                            std::shared_ptr<Vm>* vm) {
  QorError error = LookupLogged(name, "VM", handle, vm);
  if (error != QOR_OK) return error;
  if (eventType != QOR_EVENT_VM_STATE_CHANGED || !callback) {
    Trace("%s: event type %d or a missing handler refused", name, eventType);
    return QOR_E_INVALID_ARG;
  }
  return QOR_OK;
}

}  // namespace

extern "C" {

QOR_API QorHandle QorHost_Connect(int apiVersion, int hostType, const char* serviceUrl, int port,
                                  const char* userName, const char* password, int options,
                                  QorHandle propertyList, QorEventProc callback, void* clientData) {
  (void)options;
  (void)propertyList;
  return StartGuarded("QorHost_Connect", callback, clientData, [&] {
    return ConnectWork(apiVersion, hostType, serviceUrl, port, userName, password);
  });
}

QOR_API void QorHost_Disconnect(QorHandle hostHandle) {
  Guarded("QorHost_Disconnect", [&]() -> QorError {
    std::shared_ptr<Host> host;
    QorError error = LookupLogged("QorHost_Disconnect", "host", hostHandle, &host);
    if (error != QOR_OK) return error;
    host->Connection()->Disconnect();
    return QOR_OK;
  });
}

QOR_API QorHandle QorHost_FindItems(QorHandle host, int searchType, QorHandle searchCriteria, int32_t timeout,
                                    QorEventProc callback, void* clientData) {
  (void)searchCriteria;
  return StartGuarded("QorHost_FindItems", callback, clientData,
                      [&] { return FindItemsWork(host, searchType, timeout); });
}

QOR_API QorHandle QorHost_OpenVM(QorHandle host, const char* configPath, int options, QorHandle propertyList,
                                 QorEventProc callback, void* clientData) {
  (void)options;
  (void)propertyList;
  return StartGuarded("QorHost_OpenVM", callback, clientData, [&] { return OpenVmWork(host, configPath); });
}

QOR_API QorHandle QorVM_PowerOn(QorHandle vm, int options, QorHandle propertyList, QorEventProc callback,
                                void* clientData) {
  (void)options;
  (void)propertyList;
  return StartGuarded("QorVM_PowerOn", callback, clientData, [&] { return PowerWork(vm, PowerAction::On); });
}

QOR_API QorHandle QorVM_PowerOff(QorHandle vm, int options, QorEventProc callback, void* clientData) {
  (void)options;
  return StartGuarded("QorVM_PowerOff", callback, clientData, [&] { return PowerWork(vm, PowerAction::Off); });
}

QOR_API QorHandle QorVM_Suspend(QorHandle vm, int options, QorEventProc callback, void* clientData) {
  (void)options;
  return StartGuarded("QorVM_Suspend", callback, clientData,
                      [&] { return PowerWork(vm, PowerAction::Suspend); });
}

QOR_API QorHandle QorVM_Reset(QorHandle vm, int options, QorEventProc callback, void* clientData) {
  (void)options;
  return StartGuarded("QorVM_Reset", callback, clientData, [&] { return PowerWork(vm, PowerAction::Reset); });
}

QOR_API QorError QorJob_Wait(QorHandle jobHandle, int propertyId, ...) {
  va_list args;
  va_start(args, propertyId);
  QorError result = Guarded("QorJob_Wait", [&]() -> QorError {
    std::shared_ptr<Job> job;
    QorError error = LookupLogged("QorJob_Wait", "job", jobHandle, &job);
    if (error != QOR_OK) return error;
    error = job->WaitUntilFinished();
    if (error != QOR_OK) return error;
    QorError jobError = QOR_OK;
    job->ReadProperty(QOR_PROPERTY_JOB_ERROR, &jobError);
    error = ReadPropertyList(*job, propertyId, args);
    return jobError != QOR_OK ? jobError : error;
  });
  va_end(args);
  return result;
}

QOR_API QorError Qor_SubscribeToEvents(QorHandle handle, int eventType, QorEventProc callback, void* clientData) {
  return Guarded("Qor_SubscribeToEvents", [&]() -> QorError {
    std::shared_ptr<Vm> vm;
    QorError error = SubscriptionTarget("Qor_SubscribeToEvents", handle, eventType, callback, &vm);
    if (error != QOR_OK) return error;
    error = vm->Connection()->Events().Subscribe(handle, vm->Moid(), callback, clientData);
    if (error != QOR_OK) {
      Trace("Qor_SubscribeToEvents: VM handle %u cannot be subscribed: error %llu", handle,
            static_cast<unsigned long long>(error));
    }
    return error;
  });
}

QOR_API QorError Qor_CancelEventSubscription(QorHandle handle, int eventType, QorEventProc callback,
                                             void* clientData) {
  return Guarded("Qor_CancelEventSubscription", [&]() -> QorError {
    std::shared_ptr<Vm> vm;
    QorError error = SubscriptionTarget("Qor_CancelEventSubscription", handle, eventType, callback, &vm);
    if (error != QOR_OK) return error;
    return vm->Connection()->Events().Cancel(handle, callback, clientData);
  });
}

QOR_API QorError Qor_GetProperties(QorHandle handle, int propertyId, ...) {
  va_list args;
  va_start(args, propertyId);
  QorError result = Guarded("Qor_GetProperties", [&]() -> QorError {
    std::shared_ptr<HandleObject> object = HandleTable::Instance().Find(handle);
    if (!object) {
      Trace("Qor_GetProperties: unknown handle %u", handle);
      return QOR_E_INVALID_HANDLE;
    }
    return ReadPropertyList(*object, propertyId, args);
  });
  va_end(args);
  return result;
}

QOR_API void Qor_AddRefHandle(QorHandle handle) {
  Guarded("Qor_AddRefHandle", [&]() -> QorError {
    HandleTable::Instance().AddRef(handle);
    return QOR_OK;
  });
}

QOR_API void Qor_ReleaseHandle(QorHandle handle) {
  Guarded("Qor_ReleaseHandle", [&]() -> QorError {
    HandleTable::Instance().Release(handle);
    return QOR_OK;
  });
}

QOR_API void Qor_FreeBuffer(void* buffer) { FreeBuffer(buffer); }

QOR_API const char* Qor_GetErrorText(QorError error, const char* locale) {
  (void)locale;  // one language only
  return ErrorText(error);
}

}  // extern "C"
