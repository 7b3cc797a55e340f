// How WinHTTP's failures become library error codes. The measured behaviour under Wine
// differs from Windows in places; both are handled (see ERRORS.md).
#pragma once

#include <cstdint>

#include "backend/QorApi.h"

namespace qor {

// code: GetLastError() of the failed WinHTTP call; elapsedMs: how long the request had
// run; limitMs: the answer time-out it was given. A TLS handshake that a silent peer
// never finishes fails under Wine with a TLS error once the time-out has passed; that
// is a time-out, not a TLS failure.
QorError MapWinHttpError(uint32_t code, uint32_t elapsedMs, uint32_t limitMs);

// The peer accepted the connection and then dropped it without an answer. At the first
// contact (login) that is an address that does not speak this protocol, such as plain
// HTTP sent to the TLS port: the server resets the connection or answers with a TLS
// alert, depending on timing.
bool IsDroppedWithoutAnswer(uint32_t code);

}  // namespace qor
