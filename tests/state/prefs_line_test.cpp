#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "state/PrefsLine.h"

namespace {

std::string ValueOf(const std::string& line) {
  PrefsLine parsed;
  EXPECT_TRUE(ParsePrefsLine(line, parsed)) << line;
  return parsed.value;
}

// What FormatPrefsLine writes, read back through the parser.
std::string RoundTrip(const std::string& value) {
  std::string line = FormatPrefsLine("favoritesItem.name", value);
  EXPECT_EQ(line.substr(line.size() - 2), "\r\n");
  line.resize(line.size() - 2);
  EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << "one value, one line";
  PrefsLine parsed;
  EXPECT_TRUE(ParsePrefsLine(line, parsed));
  EXPECT_EQ(parsed.key, "favoritesItem.name");
  return parsed.value;
}

}  // namespace

TEST(PrefsLine, KeyAndValueFollowTheGrammar) {
  PrefsLine parsed;
  ASSERT_TRUE(ParsePrefsLine("  updateInterval\t = \"14\"", parsed));
  EXPECT_EQ(parsed.key, "updateInterval");
  EXPECT_EQ(parsed.value, "14");

  EXPECT_FALSE(ParsePrefsLine("no equals sign here", parsed));
  EXPECT_EQ(ValueOf("key ="), "");
  EXPECT_EQ(ValueOf("key = \"\""), "");
  // Leading blanks, quotes and "=" of a value are lost; an inner quote survives because the
  // value ends at the last quote of the line.
  EXPECT_EQ(ValueOf("key = \" \"=value\""), "value");
  EXPECT_EQ(ValueOf("key = \"say \"hi\" now\""), "say \"hi\" now");
  EXPECT_EQ(ValueOf("key = \"a\" trailing"), "a");
  // An unquoted value runs to the end of the line and keeps trailing blanks.
  EXPECT_EQ(ValueOf("key = plain value  "), "plain value  ");
  // Only the first "=" separates key and value.
  PrefsLine twice;
  ASSERT_TRUE(ParsePrefsLine("a = \"b = c\"", twice));
  EXPECT_EQ(twice.key, "a");
  EXPECT_EQ(twice.value, "b = c");
}

TEST(PrefsLine, NumbersReadLikeTheRuntimeWithoutOverflow) {
  EXPECT_EQ(ReadPrefsInt32("14"), 14);
  EXPECT_EQ(ReadPrefsInt32("  -3days"), -3);
  EXPECT_EQ(ReadPrefsInt32("+8"), 8);
  EXPECT_EQ(ReadPrefsInt32("abc"), 0);
  EXPECT_EQ(ReadPrefsInt32(""), 0);
  EXPECT_EQ(ReadPrefsInt32("2147483647"), INT32_MAX);
  EXPECT_EQ(ReadPrefsInt32("2147483648"), INT32_MAX);
  EXPECT_EQ(ReadPrefsInt32("-2147483648"), INT32_MIN);
  EXPECT_EQ(ReadPrefsInt32("-99999999999999999999999"), INT32_MIN);

  EXPECT_EQ(ReadPrefsUInt64("1300000000"), 1300000000u);
  EXPECT_EQ(ReadPrefsUInt64("18446744073709551615"), UINT64_MAX);
  EXPECT_EQ(ReadPrefsUInt64("18446744073709551616"), UINT64_MAX);
  EXPECT_EQ(ReadPrefsUInt64("-5"), 0u);
  EXPECT_EQ(ReadPrefsUInt64("12x34"), 12u);
}

TEST(PrefsLine, OrdinaryValuesAreWrittenPlain) {
  for (const std::string value : {"srv01", "https://srv01:443", "[datastore1] web 01/web 01.cfx",
                                  "C:\\new\\table", "50% done", "%41", "caf\xc3\xa9 \xe2\x82\xac", "a=b", "trailing  "}) {
    EXPECT_FALSE(PrefsValueNeedsEscaping(value)) << value;
    EXPECT_EQ(FormatPrefsLine("k", value), "k = \"" + value + "\"\r\n");
    EXPECT_EQ(RoundTrip(value), value);
  }
}

TEST(PrefsLine, UnsafeValuesRoundTripThroughTheMarkedForm) {
  const std::string values[] = {
      "evil\r\nserver.url = \"https://attacker\"",
      "line\nbreak",
      "quote \" inside",
      "\"",
      "ends with quote\"",
      " leading blank",
      "=leading equals",
      "tab\there",
      std::string("nul\0byte", 8),
      "bad utf8 \xff\xfe \xc3",
      "100% \" and %41",
  };
  for (const std::string& value : values) {
    EXPECT_TRUE(PrefsValueNeedsEscaping(value)) << value;
    const std::string line = FormatPrefsLine("k", value);
    EXPECT_EQ(line.compare(0, 6, "k = \"="), 0) << line;
    EXPECT_EQ(line.find('"', 5), line.size() - 3) << "no quote inside the written value: " << line;
    EXPECT_EQ(RoundTrip(value), value);
  }
}
