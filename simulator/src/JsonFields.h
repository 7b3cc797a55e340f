#pragma once
// Typed access to the fields of a request object; a missing or mistyped field
// throws BadRequest, which the handlers answer with HTTP 400.

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>

#include <nlohmann/json.hpp>

namespace sim {

class BadRequest : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

std::string RequireString(const nlohmann::json& object, const char* key);
std::optional<std::string> OptionalString(const nlohmann::json& object, const char* key);
std::string RequireNonEmptyString(const nlohmann::json& object, const char* key);
int64_t RequireInteger(const nlohmann::json& object, const char* key, int64_t min, int64_t max);
std::optional<uint32_t> OptionalPowerState(const nlohmann::json& object, const char* key);
uint32_t RequirePowerState(const nlohmann::json& object, const char* key);
bool RequireBool(const nlohmann::json& object, const char* key);

}  // namespace sim
