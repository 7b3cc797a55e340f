// Applies the lines of prefs.txt to the settings and the saved-server records.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "state/PrefsSettings.h"

class PrefsReader {
 public:
  // Lines longer than this are skipped unread: no setting comes near it, and a damaged
  // file must not make the program hold an arbitrarily long line in memory.
  static constexpr size_t kMaxLineBytes = 1 << 20;

  explicit PrefsReader(PrefsSettings& target) : mTarget(target) {}

  // One line without its line end. Lines that cannot be understood change nothing.
  void ApplyLine(std::string_view line);

  // Reads a whole file; false when it cannot be opened (the target is then unchanged).
  bool ReadFile(const std::wstring& path);

  size_t IgnoredLines() const { return mIgnoredLines; }
  size_t OverlongLines() const { return mOverlongLines; }

 private:
  bool ApplySetting(const std::string& key, const std::string& value);
  bool ApplyRecordKey(const std::string& key, const std::string& value);
  void EndOfLine(std::string& line);

  PrefsSettings& mTarget;
  size_t mIgnoredLines = 0;
  size_t mOverlongLines = 0;
};
