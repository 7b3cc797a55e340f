// The State as the preferences' server source: what is saved comes from the live
// servers, and a saved file restores the same servers, favorites and recent VMs (only
// records of host servers with a host name become servers).
#include <gtest/gtest.h>

#include "state/Prefs.h"
#include "state/State.h"
#include "tests/support/ModelTestSupport.h"
#include "tests/support/ScratchFolder.h"

namespace {

uint64_t PrefsNow() { return static_cast<uint64_t>(TestClock::now); }

class PrefsRoundTrip : public ClockTest {
 protected:
  testfs::ScratchFolder folder{L"model-prefs"};
};

}  // namespace

TEST_F(PrefsRoundTrip, SavesTheLiveServersAndRestoresThem) {
  {
    State state(&TestClock::Days);
    OlvarkServerPtr beta = state.AddSavedServer(1, "beta", 0, false, "", "");
    OlvarkServerPtr alpha = state.AddSavedServer(1, "Alpha", 902, true, "root", "c2VjcmV0");
    alpha->AddFavorite("web01", "vm-1", "[ds] web01/web01.vmx");
    alpha->AddRecent("web01", "vm-1", "[ds] web01/web01.vmx", TestClock::now - 100);
    alpha->AddRecent("old", "vm-2", "[ds] old/old.vmx", TestClock::now - 7 * 86400);  // exactly out
    beta->AddRecent("db", "", "[ds] db/db.vmx", TestClock::now - 7 * 86400 + 1);
    Prefs prefs(folder.Path());
    prefs.SetClockForTesting(&PrefsNow);
    prefs.SetServerSource(&state);
    ASSERT_TRUE(prefs.Save());
    prefs.SetServerSource(nullptr);
  }
  // The file's layout is the writer's (tests/prefs); here: what the State handed over.
  const std::string text = testfs::ReadFileBytes(folder / L"prefs.txt");
  EXPECT_LT(text.find("server.url = \"https://Alpha:902\""), text.find("server.url = \"http://beta\"")) << text;
  EXPECT_EQ(text.find("old"), std::string::npos) << "a recent entry out of the window is not saved\n" << text;

  // Records that never become servers: another type, and a host record without a host.
  const std::string others = "server.url = \"http://broker\"\r\nserver.type = \"2\"\r\n"
                             "server.url = \"https://:443\"\r\nserver.type = \"1\"\r\n";
  ASSERT_TRUE(testfs::WriteTextFile(folder / L"prefs.txt", text + others));

  Prefs reread(folder.Path());
  State restored(&TestClock::Days);
  restored.RestoreSavedServers(reread.mServers);
  ASSERT_EQ(restored.GetServers().size(), 2u);
  OlvarkServerPtr alpha = restored.FindServer("Alpha");
  ASSERT_TRUE(alpha);
  EXPECT_EQ(alpha->GetPort(), 902u);
  EXPECT_EQ(alpha->GetUser(), "root");
  EXPECT_EQ(alpha->GetProtectedPassword(), "c2VjcmV0");
  OlvarkServerPtr beta = restored.FindServer("beta");
  ASSERT_TRUE(beta);
  EXPECT_FALSE(beta->UsesSsl());
  VMList vms = alpha->GetVMs();
  ASSERT_EQ(vms.size(), 1u);  // the favorite and the recent entry are one VM
  EXPECT_TRUE(vms[0]->IsFavorite());
  EXPECT_EQ(vms[0]->GetLastUse(), TestClock::now - 100);
  EXPECT_EQ(std::static_pointer_cast<QorVM>(vms[0])->GetId(), "vm-1");
  restored.GetRecent()->Refresh();
  EXPECT_EQ(restored.GetRecent()->GetVMs().size(), 2u);
  reread.SetServerSource(&restored);
  reread.SetServerSource(nullptr);  // before the State goes
}
