#pragma once
// An HTTP answer made by a handler; Simulator turns it into the server's response.

#include <string>

#include <nlohmann/json.hpp>

namespace sim {

struct Reply {
  int status = 200;
  std::string contentType = "application/json";
  std::string body;
};

// Invalid UTF-8 cannot reach the model (every text arrives through the JSON parser),
// but a dump must never throw inside a server thread.
inline std::string DumpJson(const nlohmann::json& j) {
  return j.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

inline Reply JsonReply(int status, const nlohmann::json& j) { return Reply{status, "application/json", DumpJson(j)}; }

}  // namespace sim
