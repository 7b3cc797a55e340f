#include <gtest/gtest.h>

#include <string>
#include <vector>

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

// The comparison ignores case and follows the locale, not byte or code-unit order; the
// sort keys stand in for it when VMs are sorted, so both give the same answer for every pair.
TEST(CompareNoCase, IgnoresCaseFollowsTheLocaleAndItsSortKeysAgree) {
  EXPECT_EQ(utils::CompareNoCase("Web01", "wEB01"), 0);
  EXPECT_EQ(utils::CompareNoCase("alpha", "Beta"), -1);  // byte order would say the opposite
  EXPECT_EQ(utils::CompareNoCase("Beta", "alpha"), 1);
  EXPECT_EQ(utils::CompareNoCase("Äpfel", "Birne"), -1);  // a code-unit order puts Ä after B
  EXPECT_EQ(utils::CompareNoCase("ärger", "ÄRGER"), 0);
  EXPECT_EQ(utils::CompareNoCase("web", "web01"), -1);
  const std::vector<std::string> names = {
      "alpha", "Alpha", "ALPHA", "Beta", "beta2", "web01", "Web01", "web1", "web10", "web9",
      "Äpfel", "apfel", "Apfel", "Birne", "zeta", "Zulu", "ärger", "Ärger", "arger", "co-op",
      "coop", "co_op", "résumé", "resume", "RESUME", "straße", "strasse", "", " ", "機械",
      "[ds1] a/a.vmx", "[DS1] A/A.VMX", "[ds2] a/a.vmx", "x.y", "x-y", "xy", "0", "00", "1"};
  for (const std::string& a : names) {
    for (const std::string& b : names) {
      const std::string keyA = utils::MakeNoCaseSortKey(a);
      const std::string keyB = utils::MakeNoCaseSortKey(b);
      const int byKey = keyA < keyB ? -1 : (keyB < keyA ? 1 : 0);
      EXPECT_EQ(byKey, utils::CompareNoCase(a, b)) << "'" << a << "' vs '" << b << "'";
    }
  }
}
