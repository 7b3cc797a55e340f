#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "services/TextConversion.h"
#include "tests/support/ScratchLog.h"

TEST(TextConversion, RoundTripsValidText) {
  const std::wstring wide = L"VM \u00e9t\u00e9 \u20ac \U0001F511 \u65e5\u672c";
  const std::string utf8 = "VM \xc3\xa9t\xc3\xa9 \xe2\x82\xac \xf0\x9f\x94\x91 \xe6\x97\xa5\xe6\x9c\xac";
  EXPECT_EQ(utils::ToUtf8String(wide), utf8);
  EXPECT_EQ(utils::ToWideString(utf8), wide);
  EXPECT_EQ(utils::ToWideString(utf8.c_str()), wide);
  EXPECT_EQ(utils::ToUtf8String(wide.c_str()), utf8);

  std::vector<char> narrow;
  ASSERT_TRUE(utils::WideToUtf8(wide.c_str(), narrow));
  EXPECT_EQ(std::string(narrow.data(), narrow.size()), utf8 + '\0');
  std::vector<wchar_t> back;
  ASSERT_TRUE(utils::Utf8ToWide(narrow.data(), back));
  EXPECT_EQ(std::wstring(back.data(), back.size()), wide + L'\0');
}

TEST(TextConversion, EmptyAndNullInputs) {
  EXPECT_EQ(utils::ToUtf8String(std::wstring()), "");
  EXPECT_EQ(utils::ToWideString(std::string()), L"");
  EXPECT_EQ(utils::ToWideString(static_cast<const char*>(nullptr)), L"");
  EXPECT_EQ(utils::ToUtf8String(static_cast<const wchar_t*>(nullptr)), "");

  std::vector<char> narrow{'x'};
  ASSERT_TRUE(utils::WideToUtf8(L"", narrow));
  EXPECT_EQ(narrow, std::vector<char>{'\0'});
  EXPECT_FALSE(utils::WideToUtf8(nullptr, narrow));
  std::vector<wchar_t> wide;
  EXPECT_FALSE(utils::Utf8ToWide(nullptr, wide));

  // The whole-string forms keep embedded zeros.
  EXPECT_EQ(utils::ToWideString(std::string("a\0b", 3)), std::wstring(L"a\0b", 3));
}

TEST(TextConversion, InvalidTextConvertsToEmptyAndLogs) {
  const char* badUtf8[] = {
      "abc\xff",              // byte that never occurs in UTF-8
      "abc\xc3",              // truncated sequence
      "\xc0\xaf",             // overlong '/'
      "\xed\xa0\x80",         // encoded surrogate
      "x\x80y",               // lone continuation byte
  };
  for (const char* bad : badUtf8) {
    ScratchLog log;
    EXPECT_EQ(utils::ToWideString(bad), L"") << bad;
    std::vector<wchar_t> out;
    EXPECT_FALSE(utils::Utf8ToWide(bad, out)) << bad;
    EXPECT_TRUE(log.Contains("utils::ToWideString: ")) << log.Text();
    EXPECT_TRUE(log.Contains("utils::Utf8ToWide: ")) << log.Text();
  }

  const std::wstring badWide[] = {
      std::wstring(L"abc") + static_cast<wchar_t>(0xD800),                // lone high surrogate
      std::wstring(1, static_cast<wchar_t>(0xDC00)) + L"abc",             // lone low surrogate
      std::wstring(L"a") + static_cast<wchar_t>(0xDC00) + static_cast<wchar_t>(0xD800),  // reversed pair
  };
  for (const std::wstring& bad : badWide) {
    ScratchLog log;
    EXPECT_EQ(utils::ToUtf8String(bad), "");
    std::vector<char> out;
    EXPECT_FALSE(utils::WideToUtf8(bad.c_str(), out));
    EXPECT_TRUE(log.Contains("utils::ToUtf8String: ")) << log.Text();
    EXPECT_TRUE(log.Contains("utils::WideToUtf8: ")) << log.Text();
  }
}
