// The text of prefs.txt: the settings that differ from their defaults, then one block per
// server.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "state/PrefsServerSource.h"
#include "state/PrefsSettings.h"

// Each server's block holds its address, its credentials when they are saved, and for each
// of its VMs in order a favorite group and/or a recent group (favorites first). The clock
// is read once per server, before its VMs are looked at. The settings' own server list is
// not used.
std::string FormatPrefsFile(const PrefsSettings& settings, const std::vector<LiveServer>& servers,
                            const std::function<int64_t()>& clock);
