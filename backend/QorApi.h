// The automation library's C interface (qor.dll). Shared by the library itself, which
// exports these functions, and by the program, which resolves them at run time
// (QorLibrary.h) because it loads the DLL by full path after start-up.
#pragma once
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef uint32_t QorHandle;  // 0 = none; reference-counted, given back with Qor_ReleaseHandle
typedef uint64_t QorError;   // 0 = success; compared whole

// Called on one of the library's own threads: (job, event type, extra information, context).
// No lock of the library is held during the call: a handler may release the job and call
// the library again. For event 8 the extra information is a found-item handle lent for the
// duration of the call (Qor_AddRefHandle keeps it); it answers QOR_PROPERTY_FOUND_ITEM_LOCATION
// and QOR_PROPERTY_VM_MOID (qor/ERRORS.md, "Found items"). For VM events (Qor_SubscribeToEvents)
// the first argument is the VM handle and the extra information 0.
typedef void (*QorEventProc)(QorHandle handle, int eventType, QorHandle moreEventInfo, void* clientData);

enum {
  QOR_API_VERSION = -1,
  QOR_HOST_TYPE_SERVER = 10,           // hosts and management servers alike
  QOR_FIND_RUNNING_VMS = 4,            // QorHost_FindItems: the server's VMs
  QOR_EVENT_JOB_COMPLETED = 2,
  QOR_EVENT_FIND_ITEM = 8,
  QOR_EVENT_VM_STATE_CHANGED = 5,      // Qor_SubscribeToEvents type
  QOR_TIMEOUT_INFINITE = -1,
};

// Property ids for Qor_GetProperties / QorJob_Wait. Output types:
//   QOR_PROPERTY_JOB_ERROR        QorError*
//   QOR_PROPERTY_JOB_RESULT       QorHandle*  (one more reference for the caller)
//   QOR_PROPERTY_FOUND_ITEM_LOCATION, QOR_PROPERTY_VM_MOID   char** (free with Qor_FreeBuffer)
//   QOR_PROPERTY_VM_POWER_STATE   int32_t*
enum {
  QOR_PROPERTY_NONE = 0,
  QOR_PROPERTY_VM_POWER_STATE = 129,
  QOR_PROPERTY_VM_MOID = 278,
  QOR_PROPERTY_JOB_ERROR = 3000,
  QOR_PROPERTY_JOB_RESULT = 3010,
  QOR_PROPERTY_FOUND_ITEM_LOCATION = 4010,
};

// Power-state bits of QOR_PROPERTY_VM_POWER_STATE.
enum {
  QOR_POWERSTATE_POWERING_OFF = 0x0001,
  QOR_POWERSTATE_POWERED_OFF = 0x0002,
  QOR_POWERSTATE_POWERING_ON = 0x0004,
  QOR_POWERSTATE_POWERED_ON = 0x0008,
  QOR_POWERSTATE_SUSPENDING = 0x0010,
  QOR_POWERSTATE_SUSPENDED = 0x0020,
  QOR_POWERSTATE_TOOLS_RUNNING = 0x0040,
  QOR_POWERSTATE_RESETTING = 0x0080,
  QOR_POWERSTATE_BLOCKED_ON_MSG = 0x0100,
  // Two further bits that the program reads as suspended and powering on.
  QOR_POWERSTATE_ALSO_SUSPENDED = 0x0200,
  QOR_POWERSTATE_ALSO_POWERING_ON = 0x0800,
};

// Error codes (Qor_GetErrorText gives the text). Documented in qor/ERRORS.md.
enum {
  QOR_OK = 0,
  QOR_E_FAIL = 1,
  QOR_E_OUT_OF_MEMORY = 2,
  QOR_E_INVALID_ARG = 3,
  QOR_E_UNSUPPORTED_PROPERTY = 6000,
  QOR_E_INVALID_HANDLE = 1000,
  QOR_E_WRONG_HANDLE_TYPE = 1001,
  QOR_E_NOT_CONNECTED = 1002,          // the host was disconnected (QorHost_Disconnect)
  QOR_E_JOB_NOT_FINISHED = 1003,       // a job's result read before it ended
  QOR_E_UNLICENSED_HOST = 32,          // free hypervisor refused: not licensed for this API
  QOR_E_CONNECTION_LOST = 36,
  QOR_E_VM_NOT_FOUND = 4000,
  QOR_E_INVALID_POWER_STATE = 3006,  // the operation is not allowed in the current state
  QOR_E_BAD_CREDENTIALS = 3014,
  QOR_E_HOST_NOT_FOUND = 30001,
  QOR_E_CONNECTION_REFUSED = 30003,
  QOR_E_TIMED_OUT = 30005,
  QOR_E_TLS_FAILURE = 30006,
  QOR_E_NOT_A_SERVER = 30007,          // answered, but not as a server of this kind
  QOR_E_BAD_SERVICE_URL = 30022,
  QOR_E_PROTOCOL_VERSION = 30028,
  QOR_E_NETWORK = 30035,               // other transport failures
  QOR_E_SERVER_ERROR = 30047,          // the server failed the request
};

#if defined(QOR_BUILDING_DLL)
#define QOR_API __declspec(dllexport)
#else
#define QOR_API
#endif

// The names below are the DLL's exports; the program calls them through QorLibrary.
// Asynchronous calls always return a job (0 only when out of memory) and always end with
// event 2, also when their arguments were refused; strings are copied before they return.
QOR_API QorHandle QorHost_Connect(int apiVersion, int hostType, const char* serviceUrl, int port,
                                  const char* userName, const char* password, int options,
                                  QorHandle propertyList, QorEventProc callback, void* clientData);
// Ends the session at once (the logout is sent on a library thread) and stops the host's
// event stream; later calls on the host or its VMs fail with QOR_E_NOT_CONNECTED.
QOR_API void QorHost_Disconnect(QorHandle host);
QOR_API QorHandle QorHost_FindItems(QorHandle host, int searchType, QorHandle searchCriteria,
                                    int32_t timeout, QorEventProc callback, void* clientData);
QOR_API QorHandle QorHost_OpenVM(QorHandle host, const char* configPath, int options,
                                 QorHandle propertyList, QorEventProc callback, void* clientData);
QOR_API QorHandle QorVM_PowerOn(QorHandle vm, int options, QorHandle propertyList,
                                QorEventProc callback, void* clientData);
QOR_API QorHandle QorVM_PowerOff(QorHandle vm, int options, QorEventProc callback, void* clientData);
QOR_API QorHandle QorVM_Suspend(QorHandle vm, int options, QorEventProc callback, void* clientData);
QOR_API QorHandle QorVM_Reset(QorHandle vm, int options, QorEventProc callback, void* clientData);
// Blocks until the job ends; then reads (property id, output place) pairs ended by 0.
QOR_API QorError QorJob_Wait(QorHandle job, int propertyId, ...);
QOR_API QorError Qor_SubscribeToEvents(QorHandle handle, int eventType, QorEventProc callback, void* clientData);
// After it returns, the handler is never called again for this subscription.
QOR_API QorError Qor_CancelEventSubscription(QorHandle handle, int eventType, QorEventProc callback, void* clientData);
QOR_API QorError Qor_GetProperties(QorHandle handle, int propertyId, ...);
QOR_API void Qor_AddRefHandle(QorHandle handle);
QOR_API void Qor_ReleaseHandle(QorHandle handle);
QOR_API void Qor_FreeBuffer(void* buffer);
QOR_API const char* Qor_GetErrorText(QorError error, const char* locale);

#ifdef __cplusplus
}
#endif
