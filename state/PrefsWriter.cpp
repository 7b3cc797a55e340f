#include "state/PrefsWriter.h"

#include "backend/ServerAddress.h"
#include "backend/RecentUse.h"
#include "log/Log.h"
#include "state/PrefsLine.h"

namespace {

const char kSaveLogName[] = "Prefs::Save";

// A line the reader would skip is never written: a value that long (only a broken server
// can send one) is left out, and a record's first line is shortened instead, so no line
// can join another record.
bool AddIfFits(std::string& out, const char* key, const std::string& value) {
  std::string line = FormatPrefsLine(key, value);
  if (!PrefsLineFits(line)) return false;
  out += line;
  return true;
}

void AddIfNotEmpty(std::string& out, const char* key, const std::string& value, const std::string& host) {
  if (!value.empty() && !AddIfFits(out, key, value))
    Log("%s: The %s of a record of '%s' is too long to save (%llu bytes); it is left out.\n", kSaveLogName, key,
        host.c_str(), static_cast<unsigned long long>(value.size()));
}

// A favorite or recent group, all or nothing: its path and id are what find the VM again.
void AddVMGroup(std::string& out, const char* prefix, const LiveVM& vm, bool withLastUse, const std::string& host) {
  std::string group = FormatPrefsLineCut(std::string(prefix) + "name", vm.name);
  const std::string cfxKey = std::string(prefix) + "cfxPath";
  const std::string idKey = std::string(prefix) + "id";
  if ((!vm.cfxPath.empty() && !AddIfFits(group, cfxKey.c_str(), vm.cfxPath)) ||
      (!vm.id.empty() && !AddIfFits(group, idKey.c_str(), vm.id))) {
    Log("%s: A VM of '%s' has a path or id too long to save (%llu bytes); its %s group is left out.\n", kSaveLogName,
        host.c_str(), static_cast<unsigned long long>(vm.cfxPath.size() + vm.id.size()), prefix);
    return;
  }
  if (withLastUse) group += FormatPrefsLine(std::string(prefix) + "lastUse", std::to_string(vm.lastUse));
  out += group;
}

// The lines that start a record (server.url, favoritesItem.name, mruItem.name) are written
// even when empty: they are what separates one record from the next, and leaving one out
// would hand the lines after it to the record before.
void AddServerBlock(std::string& out, const LiveServer& server, int32_t mruDurationDays, int64_t now) {
  if (!AddIfFits(out, "server.url", utils::MakeServerUrl(server.host, server.port, server.useSsl, true))) {
    Log("%s: A server's address is too long to save (%llu bytes); the server is left out.\n", kSaveLogName,
        static_cast<unsigned long long>(server.host.size()));
    return;
  }
  out += FormatPrefsLine("server.type", "1");
  if (server.saveCredentials) {
    AddIfNotEmpty(out, "server.username", server.username, server.host);
    AddIfNotEmpty(out, "server.password", server.password, server.host);
  }
  for (const LiveVM& vm : server.vms) {
    if (vm.favorite) AddVMGroup(out, "favoritesItem.", vm, false, server.host);
    if (utils::IsRecentUse(static_cast<int64_t>(vm.lastUse), now, mruDurationDays))
      AddVMGroup(out, "mruItem.", vm, true, server.host);
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
  if (!settings.mShowStateMarks) out += FormatPrefsLine("showStateMarks", "false");
  if (!settings.mNotifyStateChanges) out += FormatPrefsLine("notifyStateChanges", "false");
  if (settings.mHotkey != PrefsSettings::kDefaultHotkey)
    out += FormatPrefsLine("hotkey", std::to_string(settings.mHotkey));

  for (const LiveServer& server : servers) AddServerBlock(out, server, settings.mMruDurationDays, clock());
  return out;
}
