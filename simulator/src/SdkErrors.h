#pragma once
// Error codes of the /sdk protocol; the client library passes them on unchanged.

#include <string>
#include <utility>

namespace sim {

enum SdkError : int {
  kOk = 0,
  kErrBadArgument = 3,
  kErrUnlicensed = 32,
  kErrSessionLost = 36,
  kErrInvalidPowerState = 3006,
  kErrBadCredentials = 3014,
  kErrVmNotFound = 4000,
  kErrProtocolVersion = 30028,
};

// Outcome of an operation on the model: code 0 or an SdkError with its text.
struct Status {
  int code = kOk;
  std::string text;
  bool ok() const { return code == kOk; }
  static Status Success() { return {}; }
  static Status Failure(int code, std::string text) { return {code, std::move(text)}; }
};

}  // namespace sim
