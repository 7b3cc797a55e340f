#include "state/PrefsReader.h"

#include <windows.h>

#include <cstring>
#include <vector>

#include "log/Log.h"
#include "state/PrefsLine.h"
#include "state/Utf8Text.h"

namespace {
const char kName[] = "Prefs::Load";
}  // namespace

void PrefsReader::ApplyLine(std::string_view line) {
  // The rest of a line after a zero byte is not text.
  line = line.substr(0, line.find('\0'));
  if (line.empty()) return;
  PrefsLine parsed;
  const std::string text = ReplaceInvalidUtf8(line);
  if (!ParsePrefsLine(text, parsed) ||
      !(ApplySetting(parsed.key, parsed.value) || ApplyRecordKey(parsed.key, parsed.value))) {
    ++mIgnoredLines;
  }
}

bool PrefsReader::ApplySetting(const std::string& key, const std::string& value) {
  if (key == "lastUpdateCheck") {
    mTarget.mLastUpdateCheck = ReadPrefsUInt64(value);
  } else if (key == "updateInterval") {
    mTarget.mUpdateInterval = ReadPrefsInt32(value);
  } else if (key == "mruDurationDays") {
    mTarget.mMruDurationDays = ReadPrefsInt32(value);
  } else if (key == "checkForUpdates") {
    mTarget.mCheckForUpdates = value == "true";
  } else if (key == "showOldLumaconWarning") {
    mTarget.mShowOldLumaconWarning = value == "true";
  } else {
    return false;
  }
  return true;
}

// Record keys belong to the last record started; one that comes before its record is
// ignored (false).
bool PrefsReader::ApplyRecordKey(const std::string& key, const std::string& value) {
  std::vector<ServerRecord>& servers = mTarget.mServers;
  if (key == "server.url") {
    servers.emplace_back();
    servers.back().url = value;
    return true;
  }
  if (servers.empty()) return false;
  ServerRecord& server = servers.back();

  if (key == "server.type") {
    const int32_t type = ReadPrefsInt32(value);
    if (type != ServerRecord::TYPE_SERVER && type != ServerRecord::TYPE_OTHER) return false;
    server.type = type;
  } else if (key == "server.username") {
    server.username = value;
  } else if (key == "server.password") {
    server.password = value;
  } else if (key == "favoritesItem.name") {
    server.favorites.emplace_back();
    server.favorites.back().name = value;
  } else if (key == "favoritesItem.cfxPath" || key == "favoritesItem.id") {
    if (server.favorites.empty()) return false;
    (key == "favoritesItem.id" ? server.favorites.back().id : server.favorites.back().cfxPath) = value;
  } else if (key == "mruItem.name") {
    server.recent.emplace_back();
    server.recent.back().name = value;
  } else if (key == "mruItem.cfxPath" || key == "mruItem.id" || key == "mruItem.lastUse") {
    if (server.recent.empty()) return false;
    RecentRecord& recent = server.recent.back();
    if (key == "mruItem.lastUse") {
      recent.lastUse = ReadPrefsUInt64(value);
    } else {
      (key == "mruItem.id" ? recent.id : recent.cfxPath) = value;
    }
  } else {
    return false;
  }
  return true;
}

void PrefsReader::EndOfLine(std::string& line) {
  // A line end is a line feed, optionally preceded by a carriage return.
  if (!line.empty() && line.back() == '\r') line.pop_back();
  ApplyLine(line);
  line.clear();
}

// Read as raw bytes: text mode would end the file at the first Ctrl-Z byte and lose every
// setting after it.
bool PrefsReader::ReadFile(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) {
      Log("%s: Unable to open the preferences file for reading (error 0x%lx); using the defaults.\n", kName,
          error);
    }
    return false;
  }

  std::string line;
  bool overlong = false;
  std::vector<char> chunk(64 * 1024);
  DWORD got = 0;
  BOOL readOk;
  while ((readOk = ::ReadFile(file, chunk.data(), static_cast<DWORD>(chunk.size()), &got, nullptr)) && got > 0) {
    size_t start = 0;
    while (start < got) {
      const char* feed = static_cast<const char*>(memchr(chunk.data() + start, '\n', got - start));
      const size_t end = feed ? static_cast<size_t>(feed - chunk.data()) : got;
      if (!overlong) {
        if (line.size() + (end - start) > kMaxLineBytes) {
          overlong = true;
          std::string().swap(line);
        } else {
          line.append(chunk.data() + start, end - start);
        }
      }
      if (!feed) break;
      if (overlong) {
        ++mOverlongLines;
        overlong = false;
      } else {
        EndOfLine(line);
      }
      start = end + 1;
    }
  }
  const DWORD readError = readOk ? 0 : GetLastError();
  CloseHandle(file);
  if (overlong) {
    ++mOverlongLines;
  } else if (!line.empty()) {
    EndOfLine(line);  // the last line may lack its line end
  }

  if (readError) {
    Log("%s: Reading the preferences file failed part way with error 0x%lx; the rest is ignored.\n", kName,
        readError);
  }
  if (mOverlongLines) {
    Log("%s: Skipped %llu lines longer than %llu bytes.\n", kName, static_cast<unsigned long long>(mOverlongLines),
        static_cast<unsigned long long>(kMaxLineBytes));
  }
  if (mIgnoredLines) {
    Log("%s: Ignored %llu lines that hold no known setting.\n", kName,
        static_cast<unsigned long long>(mIgnoredLines));
  }
  return true;
}
