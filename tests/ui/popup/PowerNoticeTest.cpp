// The power-state mark of a VM row, and the tray notice that names the favorites whose
// state changed elsewhere.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/popup/PowerMark.h"
#include "ui/popup/PowerNotice.h"

using ui::PowerMark;

TEST(PowerMark, EachWordHasOneMarkAndAStateOnItsWayCountsFirst) {
  const struct {
    uint32_t state;
    PowerMark mark;
  } cases[] = {
      {0x0008, PowerMark::kOn},        {0x0048, PowerMark::kOn},       {0x0002, PowerMark::kOff},
      {0x0020, PowerMark::kSuspended}, {0x0200, PowerMark::kSuspended}, {0x0808, PowerMark::kChanging},
      {0x0009, PowerMark::kChanging},  {0x0018, PowerMark::kChanging}, {0x0088, PowerMark::kChanging},
      {0x0000, PowerMark::kNone},      {0xFFFFFFFF, PowerMark::kNone},
  };
  for (const auto& c : cases) EXPECT_EQ(ui::PowerMarkOf(c.state), c.mark) << std::hex << c.state;
}

// (One change naming its VM and server, several a line each: FavoriteWatchTest.MarksFollow.)
TEST(PowerNotice, NothingGivesNoNoticeAndNothingOverflows) {
  auto change = [](const std::wstring& name, PowerMark state) {
    return ui::PowerChange{std::weak_ptr<VM>(), name, L"10.0.0.5", state};
  };
  EXPECT_TRUE(ui::ComposePowerNotice({}).title.empty());
  // The notification area takes 63 and 255 characters: longer texts are cut, visibly.
  const std::wstring longName(80, L'x');
  ui::PowerNotice cut = ui::ComposePowerNotice({change(longName, PowerMark::kOn)});
  EXPECT_EQ(cut.title.size(), ui::PowerNotice::kMostTitle);
  EXPECT_EQ(cut.title.substr(cut.title.size() - 3), L"...");
  std::vector<ui::PowerChange> many;
  for (int i = 0; i < 12; ++i) many.push_back(change(L"vm-" + std::to_wstring(i) + std::wstring(20, L'y'), PowerMark::kOff));
  ui::PowerNotice lines = ui::ComposePowerNotice(many);
  EXPECT_LE(lines.text.size(), ui::PowerNotice::kMostText);
  EXPECT_EQ(lines.text.substr(lines.text.size() - 4), L"\n...");
  EXPECT_EQ(lines.text.find(L"vm-0"), 0u) << "whole lines first";
}
