// What a VM row's power controls show for each power-state word.
#include <gtest/gtest.h>

#include <string>

#include "ui/popup/PowerButtons.h"

namespace {

// One letter per pair (Power On, Power Off, Suspend): H held, E plain and enabled, - plain
// and greyed; then Reset: E or -.
std::string Shown(const ui::PowerButtons& b) {
  std::string text;
  for (const ui::PowerPair& pair : {b.on, b.off, b.suspend}) text += pair.held ? 'H' : (pair.enabled ? 'E' : '-');
  return text + (b.resetEnabled ? 'E' : '-');
}

TEST(PowerButtons, EachPowerStateShowsItsButtons) {
  struct Case {
    uint32_t state;
    const char* shown;
    const char* what;
  };
  const Case cases[] = {
      {0x0008, "HEEE", "powered on"},
      {0x0048, "HEEE", "powered on, tools running"},
      {0x0088, "HEEE", "resetting is no transition"},
      {0x0002, "EH--", "powered off"},
      {0x0020, "E-H-", "suspended"},
      {0x0200, "E-H-", "the second suspended bit"},
      {0x0004, "H---", "powering on"},
      {0x0800, "H---", "the second powering-on bit"},
      {0x0006, "H---", "powering on from off"},
      {0x0009, "-H--", "powering off"},
      {0x0018, "--H-", "suspending"},
      {0x0000, "----", "no state"},
  };
  for (const Case& c : cases) EXPECT_EQ(Shown(ui::PowerButtonsFor(c.state)), c.shown) << c.what;
}

}  // namespace
