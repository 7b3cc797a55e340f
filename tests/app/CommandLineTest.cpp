// Which command lines select which option.
#include <gtest/gtest.h>

#include "app/CommandLine.h"

namespace {

using shell::CommandLineOption;
using shell::ParseCommandLine;

TEST(CommandLine, EachOptionAloneIsRecognisedEvenWithBlanksAroundAndAnythingElseIsNone) {
  EXPECT_EQ(CommandLineOption::STARTUP, ParseCommandLine(L"/startup"));
  EXPECT_EQ(CommandLineOption::STARTUP, ParseCommandLine(L"  \t/startup \r\n "));
  EXPECT_EQ(CommandLineOption::KILL, ParseCommandLine(L"/kill"));
  EXPECT_EQ(CommandLineOption::REMOVE_PREFS, ParseCommandLine(L" /removeprefs"));
  // Anything else is no option.
  for (const wchar_t* line : {L"", static_cast<const wchar_t*>(nullptr), L"   ", L"/STARTUP", L"/Kill",
                              L"/kill /startup", L"/startup now", L"-kill", L"/kil", L"\"/kill\""}) {
    EXPECT_EQ(CommandLineOption::NONE, ParseCommandLine(line)) << ::testing::PrintToString(line);
  }
}

}  // namespace
