#include "simulator/src/JsonFields.h"

namespace sim {
namespace {

const nlohmann::json& Require(const nlohmann::json& object, const char* key) {
  auto it = object.find(key);
  if (it == object.end()) throw BadRequest(std::string("missing field '") + key + "'");
  return *it;
}

}  // namespace

std::string RequireString(const nlohmann::json& object, const char* key) {
  const auto& value = Require(object, key);
  if (!value.is_string()) throw BadRequest(std::string("field '") + key + "' must be a string");
  return value.get<std::string>();
}

std::optional<std::string> OptionalString(const nlohmann::json& object, const char* key) {
  if (!object.contains(key)) return std::nullopt;
  return RequireString(object, key);
}

std::string RequireNonEmptyString(const nlohmann::json& object, const char* key) {
  std::string value = RequireString(object, key);
  if (value.empty()) throw BadRequest(std::string("field '") + key + "' must not be empty");
  return value;
}

int64_t RequireInteger(const nlohmann::json& object, const char* key, int64_t min, int64_t max) {
  const auto& value = Require(object, key);
  const std::string range = " from " + std::to_string(min) + " to " + std::to_string(max);
  if (!value.is_number_integer()) throw BadRequest(std::string("field '") + key + "' must be an integer" + range);
  // Unsigned values above the int64 range compare as too large, not as negative.
  if (value.is_number_unsigned() && value.get<uint64_t>() > static_cast<uint64_t>(INT64_MAX))
    throw BadRequest(std::string("field '") + key + "' must be" + range);
  int64_t number = value.get<int64_t>();
  if (number < min || number > max) throw BadRequest(std::string("field '") + key + "' must be" + range);
  return number;
}

uint32_t RequirePowerState(const nlohmann::json& object, const char* key) {
  return static_cast<uint32_t>(RequireInteger(object, key, 0, 0xFFFFFFFFll));
}

std::optional<uint32_t> OptionalPowerState(const nlohmann::json& object, const char* key) {
  if (!object.contains(key)) return std::nullopt;
  return RequirePowerState(object, key);
}

bool RequireBool(const nlohmann::json& object, const char* key) {
  const auto& value = Require(object, key);
  if (!value.is_boolean()) throw BadRequest(std::string("field '") + key + "' must be true or false");
  return value.get<bool>();
}

}  // namespace sim
