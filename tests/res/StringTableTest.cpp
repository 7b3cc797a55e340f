// The string table: every named id resolves, and printf placeholders are exactly what
// the callers pass.
#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <set>
#include <string>

#include "ResourceIdLists.h"

namespace {

// The conversion letters of every placeholder, in order ("%%" is no placeholder).
std::wstring Placeholders(const std::wstring& text) {
  std::wstring result;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != L'%') continue;
    size_t j = i + 1;
    while (j < text.size() && wcschr(L"-+ #0123456789.lhI", text[j])) ++j;
    if (j < text.size() && text[j] == L'%' && j == i + 1) {
      i = j;
      continue;
    }
    result += j < text.size() ? text[j] : L'?';
    i = j;
  }
  return result;
}

}  // namespace

// Every string in the table has a name, and every name a string that is not empty.
TEST(StringTable, TheTableHoldsExactlyTheNamedStrings) {
  ASSERT_GT(std::size(kStringIds), 50u);
  const std::set<int> named(std::begin(kStringIds), std::end(kStringIds));
  std::set<int> found;
  for (int block : ResourceNames(RT_STRING)) {
    for (int id = (block - 1) * 16; id < block * 16; ++id) {
      if (!LoadText(id).empty()) found.insert(id);
    }
  }
  EXPECT_EQ(found, named);
}

TEST(StringTable, PlaceholdersAreExactlyThoseTheCallersPass) {
  const std::map<int, std::wstring> formats = {
      {IDS_CRASH_MESSAGE, L"s"},     {IDS_SERVER_FOUND, L"s"}, {IDS_SHOW_ALL, L"u"},
      {IDS_SHOW_RANGE, L"ssu"},      {IDS_ENTER_CREDENTIALS, L"s"},
      {IDS_CONFIRM_REMOVE_SERVER, L"s"}, {IDS_LAST_CHECK, L"s"}, {IDS_SERVER_ALREADY_ADDED, L"s"},
      {IDS_NOTICE_TITLE_ONE, L"ss"}, {IDS_NOTICE_TEXT_ONE, L"s"}, {IDS_NOTICE_TITLE_MANY, L"d"},
      {IDS_NOTICE_LINE, L"sss"},
  };
  for (int id : kStringIds) {
    auto it = formats.find(id);
    EXPECT_EQ(Placeholders(LoadText(id)), it == formats.end() ? L"" : it->second) << "string " << id;
  }
}
