// How sections fold into pages and how pages are labelled, what the search matches and what
// a rebuild keeps: the section model alone, without windows. (How ranges are laid out and
// revealed in the list: PagedViewerTest.)
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <random>
#include <set>
#include <string>

#include "ui/popup/SectionModel.h"

using ui::PageSizes;

TEST(SectionPaging, PageSizesFollowTheSectionSize) {
  EXPECT_TRUE(PageSizes(49).empty());
  EXPECT_EQ(PageSizes(50), std::vector<size_t>({50}));
  EXPECT_EQ(PageSizes(149), std::vector<size_t>({75, 74}));
  EXPECT_EQ(PageSizes(1200), std::vector<size_t>(20, 60));
  EXPECT_EQ(PageSizes(5000), std::vector<size_t>(20, 250));
  for (size_t n : {50u, 99u, 100u, 1001u, 2551u, 10000u, 123457u}) {
    std::vector<size_t> sizes = PageSizes(n);
    size_t total = 0;
    for (size_t size : sizes) total += size;
    EXPECT_EQ(total, n) << n;
    EXPECT_LE(sizes.size(), 20u) << n;
    EXPECT_LE(sizes.front() - sizes.back(), 1u) << "pages differ by one VM at most";
  }
}

TEST(SectionPaging, LabelsUseTheShortestPrefixesThatTellThePagesApart) {
  std::wstring a, b;
  ui::PageLabelPrefixes(L"apple", L"cherry", L"", L"date", a, b);
  EXPECT_EQ(a, L"app");
  EXPECT_EQ(b, L"che");
  ui::PageLabelPrefixes(L"alpha", L"bravo10", L"", L"bravo11", a, b);
  EXPECT_EQ(b, L"bravo10");
  ui::PageLabelPrefixes(L"bravo11", L"zulu", L"bravo10", L"", a, b);
  EXPECT_EQ(a, L"bravo11");
  // First and last the same: the whole name, twice.
  ui::PageLabelPrefixes(L"same-name", L"same-name", L"", L"", a, b);
  EXPECT_EQ(a, L"same-name");
  EXPECT_EQ(b, L"same-name");
  // Exact comparison: case tells names apart.
  ui::PageLabelPrefixes(L"Web01", L"zz", L"web00", L"", a, b);
  EXPECT_EQ(a, L"Web");
}

// (Which names "web prod" and a blank search keep: ViewerTest.TheSearch.)
TEST(SectionSearch, WordsAreSplitAndCaseIsFolded) {
  EXPECT_EQ(ui::SearchWords(L"  Web   PROD "), (std::vector<std::wstring>{L"web", L"prod"}));
  EXPECT_TRUE(ui::NameMatches(L"B\u00DCRO-Server", ui::SearchWords(L"b\u00FCro")));
}

namespace {
// A VM that has only a name.
class NamedVM : public VM {
 public:
  explicit NamedVM(std::string name) : mName(std::move(name)) { InitOrderKeys(); }
  const std::string& GetName() const override { return mName; }
  const std::string& GetSortName() const override { return mName; }
  const std::string& GetCfxPath() const override { return mName; }
  bool RunInConsole() override { return false; }

 private:
  std::string mName;
};
}  // namespace

// A rebuild hands each VM the entry the last fill made for it, whatever was added, removed,
// moved or listed twice meanwhile; VMs new to the list get new entries.
TEST(SectionRebuild, EachVMGetsItsOwnKeptEntryOnceAndNewVMsNewOnes) {
  std::mt19937 random(11);
  for (int round = 0; round < 300; ++round) {
    VMList old;
    const size_t n = random() % 40;
    for (size_t i = 0; i < n; ++i) old.push_back(std::make_shared<NamedVM>("vm" + std::to_string(random() % 1000)));
    if (n > 2 && random() % 3 == 0) old.push_back(old[random() % n]);  // listed twice
    std::vector<ui::SectionEntry> entries;
    entries.emplace_back();  // a link row among them
    entries.back().kind = ui::SectionEntry::LINK_ROW;
    for (size_t i = 0; i < old.size(); ++i) {
      entries.push_back(ui::MakeVMEntry(old[i], true));
      entries.back().words = {std::to_wstring(i)};  // which old entry it is
    }
    VMList now = old;
    for (int change = random() % 6; change-- > 0 && !now.empty();) {
      const size_t at = random() % now.size();
      switch (random() % 4) {
        case 0: now.erase(now.begin() + at); break;
        case 1: now.insert(now.begin() + at, std::make_shared<NamedVM>("new" + std::to_string(change))); break;
        case 2: now.insert(now.begin() + at, now[random() % now.size()]); break;  // listed twice now
        default: std::swap(now[at], now[random() % now.size()]); break;
      }
    }
    ui::KnownEntries known(entries);
    std::map<const VM*, std::set<std::wstring>> unused;  // the old entries of each VM
    for (size_t i = 0; i < old.size(); ++i) unused[old[i].get()].insert(std::to_wstring(i));
    for (size_t i = 0; i < now.size(); ++i) {
      const ui::SectionEntry entry = known.Take(now[i], false);
      EXPECT_EQ(entry.vm, now[i]);
      EXPECT_FALSE(entry.visible);
      std::set<std::wstring>& left = unused[now[i].get()];
      if (left.empty()) {
        EXPECT_TRUE(entry.words.empty()) << "round " << round << ": " << now[i]->GetName() << " has no entry left";
      } else {
        ASSERT_EQ(entry.words.size(), 1u) << "round " << round << ": " << now[i]->GetName() << " got a new entry";
        EXPECT_EQ(left.erase(entry.words[0]), 1u) << "round " << round << ": not one of its own, or given twice";
      }
    }
  }
}
