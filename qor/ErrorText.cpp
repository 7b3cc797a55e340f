#include "qor/ErrorText.h"

namespace qor {

const char* ErrorText(QorError error) {
  switch (error) {
    case QOR_OK: return "The operation was successful";
    case QOR_E_FAIL: return "The operation failed";
    case QOR_E_OUT_OF_MEMORY: return "Out of memory";
    case QOR_E_INVALID_ARG: return "Invalid argument";
    case QOR_E_UNSUPPORTED_PROPERTY: return "The handle does not have this property";
    case QOR_E_INVALID_HANDLE: return "Invalid handle";
    case QOR_E_WRONG_HANDLE_TYPE: return "The handle is of the wrong type for this operation";
    case QOR_E_NOT_CONNECTED: return "The host is not connected";
    case QOR_E_JOB_NOT_FINISHED: return "The job has not finished";
    case QOR_E_UNLICENSED_HOST: return "The server is not licensed for this interface";
    case QOR_E_CONNECTION_LOST: return "The connection to the server was lost";
    case QOR_E_VM_NOT_FOUND: return "The virtual machine was not found";
    case QOR_E_INVALID_POWER_STATE: return "The operation is not allowed in the current state";
    case QOR_E_BAD_CREDENTIALS: return "Incorrect user name or password";
    case QOR_E_HOST_NOT_FOUND: return "The host name could not be resolved";
    case QOR_E_CONNECTION_REFUSED: return "The server refused the connection";
    case QOR_E_TIMED_OUT: return "The operation timed out";
    case QOR_E_TLS_FAILURE: return "The secure connection to the server failed";
    case QOR_E_NOT_A_SERVER: return "The address did not answer as a server of this kind";
    case QOR_E_BAD_SERVICE_URL: return "The service URL is not valid";
    case QOR_E_PROTOCOL_VERSION: return "The server does not support this protocol version";
    case QOR_E_NETWORK: return "A network error occurred";
    case QOR_E_SERVER_ERROR: return "The server failed the request";
    default: return "Unknown error";
  }
}

}  // namespace qor
