// How sections fold into pages, how pages are labelled, and what the search matches.
#include <gtest/gtest.h>

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

TEST(SectionSearch, EveryWordMustBePartOfAWordOfTheName) {
  const auto words = ui::SearchWords(L"web prod");
  EXPECT_TRUE(ui::NameMatches(L"Prod Web 01", words));
  EXPECT_TRUE(ui::NameMatches(L"webserver-production", words));
  EXPECT_FALSE(ui::NameMatches(L"web-01", words));
  EXPECT_TRUE(ui::NameMatches(L"anything", ui::SearchWords(L"   ")));
  EXPECT_EQ(ui::SearchWords(L"  Web   PROD "), (std::vector<std::wstring>{L"web", L"prod"}));
  EXPECT_TRUE(ui::NameMatches(L"B\u00DCRO-Server", ui::SearchWords(L"b\u00FCro")));
}
