// The string table: every named id resolves, the texts are the product's own
// word for word, and printf placeholders are exactly what the callers pass.
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
  std::set<int> named;
  for (const ResourceId& s : kStringIds) named.insert(s.id);
  std::set<int> found;
  for (int block : ResourceNames(RT_STRING)) {
    for (int id = (block - 1) * 16; id < block * 16; ++id) {
      if (!LoadText(id).empty()) found.insert(id);
    }
  }
  EXPECT_EQ(found, named);
}

// Texts that no other test shows where they are used (the rest are checked there).
TEST(StringTable, TextsAreWordForWord) {
  const std::map<int, std::wstring> expected = {
      {IDS_APP_TITLE, L"Zandor Wickerlyn"},
      {IDS_TRAY_TIP, L"Zandor Wickerlyn"},
      {IDS_NOT_CONNECTED,
       L"You are not connected to any servers.\n\nClick 'Add a Server...' to connect to a Sorvex server."},
      {IDS_SEARCHING_INVENTORY, L"Searching the server's inventory..."},
      {IDS_CONSOLE_NOT_FOUND,
       L"Zandor Sorvex Client was not found on your computer. Install Zandor Sorvex Client 4.0 or later to "
       L"allow connecting to Sorvex VMs."},
      {IDS_OLD_CONSOLE_HINT,
       L"Zandor Wickerlyn detected Sorvex Client version 4.1 or earlier. The console will prompt you for your "
       L"credentials. To fix this, install Sorvex Client 5.0 or later."},
      {IDS_SEARCH_HINT, L"Enter name..."},
  };
  for (const auto& [id, text] : expected) EXPECT_EQ(LoadText(id), text) << "string " << id;
}

TEST(StringTable, AboutTextNamesTheVersionAndTheWarrantyAfterABlankLine) {
  std::wstring about = LoadText(IDS_ABOUT);
  EXPECT_EQ(about.rfind(L"Zandor Wickerlyn", 0), 0u);
  EXPECT_NE(about.find(L"1.1.0"), std::wstring::npos);
  const std::wstring tail = L"\n\nThis program is provided without any type of warranty.";
  ASSERT_GE(about.size(), tail.size());
  EXPECT_EQ(about.substr(about.size() - tail.size()), tail);
}

TEST(StringTable, PlaceholdersAreExactlyThoseTheCallersPass) {
  const std::map<int, std::wstring> formats = {
      {IDS_CRASH_MESSAGE, L"s"},     {IDS_SERVER_FOUND, L"s"}, {IDS_SHOW_ALL, L"u"},
      {IDS_SHOW_RANGE, L"ssu"},      {IDS_ENTER_CREDENTIALS, L"s"},
      {IDS_CONFIRM_REMOVE_SERVER, L"s"}, {IDS_LAST_CHECK, L"s"}, {IDS_SERVER_ALREADY_ADDED, L"s"},
      {IDS_NOTICE_TITLE_ONE, L"ss"}, {IDS_NOTICE_TEXT_ONE, L"s"}, {IDS_NOTICE_TITLE_MANY, L"d"},
      {IDS_NOTICE_LINE, L"sss"},
  };
  for (const ResourceId& s : kStringIds) {
    auto it = formats.find(s.id);
    EXPECT_EQ(Placeholders(LoadText(s.id)), it == formats.end() ? L"" : it->second) << "string " << s.id;
  }
}
