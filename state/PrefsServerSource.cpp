#include "state/PrefsServerSource.h"

#include "backend/ServerAddress.h"

std::vector<LiveServer> LiveServersFromRecords(const std::vector<ServerRecord>& records) {
  std::vector<LiveServer> servers;
  for (const ServerRecord& record : records) {
    if (record.type != ServerRecord::TYPE_SERVER) continue;
    LiveServer server;
    bool portGiven = false, schemeGiven = false;
    utils::ParseServerUrl(record.url, server.host, server.port, portGiven, server.useSsl, schemeGiven);
    if (server.host.empty()) continue;  // no address, no server
    server.saveCredentials = !record.username.empty();
    server.username = record.username;
    server.password = record.password;
    for (const FavoriteRecord& favorite : record.favorites)
      server.vms.push_back(LiveVM{favorite.id, favorite.name, favorite.cfxPath, true, 0});
    for (const RecentRecord& recent : record.recent)
      server.vms.push_back(LiveVM{recent.id, recent.name, recent.cfxPath, false, recent.lastUse});
    servers.push_back(std::move(server));
  }
  return servers;
}
