#include <gtest/gtest.h>

#include <string>

#include "backend/VMName.h"

TEST(VMNameFromPath, TakesTheFileNameWithoutItsExtension) {
  const std::pair<const char*, const char*> cases[] = {
      {"[ds1] web/web01.cfx", "web01"},
      {"[ds1] web\\web01.cfx", "web01"},
      {"[ds1] a\\b/c.cfx", "b/c"},  // a backslash wins over a later slash
      {"[ds1] web/web01.tar.cfx", "web01.tar"},
      {"[ds1] web/Ünïcode-機械.vmx", "Ünïcode-機械"},
      {"[ds1] web/web01", ""},  // no "."
      {"web01.cfx", ""},        // no separator
      {"[ds1] a.b/c", "c"},     // "." before the separator
      {"[ds1] web/.cfx", ""},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(utils::GetVMNameFromPath(c.first), c.second) << c.first;
}
