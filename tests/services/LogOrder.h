// Checks on a log's text for the web-access tests.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

// True when every piece occurs in text, each after the one before it.
inline bool AppearInOrder(std::string text, const std::vector<std::string>& pieces) {
  text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());  // the file has "\r\n"
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
