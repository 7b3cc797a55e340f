// One line of prefs.txt: key = "value".
//
// Values that the plain form cannot carry are written in a marked form. The plain form is
// broken by a line break or other control character (it would end the line and let the
// rest be read as further settings), by a double quote, by a leading blank or "=" (the
// reader drops those), and by bytes that are not UTF-8 (the reader replaces them). Such a
// value is written as
//     key = "=<text>"
// where <text> is the value with every such byte, every double quote and every "%" written
// as %HH (two upper-case hexadecimal digits). A plain value can never start with "=" when
// read back, so the "=" after the opening quote marks the escaped form without ambiguity,
// and every ordinary value is written and read exactly as before.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// The longest line the reader takes, without its line feed. Longer lines are skipped on
// reading, so the writer never makes one.
constexpr size_t kMaxPrefsLineBytes = 1 << 20;

struct PrefsLine {
  std::string key;
  std::string value;
};

// Splits a line (without its line end, already valid UTF-8). False when it has no "=".
bool ParsePrefsLine(std::string_view line, PrefsLine& out);

// "key = \"value\"\r\n", escaping the value when it needs it.
std::string FormatPrefsLine(std::string_view key, std::string_view value);

// Whether a formatted line (with its line end) is short enough for the reader.
bool PrefsLineFits(std::string_view line);

// The line with the longest start of value that fits (cut between UTF-8 sequences).
std::string FormatPrefsLineCut(std::string_view key, std::string_view value);

// Whether a value needs the marked form.
bool PrefsValueNeedsEscaping(std::string_view value);

// Numbers read like the runtime's to-integer conversions: leading white space skipped, an
// optional sign, then digits up to the first other character; no digits read as 0. Values
// beyond the type's range saturate; a negative value read as unsigned is 0.
int32_t ReadPrefsInt32(std::string_view text);
uint64_t ReadPrefsUInt64(std::string_view text);
