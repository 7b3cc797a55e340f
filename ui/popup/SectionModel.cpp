#include "ui/popup/SectionModel.h"

#include <windows.h>

#include <algorithm>

#include "res/resource.h"
#include "services/StringResource.h"
#include "services/TextConversion.h"
#include "ui/window/LayoutMetrics.h"

namespace ui {

std::vector<size_t> PageSizes(size_t n) {
  if (n < kPagingThreshold) return {};
  const size_t pageSize = std::max(n / kPageSizeStep + 1, kMinPageSize);
  // At least one page: pageSize is never above n here.
  const size_t pageCount = std::min(n / pageSize, kMaxPages);
  // The VMs spread evenly, the first pages taking one more where they do not divide.
  std::vector<size_t> sizes(pageCount, n / pageCount);
  for (size_t page = 0; page < n % pageCount; ++page) ++sizes[page];
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

std::wstring ShowAllText(size_t vmCount) {
  wchar_t text[256];
  _snwprintf(text, 256, utils::LoadStringResource(IDS_SHOW_ALL).c_str(), static_cast<unsigned>(vmCount));
  text[255] = 0;
  return text;
}

std::wstring RangeText(const std::wstring& firstPrefix, const std::wstring& lastPrefix, size_t vmCount) {
  wchar_t text[512];
  _snwprintf(text, 512, utils::LoadStringResource(IDS_SHOW_RANGE).c_str(), firstPrefix.c_str(), lastPrefix.c_str(),
             static_cast<unsigned>(vmCount));
  text[511] = 0;
  return text;
}

namespace {
SectionEntry LinkEntry(LinkItem* link) {
  SectionEntry entry;
  entry.kind = SectionEntry::LINK_ROW;
  entry.link = link;
  entry.visible = true;
  entry.height = utils::LINE_HEIGHT;
  return entry;
}

void ShowPage(Section& section, SectionPage& page) {
  page.shown = true;
  section.entries[page.linkEntry].visible = false;
  for (size_t i = page.first; i <= page.last; ++i) section.entries[i].visible = true;
}
}  // namespace

SectionEntry MakeVMEntry(const VMPtr& vm, bool visible) {
  SectionEntry entry;
  entry.kind = SectionEntry::VM_ROW;
  entry.vm = vm;
  entry.visible = visible;
  entry.height = utils::LINE_HEIGHT;
  return entry;
}

const std::wstring& SectionEntry::Name() const {
  static const std::wstring kNone;
  return vm ? vm->GetWideName() : kNone;
}

namespace {
constexpr size_t kNotKept = static_cast<size_t>(-1);
}  // namespace

KnownEntries::KnownEntries(std::vector<SectionEntry>& entries) {
  size_t rows = 0;
  for (const SectionEntry& entry : entries) rows += entry.kind == SectionEntry::VM_ROW;
  mRows.reserve(rows);
  for (SectionEntry& entry : entries) {
    if (entry.kind == SectionEntry::VM_ROW) mRows.push_back(std::move(entry));
  }
  mTaken.assign(mRows.size(), false);
}

size_t KnownEntries::Find(const VM* vm) {
  // A taken entry holds no VM any more: the cursor never gives it twice.
  if (mCursor < mRows.size() && mRows[mCursor].vm.get() == vm) return mCursor++;
  if (mByVM.empty() && !mRows.empty()) {
    mByVM.reserve(mRows.size());
    for (size_t i = 0; i < mRows.size(); ++i) mByVM.emplace_back(mRows[i].vm.get(), i);
    std::sort(mByVM.begin(), mByVM.end());
  }
  auto found = std::lower_bound(mByVM.begin(), mByVM.end(), std::make_pair(vm, size_t{0}));
  // The same VM twice in the old list: the first not yet taken.
  while (found != mByVM.end() && found->first == vm && mTaken[found->second]) ++found;
  if (found == mByVM.end() || found->first != vm) return kNotKept;
  mCursor = found->second + 1;
  return found->second;
}

SectionEntry KnownEntries::Take(const VMPtr& vm, bool visible) {
  const size_t at = Find(vm.get());
  if (at == kNotKept) return MakeVMEntry(vm, visible);
  mTaken[at] = true;
  SectionEntry entry = std::move(mRows[at]);
  entry.visible = visible;
  entry.height = utils::LINE_HEIGHT;
  return entry;
}

void FillPagedSection(Section& section, const std::vector<size_t>& pageSizes, const std::vector<std::wstring>& names,
                      const LinkMaker& makeLink, const VMEntryMaker& makeVMEntry) {
  FillPagedSection(
      section, pageSizes, names.size(), [&names](size_t i) { return names[i]; }, makeLink, makeVMEntry);
}

std::vector<std::wstring> PagedLinkTexts(const std::vector<size_t>& pageSizes, size_t vmCount, const NameAt& nameAt) {
  std::vector<std::wstring> texts;
  texts.reserve(pageSizes.size() + 1);
  texts.push_back(ShowAllText(vmCount));
  size_t firstVM = 0;
  for (size_t size : pageSizes) {
    const size_t lastVM = firstVM + size - 1;
    std::wstring firstPrefix, lastPrefix;
    PageLabelPrefixes(nameAt(firstVM), nameAt(lastVM), firstVM > 0 ? nameAt(firstVM - 1) : std::wstring(),
                      lastVM + 1 < vmCount ? nameAt(lastVM + 1) : std::wstring(), firstPrefix, lastPrefix);
    texts.push_back(RangeText(firstPrefix, lastPrefix, size));
    firstVM = lastVM + 1;
  }
  return texts;
}

void FillPagedSection(Section& section, const std::vector<size_t>& pageSizes, size_t vmCount, const NameAt& nameAt,
                      const LinkMaker& makeLink, const VMEntryMaker& makeVMEntry) {
  const std::vector<std::wstring> texts = PagedLinkTexts(pageSizes, vmCount, nameAt);
  section.showAll = makeLink(texts[0]);
  section.entries.push_back(LinkEntry(section.showAll.get()));  // kShowAllEntry
  size_t firstVM = 0;
  for (size_t p = 0; p < pageSizes.size(); ++p) {
    const size_t size = pageSizes[p];
    const size_t lastVM = firstVM + size - 1;
    SectionPage page;
    page.link = makeLink(texts[p + 1]);
    page.linkEntry = section.entries.size();
    section.entries.push_back(LinkEntry(page.link.get()));
    page.first = section.entries.size();
    for (size_t vm = firstVM; vm <= lastVM; ++vm) {
      section.entries.push_back(makeVMEntry(vm));
      section.entries.back().visible = false;  // folded
    }
    page.last = section.entries.size() - 1;
    section.pages.push_back(std::move(page));
    firstVM = lastVM + 1;
  }
}

void RevealPage(Section& section, SectionPage& page) {
  ShowPage(section, page);
  const bool allShown =
      std::all_of(section.pages.begin(), section.pages.end(), [](const SectionPage& p) { return p.shown; });
  if (allShown) section.entries[kShowAllEntry].visible = false;
}

void RevealAllPages(Section& section) {
  section.entries[kShowAllEntry].visible = false;
  for (SectionPage& page : section.pages) {
    if (!page.shown) ShowPage(section, page);
  }
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
      if (word.find(wanted) != kNotKept) {
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
      if (anyHidden) section->entries[kShowAllEntry].visible = true;
    }
    return false;
  }
  const std::vector<std::wstring> words = SearchWords(searchText);
  bool noMatch = true;
  for (auto& section : sections) {
    bool any = false;
    for (SectionEntry& entry : section->entries) {
      if (entry.kind == SectionEntry::VM_ROW && !entry.wordsMade) {
        entry.words = SearchWords(entry.Name());
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
