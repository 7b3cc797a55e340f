#include "ui/popup/SectionModel.h"

#include <windows.h>


namespace ui {

std::vector<size_t> PageSizes(size_t n) {
  if (n < 50) return {};
  size_t z = n / 50 + 1;
  if (z <= 50) z = 50;
  size_t c = n / z;
  if (c >= 20) c = 20;
  if (c == 0) c = 1;
  std::vector<size_t> sizes(c, n / c);
  for (size_t p = 0; p < n % c; ++p) ++sizes[p];
  return sizes;
}

namespace {
// The system's lower-casing follows the user's locale whatever the C runtime's is.
wchar_t Lower(wchar_t c) {
  CharLowerBuffW(&c, 1);
  return c;
}

// Left(a, k) == Left(b, k), where Left(x, k) is x cut to its first k characters.
bool SameLeft(const std::wstring& a, const std::wstring& b, size_t k) { return a.compare(0, k, b, 0, k) == 0; }
}  // namespace

void PageLabelPrefixes(const std::wstring& first, const std::wstring& last, const std::wstring& before,
                       const std::wstring& after, std::wstring& firstPrefix, std::wstring& lastPrefix) {
  size_t k = 3;
  for (;; ++k) {
    if (first.size() < k && last.size() < k) break;
    const bool clearOfBefore = before.empty() || !SameLeft(first, before, k);
    const bool clearOfAfter = after.empty() || !SameLeft(last, after, k);
    if (clearOfBefore && clearOfAfter && !SameLeft(first, last, k)) break;
  }
  firstPrefix = first.substr(0, k);
  lastPrefix = last.substr(0, k);
}

std::vector<std::wstring> SearchWords(const std::wstring& text) {
  std::vector<std::wstring> words;
  std::wstring word;
  for (wchar_t c : text) {
    if (c == L' ') {
      if (!word.empty()) words.push_back(word);
      word.clear();
    } else {
      word += Lower(c);
    }
  }
  if (!word.empty()) words.push_back(word);
  return words;
}

bool NameMatches(const std::vector<std::wstring>& nameWords, const std::vector<std::wstring>& searchWords) {
  for (const std::wstring& wanted : searchWords) {
    bool found = false;
    for (const std::wstring& word : nameWords) {
      if (word.find(wanted) != std::wstring::npos) {
        found = true;
        break;
      }
    }
    if (!found) return false;
  }
  return true;
}

bool NameMatches(const std::wstring& name, const std::vector<std::wstring>& searchWords) {
  return NameMatches(SearchWords(name), searchWords);
}

int CompareNames(const std::wstring& a, const std::wstring& b) {
  const int result = CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.c_str(), static_cast<int>(a.size()),
                                    b.c_str(), static_cast<int>(b.size()));
  return result == 0 ? a.compare(b) : result - CSTR_EQUAL;
}

bool StartsWithIgnoringCase(const std::wstring& name, const std::wstring& prefix) {
  if (name.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    if (Lower(name[i]) != Lower(prefix[i])) return false;
  }
  return true;
}

bool ApplySearch(std::vector<std::unique_ptr<Section>>& sections, const std::wstring& searchText) {
  if (searchText.empty()) {
    for (auto& section : sections) {
      section->headerShown = true;
      if (section->pages.empty()) {
        for (SectionEntry& entry : section->entries) entry.visible = true;
        continue;
      }
      bool anyHidden = false;
      for (SectionPage& page : section->pages) {
        section->entries[page.linkEntry].visible = !page.shown;
        for (size_t i = page.first; i <= page.last; ++i) section->entries[i].visible = page.shown;
        anyHidden = anyHidden || !page.shown;
      }
      if (anyHidden) section->entries[0].visible = true;
    }
    return false;
  }
  const std::vector<std::wstring> words = SearchWords(searchText);
  bool noMatch = true;
  for (auto& section : sections) {
    bool any = false;
    for (SectionEntry& entry : section->entries) {
      if (entry.kind == SectionEntry::VM_ROW && !entry.wordsMade) {
        entry.words = SearchWords(entry.name);
        entry.wordsMade = true;
      }
      entry.visible = entry.kind == SectionEntry::VM_ROW && NameMatches(entry.words, words);
      any = any || entry.visible;
    }
    section->headerShown = any;
    if (any) noMatch = false;
  }
  return noMatch;
}

}  // namespace ui
