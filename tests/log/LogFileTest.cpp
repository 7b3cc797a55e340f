// The log file of one run: name, banners, prefixes, and lines from many threads.
#include <gtest/gtest.h>
#include <windows.h>

#include <regex>
#include <thread>
#include <vector>

#include "log/Log.h"
#include "tests/support/ScratchFolder.h"

namespace {

using namespace testfs;

const char kPrefix[] = R"(\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2}\.\d{3} \[[0-9A-F]{4,}\] )";

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find("\r\n", start);
    if (end == std::string::npos) {
      lines.push_back(text.substr(start));  // a line without its end: caught by the caller
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

std::string OnlyLogText(const ScratchFolder& folder) {
  const auto names = ListNames(folder.Path(), L"zandor-wickerlyn-*.txt");
  if (names.size() != 1) return "<" + std::to_string(names.size()) + " log files>";
  return ReadFileBytes(folder / names[0]);
}

TEST(LogFile, OneFilePerRunWithBannersAndPrefixedLines) {
  ScratchFolder folder(L"log");
  Log("%s: dropped, no log open yet\n", "Test");
  OpenLog(folder.Path());
  Log("%s: value %d\n", "Test::Case", 42);
  CloseLog();
  Log("%s: dropped, log closed\n", "Test");

  const auto names = ListNames(folder.Path(), L"*");
  ASSERT_EQ(1u, names.size());
  EXPECT_TRUE(std::regex_match(
      std::string(names[0].begin(), names[0].end()),
      std::regex(R"(zandor-wickerlyn-\d{4}-\d{2}-\d{2}-\d{6}\.txt)")));

  const std::string text = ReadFileBytes(folder / names[0]);
  ASSERT_FALSE(text.empty());
  EXPECT_NE('\xEF', text[0]) << "no byte-order mark";
  const auto lines = Lines(text);
  ASSERT_EQ(3u, lines.size()) << text;
  EXPECT_TRUE(std::regex_match(lines[0], std::regex(std::string(kPrefix) + "## Starting Zandor Wickerlyn logging\\.")));
  EXPECT_TRUE(std::regex_match(lines[1], std::regex(std::string(kPrefix) + "Test::Case: value 42")));
  EXPECT_TRUE(std::regex_match(lines[2], std::regex(std::string(kPrefix) + "## Closing log")));
  EXPECT_EQ("\r\n", text.substr(text.size() - 2));
}

TEST(LogFile, LinesFromManyThreadsNeverMix) {
  ScratchFolder folder(L"log");
  OpenLog(folder.Path());
  constexpr int kThreads = 8;
  constexpr int kLines = 300;
  const std::string padding(700, '.');  // longer than the small formatting buffer
  std::vector<std::thread> threads;
  std::vector<DWORD> ids(kThreads);
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      ids[t] = GetCurrentThreadId();
      for (int i = 0; i < kLines; ++i) Log("%s: thread %d line %d %s end\n", "Test", t, i, padding.c_str());
    });
  }
  for (auto& thread : threads) thread.join();
  CloseLog();

  const auto lines = Lines(OnlyLogText(folder));
  ASSERT_EQ(static_cast<size_t>(kThreads * kLines + 2), lines.size());
  // The prefix carries the id of the thread that logged the line.
  const std::regex line(R"(.{24}\[([0-9A-F]{4,})\] Test: thread (\d) line (\d+) \.{700} end)");
  std::vector<int> nextLine(kThreads, 0);
  for (size_t i = 1; i + 1 < lines.size(); ++i) {
    std::smatch match;
    ASSERT_TRUE(std::regex_match(lines[i], match, line)) << "mixed line: " << lines[i].substr(0, 120);
    const int thread = std::stoi(match[2]);
    EXPECT_EQ(std::stoul(match[1], nullptr, 16), ids[thread]);
    EXPECT_EQ(nextLine[thread]++, std::stoi(match[3])) << "lines of one thread out of order";
  }
}

}  // namespace
