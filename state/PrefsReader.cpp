#include "state/PrefsReader.h"

#include <windows.h>

#include <cstring>
#include <vector>

#include "log/Log.h"
#include "state/PrefsLine.h"
#include "state/Utf8Text.h"

namespace {
const char kLoadLogName[] = "Prefs::Load";

// Enough of an over-long line to tell its key.
constexpr size_t kKeyPrefixBytes = 64;

bool StartsRecord(const std::string& key) {
  return key == "server.url" || key == "favoritesItem.name" || key == "mruItem.name";
}

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

// UTF-16 code units to UTF-8; unpaired surrogates become U+FFFD rather than emptying the text.
std::string Utf16ToUtf8(const std::wstring& units) {
  if (units.empty()) return std::string();
  const int size = WideCharToMultiByte(CP_UTF8, 0, units.data(), static_cast<int>(units.size()), nullptr, 0,
                                       nullptr, nullptr);
  std::string text(size > 0 ? static_cast<size_t>(size) : 0, '\0');
  if (size > 0)
    WideCharToMultiByte(CP_UTF8, 0, units.data(), static_cast<int>(units.size()), text.data(), size, nullptr,
                        nullptr);
  return text;
}

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
  } else if (key == "showStateMarks") {
    mTarget.mShowStateMarks = value == "true";
  } else if (key == "notifyStateChanges") {
    mTarget.mNotifyStateChanges = value == "true";
  } else if (key == "hotkey") {
    // A number no hotkey control gives is damage: the line changes nothing.
    const int32_t hotkey = ReadPrefsInt32(value);
    if (hotkey < 0 || hotkey > 0xFFFF) return false;
    mTarget.mHotkey = static_cast<uint16_t>(hotkey);
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

// The value is lost, but a line that starts a record still starts one (empty), so the
// lines after it never join the record before.
void PrefsReader::ApplyOverlongLine() {
  ++mOverlongLines;
  PrefsLine parsed;
  if (ParsePrefsLine(ReplaceInvalidUtf8(mLine), parsed) && StartsRecord(parsed.key)) ApplyRecordKey(parsed.key, "");
  mLine.clear();
  mOverlong = false;
}

void PrefsReader::EndOfLine() {
  if (mOverlong) {
    ApplyOverlongLine();
    return;
  }
  // A line end is a line feed, optionally preceded by a carriage return.
  if (!mLine.empty() && mLine.back() == '\r') mLine.pop_back();
  ApplyLine(mLine);
  mLine.clear();
}

void PrefsReader::FeedText(std::string_view text) {
  while (!text.empty()) {
    const size_t feed = text.find('\n');
    const std::string_view piece = text.substr(0, feed);
    if (!mOverlong && mLine.size() + piece.size() > kMaxLineBytes) {
      mOverlong = true;
      std::string keep = mLine.substr(0, kKeyPrefixBytes);
      std::string().swap(mLine);
      mLine = std::move(keep);
    }
    if (mOverlong) {
      if (mLine.size() < kKeyPrefixBytes) mLine.append(piece.substr(0, kKeyPrefixBytes - mLine.size()));
    } else {
      mLine.append(piece);
    }
    if (feed == std::string_view::npos) return;
    EndOfLine();
    text.remove_prefix(feed + 1);
  }
}

void PrefsReader::FeedRaw(std::string_view bytes) {
  if (mEncoding == Encoding::UNKNOWN) {
    mPending.append(bytes);
    if (mPending.size() < 3) return;  // EndOfFile decides for shorter files
    bytes = std::string_view();
    std::string start;
    start.swap(mPending);
    if (StartsWith(start, "\xFF\xFE")) {
      mEncoding = Encoding::UTF16LE;
      mPending = start.substr(2);
    } else if (StartsWith(start, "\xFE\xFF")) {
      mEncoding = Encoding::UTF16BE;
      mPending = start.substr(2);
    } else {
      mEncoding = Encoding::UTF8;
      FeedText(std::string_view(start).substr(StartsWith(start, "\xEF\xBB\xBF") ? 3 : 0));
      return;
    }
  }
  if (mEncoding == Encoding::UTF8) {
    FeedText(bytes);
    return;
  }

  mPending.append(bytes);
  const size_t unitCount = mPending.size() / 2;
  std::wstring units(unitCount, L'\0');
  for (size_t i = 0; i < unitCount; ++i) {
    const unsigned char first = static_cast<unsigned char>(mPending[2 * i]);
    const unsigned char second = static_cast<unsigned char>(mPending[2 * i + 1]);
    units[i] = static_cast<wchar_t>(mEncoding == Encoding::UTF16LE ? first | (second << 8) : (first << 8) | second);
  }
  // A high surrogate at the end waits for its partner in the next chunk.
  size_t whole = unitCount;
  if (whole > 0 && units[whole - 1] >= 0xD800 && units[whole - 1] <= 0xDBFF) --whole;
  units.resize(whole);
  mPending.erase(0, whole * 2);
  FeedText(Utf16ToUtf8(units));
}

void PrefsReader::EndOfFile() {
  if (mEncoding == Encoding::UNKNOWN) {
    // Fewer than three bytes: decide now, with the same rules.
    std::string start;
    start.swap(mPending);
    if (StartsWith(start, "\xFF\xFE") || StartsWith(start, "\xFE\xFF")) return;
    mEncoding = Encoding::UTF8;
    FeedText(start);
  } else if (mEncoding != Encoding::UTF8 && !mPending.empty()) {
    // A lone high surrogate or an odd last byte.
    mPending.clear();
    FeedText("\xEF\xBF\xBD");
  }
  if (mOverlong) {
    ApplyOverlongLine();
  } else if (!mLine.empty()) {
    EndOfLine();  // the last line may lack its line end
  }
}

// Read as raw bytes: text mode would end the file at the first Ctrl-Z byte and lose every
// setting after it.
PrefsReader::Result PrefsReader::ReadFile(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return Result::NO_FILE;
    Log("%s: Unable to open the preferences file for reading (error 0x%lx); using the defaults.\n", kLoadLogName, error);
    return Result::NOT_READ_IN_FULL;
  }

  std::vector<char> chunk(64 * 1024);
  DWORD got = 0;
  BOOL readOk;
  while ((readOk = ::ReadFile(file, chunk.data(), static_cast<DWORD>(chunk.size()), &got, nullptr)) && got > 0)
    FeedRaw(std::string_view(chunk.data(), got));
  const DWORD readError = readOk ? 0 : GetLastError();
  CloseHandle(file);
  EndOfFile();

  if (readError) {
    Log("%s: Reading the preferences file failed part way with error 0x%lx; the rest is ignored.\n", kLoadLogName,
        readError);
  }
  if (mOverlongLines) {
    Log("%s: Skipped %llu lines longer than %llu bytes.\n", kLoadLogName, static_cast<unsigned long long>(mOverlongLines),
        static_cast<unsigned long long>(kMaxLineBytes));
  }
  if (mIgnoredLines) {
    Log("%s: Ignored %llu lines that hold no known setting.\n", kLoadLogName,
        static_cast<unsigned long long>(mIgnoredLines));
  }
  return readError || mOverlongLines ? Result::NOT_READ_IN_FULL : Result::READ_IN_FULL;
}
