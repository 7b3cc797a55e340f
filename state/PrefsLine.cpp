#include "state/PrefsLine.h"

#include <climits>

#include "state/Utf8Text.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// The text up to the last double quote, or all of it when there is none.
std::string_view UpToLastQuote(std::string_view text) {
  const size_t quote = text.rfind('"');
  return quote == std::string_view::npos ? text : text.substr(0, quote);
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::string Unescape(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && HexDigit(text[i + 1]) >= 0 && HexDigit(text[i + 2]) >= 0) {
      result.push_back(static_cast<char>(HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2])));
      i += 2;
    } else {
      result.push_back(text[i]);
    }
  }
  return result;
}

bool IsControl(unsigned char c) { return c < 0x20 || c == 0x7F; }

void AppendEscapedByte(std::string& out, unsigned char c) {
  static const char kHex[] = "0123456789ABCDEF";
  out.push_back('%');
  out.push_back(kHex[c >> 4]);
  out.push_back(kHex[c & 0x0F]);
}

std::string Escape(std::string_view value) {
  std::string result;
  result.reserve(value.size() + 8);
  size_t pos = 0;
  while (pos < value.size()) {
    const unsigned char c = static_cast<unsigned char>(value[pos]);
    const size_t length = Utf8SequenceLength(value, pos);
    if (length == 0 || IsControl(c) || c == '"' || c == '%') {
      AppendEscapedByte(result, c);
      ++pos;
    } else {
      result.append(value, pos, length);
      pos += length;
    }
  }
  return result;
}

struct DigitRun {
  bool negative = false;
  std::string_view digits;
};

DigitRun ReadDigitRun(std::string_view text) {
  DigitRun run;
  size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    run.negative = text[i] == '-';
    ++i;
  }
  const size_t start = i;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
  run.digits = text.substr(start, i - start);
  return run;
}

}  // namespace

bool ParsePrefsLine(std::string_view line, PrefsLine& out) {
  const size_t equals = line.find('=');
  if (equals == std::string_view::npos) return false;
  out.key.assign(Trim(line.substr(0, equals)));

  std::string_view rest = line.substr(equals + 1);
  size_t start = 0;
  while (start < rest.size() && rest[start] == ' ') ++start;
  if (start + 1 < rest.size() && rest[start] == '"' && rest[start + 1] == '=') {
    out.value = Unescape(UpToLastQuote(rest.substr(start + 2)));
    return true;
  }
  while (start < rest.size() && (rest[start] == ' ' || rest[start] == '"' || rest[start] == '=')) ++start;
  out.value.assign(UpToLastQuote(rest.substr(start)));
  return true;
}

bool PrefsValueNeedsEscaping(std::string_view value) {
  if (value.empty()) return false;
  if (value.front() == ' ' || value.front() == '=') return true;
  size_t pos = 0;
  while (pos < value.size()) {
    const unsigned char c = static_cast<unsigned char>(value[pos]);
    if (IsControl(c) || c == '"') return true;
    const size_t length = Utf8SequenceLength(value, pos);
    if (length == 0) return true;
    pos += length;
  }
  return false;
}

std::string FormatPrefsLine(std::string_view key, std::string_view value) {
  std::string line;
  line.reserve(key.size() + value.size() + 10);
  line.append(key);
  line.append(" = \"");
  if (PrefsValueNeedsEscaping(value)) {
    line.push_back('=');
    line.append(Escape(value));
  } else {
    line.append(value);
  }
  line.append("\"\r\n");
  return line;
}

bool PrefsLineFits(std::string_view line) {
  // The reader counts every byte before the line feed, the carriage return included.
  return line.size() <= kMaxPrefsLineBytes + 1;
}

std::string FormatPrefsLineCut(std::string_view key, std::string_view value) {
  std::string line = FormatPrefsLine(key, value);
  if (PrefsLineFits(line)) return line;
  // Escaping only lengthens the text, so the fitting starts form one range: search it.
  size_t fits = 0, tooLong = value.size();
  while (tooLong - fits > 1) {
    const size_t middle = fits + (tooLong - fits) / 2;
    (PrefsLineFits(FormatPrefsLine(key, value.substr(0, middle))) ? fits : tooLong) = middle;
  }
  while (fits > 0 && (static_cast<unsigned char>(value[fits]) & 0xC0) == 0x80) --fits;
  return FormatPrefsLine(key, value.substr(0, fits));
}

int32_t ReadPrefsInt32(std::string_view text) {
  const DigitRun run = ReadDigitRun(text);
  int64_t value = 0;
  for (char c : run.digits) {
    value = value * 10 + (c - '0');
    if (value > static_cast<int64_t>(INT32_MAX) + 1) break;
  }
  if (run.negative) value = -value;
  if (value > INT32_MAX) return INT32_MAX;
  if (value < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(value);
}

uint64_t ReadPrefsUInt64(std::string_view text) {
  const DigitRun run = ReadDigitRun(text);
  if (run.negative) return 0;
  uint64_t value = 0;
  for (char c : run.digits) {
    const uint64_t digit = static_cast<uint64_t>(c - '0');
    if (value > (UINT64_MAX - digit) / 10) return UINT64_MAX;
    value = value * 10 + digit;
  }
  return value;
}
