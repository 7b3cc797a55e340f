// Which command lines select which option.
#include <gtest/gtest.h>

#include "app/CommandLine.h"

namespace {

using shell::CommandLineOption;
using shell::ParseCommandLine;

TEST(CommandLine, EachOptionAloneIsRecognisedEvenWithBlanksAround) {
  EXPECT_EQ(CommandLineOption::STARTUP, ParseCommandLine(L"/startup"));
  EXPECT_EQ(CommandLineOption::STARTUP, ParseCommandLine(L"  \t/startup \r\n "));
  EXPECT_EQ(CommandLineOption::KILL, ParseCommandLine(L"/kill"));
  EXPECT_EQ(CommandLineOption::REMOVE_PREFS, ParseCommandLine(L" /removeprefs"));
}

TEST(CommandLine, AnythingElseIsNoOption) {
  EXPECT_EQ(CommandLineOption::NONE, ParseCommandLine(L""));
  EXPECT_EQ(CommandLineOption::NONE, ParseCommandLine(nullptr));
  EXPECT_EQ(CommandLineOption::NONE, ParseCommandLine(L"   "));
  EXPECT_EQ(CommandLineOption::NONE, ParseCommandLine(L"/STARTUP"));
  EXPECT_EQ(CommandLineOption::NONE, ParseCommandLine(L"/Kill"));
  EXPECT_EQ(CommandLineOption::NONE, ParseCommandLine(L"/kill /startup"));
  EXPECT_EQ(CommandLineOption::NONE, ParseCommandLine(L"/startup now"));
  EXPECT_EQ(CommandLineOption::NONE, ParseCommandLine(L"-kill"));
  EXPECT_EQ(CommandLineOption::NONE, ParseCommandLine(L"/kil"));
  EXPECT_EQ(CommandLineOption::NONE, ParseCommandLine(L"\"/kill\""));
}

}  // namespace
