// What one log line and one log file name look like.
#include <gtest/gtest.h>

#include <cstdarg>

#include "log/LogLine.h"

namespace {

SYSTEMTIME At(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second, WORD ms) {
  return SYSTEMTIME{year, month, 0, day, hour, minute, second, ms};
}

std::string Format(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = logline::FormatMessageV(format, args);
  va_end(args);
  return text;
}

TEST(LogLine, PrefixAndFileNameHavePaddedLocalTimeAndThePrefixAnUpperCaseThreadId) {
  EXPECT_EQ("2011-05-04 09:30:15.007 [001A] ", logline::FormatPrefix(At(2011, 5, 4, 9, 30, 15, 7), 0x1a));
  EXPECT_EQ("1999-12-31 23:59:59.999 [12345ABC] ",
            logline::FormatPrefix(At(1999, 12, 31, 23, 59, 59, 999), 0x12345abc));
  // Padded the same way, file names sort by creation time.
  EXPECT_EQ(L"zandor-wickerlyn-2011-05-04-093015.txt", logline::FileNameFor(At(2011, 5, 4, 9, 30, 15, 0)));
}

TEST(LogLine, MessageFollowsTheRuntimePrintfRulesAndEndsLinesWithCarriageReturnLineFeed) {
  EXPECT_EQ("utils::ReadURL: got 1099511627776 bytes, flags 0000002a\n",
            Format("%s: got %I64d bytes, flags %08x\n", "utils::ReadURL", 1099511627776LL, 42u));
  EXPECT_EQ("-1 18446744073709551615", Format("%lld %llu", -1LL, ~0ULL));
  // Line ends become CR LF.
  EXPECT_EQ("a\r\nb\r\n", logline::ToTextMode("a\nb\n"));
  EXPECT_EQ("no end", logline::ToTextMode("no end"));
}

}  // namespace
