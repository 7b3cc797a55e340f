// The records of the list's sections and the logic that decides which of their rows are
// listed: paging of large sections, the search and the page labels. No windows here
// beyond the link rows the records own, so the logic can be tested and timed alone.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "backend/VM.h"
#include "ui/popup/Header.h"
#include "ui/popup/LinkItem.h"
#include "ui/popup/SignalLinks.h"

namespace ui {

struct SectionEntry {
  enum Kind { VM_ROW = 0, LINK_ROW = 1 };
  int y = 0;
  int height = 0;
  bool visible = false;
  int kind = VM_ROW;
  VMPtr vm;                 // kind VM_ROW
  LinkItem* link = nullptr; // kind LINK_ROW, owned by the section
  mutable std::vector<std::wstring> words;  // its lower-cased words, made at the first search
  mutable bool wordsMade = false;
  // The VM's name in UTF-16 (empty for a link row).
  const std::wstring& Name() const;
};

struct SectionPage {
  size_t first = 0;  // the entries of its VMs, inclusive
  size_t last = 0;
  size_t linkEntry = 0;  // the entry of its link
  std::unique_ptr<LinkItem> link;
  bool shown = false;
};

struct Section {
  // The rebuilds its collection asks for; cut when the section goes.
  std::unique_ptr<SignalLinks> links;
  std::unique_ptr<Header> header;
  bool headerShown = true;
  int headerY = 0;
  std::vector<SectionEntry> entries;
  std::unique_ptr<LinkItem> showAll;
  std::vector<SectionPage> pages;
  int lastState = -1;  // of the collection at the last rebuild
};

// Paging of a large server section. A section of kPagingThreshold VMs or more folds into
// at most kMaxPages ranges of consecutive VMs, each behind a link row that reveals it,
// under one Show All link that reveals them all. Its entries are the Show All link
// (kShowAllEntry), then per range its link entry followed by its VM entries.
constexpr size_t kPagingThreshold = 50;
constexpr size_t kMaxPages = 20;
constexpr size_t kMinPageSize = 50;
// Pages grow by one VM for every kPageSizeStep VMs of the section.
constexpr size_t kPageSizeStep = 50;
constexpr size_t kShowAllEntry = 0;

// How a section of n VMs folds: the VM count of each page (empty when it does not).
std::vector<size_t> PageSizes(size_t n);
// The prefixes that label a page from first to last, given the names just before and
// just after it (empty at the ends).
void PageLabelPrefixes(const std::wstring& first, const std::wstring& last, const std::wstring& before,
                       const std::wstring& after, std::wstring& firstPrefix, std::wstring& lastPrefix);
// The link texts: "Show All (n VMs)" and "Show first - last (n VMs)".
std::wstring ShowAllText(size_t vmCount);
std::wstring RangeText(const std::wstring& firstPrefix, const std::wstring& lastPrefix, size_t vmCount);

// A VM row's entry made afresh.
SectionEntry MakeVMEntry(const VMPtr& vm, bool visible);

// The VM rows of a section's last fill, handed to the next: a VM's name never changes, so
// the search words made of it are kept. Lists mostly come back in the same order, so the entry
// at a cursor is tried first; a VM not there (one was added, removed or moved) is looked
// up, and the cursor goes on after it.
class KnownEntries {
 public:
  // Takes the VM rows out of entries.
  explicit KnownEntries(std::vector<SectionEntry>& entries);
  // The entry kept for vm (once), or a new one.
  SectionEntry Take(const VMPtr& vm, bool visible);

 private:
  // The index of vm's kept entry, or npos; moves the cursor past it.
  size_t Find(const VM* vm);

  std::vector<SectionEntry> mRows;
  std::vector<bool> mTaken;
  std::vector<std::pair<const VM*, size_t>> mByVM;  // sorted, made at the first miss
  size_t mCursor = 0;
};

using LinkMaker = std::function<std::unique_ptr<LinkItem>(const std::wstring& text)>;
using VMEntryMaker = std::function<SectionEntry(size_t vmIndex)>;
// Fills an empty section with the Show All link and the pages of the given sizes, every
// range folded. names are the VMs' names in the section's order (the labels look at the
// neighbours of each range); makeVMEntry makes the entry of the VM at an index.
void FillPagedSection(Section& section, const std::vector<size_t>& pageSizes, const std::vector<std::wstring>& names,
                      const LinkMaker& makeLink, const VMEntryMaker& makeVMEntry);
// The same with the names given one at a time (only the few at range edges are asked for).
using NameAt = std::function<std::wstring(size_t vmIndex)>;
void FillPagedSection(Section& section, const std::vector<size_t>& pageSizes, size_t vmCount, const NameAt& nameAt,
                      const LinkMaker& makeLink, const VMEntryMaker& makeVMEntry);
// The texts of the links such a fill makes, in its order: Show All, then each range's.
std::vector<std::wstring> PagedLinkTexts(const std::vector<size_t>& pageSizes, size_t vmCount, const NameAt& nameAt);
// A range's VMs show and its link hides; the Show All link hides once no range is folded.
void RevealPage(Section& section, SectionPage& page);
// Every range shows, and the Show All link hides.
void RevealAllPages(Section& section);

// Lower-cased words of a text, split at spaces.
std::vector<std::wstring> SearchWords(const std::wstring& text);
// Every search word is part of a word of the name.
bool NameMatches(const std::vector<std::wstring>& nameWords, const std::vector<std::wstring>& searchWords);
bool NameMatches(const std::wstring& name, const std::vector<std::wstring>& searchWords);
// Case-insensitive order of names in the user's locale (negative, zero, positive).
int CompareNames(const std::wstring& a, const std::wstring& b);
// Whether name starts with prefix, ignoring case.
bool StartsWithIgnoringCase(const std::wstring& name, const std::wstring& prefix);

// The search applied to the sections' visible flags; true when nothing matched.
bool ApplySearch(std::vector<std::unique_ptr<Section>>& sections, const std::wstring& searchText);

}  // namespace ui
