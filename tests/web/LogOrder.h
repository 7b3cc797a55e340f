// Checks on a log's text for the web-access tests.
#pragma once

#include <string>
#include <vector>

// The log's text with line ends as "\n" (the file has "\r\n").
inline std::string WithPlainLineEnds(const std::string& text) {
  std::string plain;
  plain.reserve(text.size());
  for (char c : text) {
    if (c != '\r') plain += c;
  }
  return plain;
}

// True when every piece occurs in text, each after the one before it.
inline bool AppearInOrder(const std::string& logText, const std::vector<std::string>& pieces) {
  const std::string text = WithPlainLineEnds(logText);
  size_t from = 0;
  for (const std::string& piece : pieces) {
    size_t at = text.find(piece, from);
    if (at == std::string::npos) return false;
    from = at + piece.size();
  }
  return true;
}

inline int CountOf(const std::string& text, const std::string& piece) {
  int count = 0;
  for (size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + piece.size())) ++count;
  return count;
}
