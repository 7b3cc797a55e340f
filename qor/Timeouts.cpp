#include "qor/Timeouts.h"

#include <cstdlib>

#include "qor/Trace.h"

namespace qor {
namespace {

uint32_t Scale(uint32_t ms, double factor) {
  double scaled = ms * factor;
  if (scaled < 50) return 50;  // below this WinHTTP and the server cannot keep up
  if (scaled > 600000) return 600000;
  return static_cast<uint32_t>(scaled);
}

Timeouts FromEnvironment() {
  Timeouts base = DefaultTimeouts();
  const char* text = std::getenv("QOR_TIMEOUT_SCALE");
  if (!text || !*text) return base;
  char* end = nullptr;
  double factor = std::strtod(text, &end);
  if (end == text || *end != '\0' || !(factor > 0.0) || factor > 100.0) {
    Trace("Timeouts: ignoring QOR_TIMEOUT_SCALE='%s' (not a number above 0 and at most 100)", text);
    return base;
  }
  return ScaleTimeouts(base, factor);
}

}  // namespace

Timeouts DefaultTimeouts() {
  Timeouts t;
  t.resolveMs = 10000;
  t.connectMs = 10000;
  t.sendMs = 30000;
  t.requestMs = 30000;
  t.eventWaitMs = 10000;
  t.eventMarginMs = 10000;
  t.logoutMs = 5000;
  t.retryMs = 1000;
  return t;
}

Timeouts ScaleTimeouts(const Timeouts& base, double factor) {
  Timeouts t;
  t.resolveMs = Scale(base.resolveMs, factor);
  t.connectMs = Scale(base.connectMs, factor);
  t.sendMs = Scale(base.sendMs, factor);
  t.requestMs = Scale(base.requestMs, factor);
  t.eventWaitMs = Scale(base.eventWaitMs, factor);
  t.eventMarginMs = Scale(base.eventMarginMs, factor);
  t.logoutMs = Scale(base.logoutMs, factor);
  t.retryMs = Scale(base.retryMs, factor);
  return t;
}

const Timeouts& CurrentTimeouts() {
  static const Timeouts current = FromEnvironment();
  return current;
}

}  // namespace qor
