#include "state/PrefsWriter.h"

#include "backend/ServerAddress.h"
#include "backend/RecentUse.h"
#include "state/PrefsLine.h"

namespace {

void AddIfNotEmpty(std::string& out, const char* key, const std::string& value) {
  if (!value.empty()) out += FormatPrefsLine(key, value);
}

// The lines that start a record (server.url, favoritesItem.name, mruItem.name) are written
// even when empty: they are what separates one record from the next, and leaving one out
// would hand the lines after it to the record before.
void AddServerBlock(std::string& out, const LiveServer& server, int32_t mruDurationDays, int64_t now) {
  out += FormatPrefsLine("server.url", utils::MakeServerUrl(server.host, server.port, server.useSsl, true));
  out += FormatPrefsLine("server.type", "1");
  if (server.saveCredentials) {
    AddIfNotEmpty(out, "server.username", server.username);
    AddIfNotEmpty(out, "server.password", server.password);
  }
  for (const LiveVM& vm : server.vms) {
    if (vm.favorite) {
      out += FormatPrefsLine("favoritesItem.name", vm.name);
      AddIfNotEmpty(out, "favoritesItem.cfxPath", vm.cfxPath);
      AddIfNotEmpty(out, "favoritesItem.id", vm.id);
    }
    if (utils::IsRecentUse(static_cast<int64_t>(vm.lastUse), now, mruDurationDays)) {
      out += FormatPrefsLine("mruItem.name", vm.name);
      AddIfNotEmpty(out, "mruItem.cfxPath", vm.cfxPath);
      AddIfNotEmpty(out, "mruItem.id", vm.id);
      out += FormatPrefsLine("mruItem.lastUse", std::to_string(vm.lastUse));
    }
  }
}

}  // namespace

std::string FormatPrefsFile(const PrefsSettings& settings, const std::vector<LiveServer>& servers,
                            const std::function<int64_t()>& clock) {
  std::string out;
  if (!settings.mCheckForUpdates) out += FormatPrefsLine("checkForUpdates", "false");
  if (settings.mUpdateInterval != PrefsSettings::kDefaultUpdateInterval)
    out += FormatPrefsLine("updateInterval", std::to_string(settings.mUpdateInterval));
  if (settings.mMruDurationDays != PrefsSettings::kDefaultMruDurationDays)
    out += FormatPrefsLine("mruDurationDays", std::to_string(settings.mMruDurationDays));
  if (!settings.mShowOldLumaconWarning) out += FormatPrefsLine("showOldLumaconWarning", "false");
  if (settings.mLastUpdateCheck != 0)
    out += FormatPrefsLine("lastUpdateCheck", std::to_string(settings.mLastUpdateCheck));

  for (const LiveServer& server : servers) AddServerBlock(out, server, settings.mMruDurationDays, clock());
  return out;
}
