// Applies the lines of prefs.txt to the settings and the saved-server records.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "state/PrefsLine.h"
#include "state/PrefsSettings.h"

class PrefsReader {
 public:
  // Lines longer than this are skipped unread: no setting comes near it, and a damaged
  // file must not make the program hold an arbitrarily long line in memory.
  static constexpr size_t kMaxLineBytes = kMaxPrefsLineBytes;

  enum class Result {
    NO_FILE,          // nothing to read: the target is unchanged
    READ_IN_FULL,     // every line was looked at
    NOT_READ_IN_FULL  // the file exists but could not be opened, or parts of it were lost
  };

  explicit PrefsReader(PrefsSettings& target) : mTarget(target) {}

  // One line without its line end. Lines that cannot be understood change nothing.
  void ApplyLine(std::string_view line);

  // Reads a whole file: UTF-8 (a leading byte-order mark is skipped) or UTF-16 with its
  // byte-order mark, as Windows editors save it.
  Result ReadFile(const std::wstring& path);

  size_t IgnoredLines() const { return mIgnoredLines; }
  size_t OverlongLines() const { return mOverlongLines; }

 private:
  enum class Encoding { UNKNOWN, UTF8, UTF16LE, UTF16BE };

  bool ApplySetting(const std::string& key, const std::string& value);
  bool ApplyRecordKey(const std::string& key, const std::string& value);
  void ApplyOverlongLine();
  // Text in the file's encoding, in the order read.
  void FeedRaw(std::string_view bytes);
  // UTF-8 text, split into lines.
  void FeedText(std::string_view text);
  void EndOfLine();
  void EndOfFile();

  PrefsSettings& mTarget;
  Encoding mEncoding = Encoding::UNKNOWN;
  std::string mPending;  // undecided start of the file, or a split UTF-16 unit
  std::string mLine;
  bool mOverlong = false;
  size_t mIgnoredLines = 0;
  size_t mOverlongLines = 0;
};
