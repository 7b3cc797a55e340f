// Every network wait of the library has a limit (see ERRORS.md). QOR_TIMEOUT_SCALE, a
// decimal factor read once from the environment, shortens them for tests.
#pragma once

#include <cstdint>

namespace qor {

struct Timeouts {
  uint32_t resolveMs;      // host name resolution
  uint32_t connectMs;      // TCP connect
  uint32_t sendMs;         // sending a request
  uint32_t requestMs;      // TLS handshake, waiting for the answer and reading it
  uint32_t eventWaitMs;    // how long the server may hold an event long poll
  uint32_t eventMarginMs;  // added to eventWaitMs for the long poll's own answer time-out
  uint32_t logoutMs;       // the logout sent by QorHost_Disconnect
  uint32_t retryMs;        // pause of the event thread after a failed poll
};

Timeouts DefaultTimeouts();
Timeouts ScaleTimeouts(const Timeouts& base, double factor);
// The time-outs in force: the defaults scaled by QOR_TIMEOUT_SCALE when it is set.
const Timeouts& CurrentTimeouts();

}  // namespace qor
