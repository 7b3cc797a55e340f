// Writing prefs.txt: layout from the live servers, escaping, atomic replacement.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "state/Prefs.h"
#include "state/PrefsLine.h"
#include "state/PrefsWriter.h"
#include "tests/state/PrefsTestSupport.h"
#include "tests/support/ScratchLog.h"

namespace {

LiveServer Server(const std::string& host, unsigned port, bool ssl) {
  LiveServer server;
  server.host = host;
  server.port = port;
  server.useSsl = ssl;
  return server;
}

LiveVM Vm(const std::string& id, const std::string& name, bool favorite, uint64_t lastUse) {
  return LiveVM{id, name, "[ds] " + name + "/" + name + ".cfx", favorite, lastUse};
}

std::string Format(const PrefsSettings& settings, const std::vector<LiveServer>& servers) {
  return FormatPrefsFile(settings, servers, &FixedClock);
}

class PrefsSave : public PrefsFolderTest {
 protected:
  // Saves these live servers (with the settings `adjust` sets) and reads the file back.
  Prefs SaveAndReload(const std::vector<LiveServer>& servers, void (*adjust)(Prefs&) = nullptr) {
    FakeServerSource source;
    source.mServers = servers;
    {
      Prefs prefs(mFolder.Path());
      if (adjust) adjust(prefs);
      prefs.SetServerSource(&source);
      EXPECT_TRUE(prefs.Save());
      prefs.SetServerSource(nullptr);
    }
    return Prefs(mFolder.Path());
  }
};

}  // namespace

TEST(PrefsWriter, SettingsAreWrittenOnlyWhenNotDefault) {
  PrefsSettings settings;
  EXPECT_EQ(Format(settings, {}), "");
  settings.mCheckForUpdates = false;
  settings.mUpdateInterval = 0;
  settings.mMruDurationDays = -2;
  settings.mShowOldLumaconWarning = false;
  settings.mLastUpdateCheck = 18446744073709551615u;
  settings.mShowStateMarks = false;
  settings.mNotifyStateChanges = false;
  settings.mHotkey = 0;  // cleared by the user: differs from the default
  EXPECT_EQ(Format(settings, {}),
            "checkForUpdates = \"false\"\r\n"
            "updateInterval = \"0\"\r\n"
            "mruDurationDays = \"-2\"\r\n"
            "showOldLumaconWarning = \"false\"\r\n"
            "lastUpdateCheck = \"18446744073709551615\"\r\n"
            "showStateMarks = \"false\"\r\n"
            "notifyStateChanges = \"false\"\r\n"
            "hotkey = \"0\"\r\n");
  settings.mHotkey = 0x0370;  // Ctrl+Shift+F1
  EXPECT_NE(Format(settings, {}).find("hotkey = \"880\"\r\n"), std::string::npos);
}

TEST(PrefsWriter, ServerBlocksFollowTheVmOrder) {
  PrefsSettings settings;
  LiveServer saved = Server("srv01", 443, true);
  saved.saveCredentials = true;
  saved.username = "root";
  saved.password = "QUJDRA==";
  saved.vms = {Vm("vm-1", "both", true, kNow - 60), Vm("vm-2", "plain", false, 0), Vm("vm-3", "fav", true, 0),
               Vm("vm-4", "old", false, kNow - 7 * 86400), Vm("vm-5", "recent", false, kNow - 7 * 86400 + 1)};
  LiveServer unsaved = Server("srv02", 0, false);
  unsaved.saveCredentials = false;
  unsaved.username = "ignored";
  unsaved.password = "ignored";
  EXPECT_EQ(Format(settings, {saved, unsaved}),
            "server.url = \"https://srv01:443\"\r\n"
            "server.type = \"1\"\r\n"
            "server.username = \"root\"\r\n"
            "server.password = \"QUJDRA==\"\r\n"
            "favoritesItem.name = \"both\"\r\n"
            "favoritesItem.cfxPath = \"[ds] both/both.cfx\"\r\n"
            "favoritesItem.id = \"vm-1\"\r\n"
            "mruItem.name = \"both\"\r\n"
            "mruItem.cfxPath = \"[ds] both/both.cfx\"\r\n"
            "mruItem.id = \"vm-1\"\r\n"
            "mruItem.lastUse = \"1699999940\"\r\n"
            "favoritesItem.name = \"fav\"\r\n"
            "favoritesItem.cfxPath = \"[ds] fav/fav.cfx\"\r\n"
            "favoritesItem.id = \"vm-3\"\r\n"
            "mruItem.name = \"recent\"\r\n"
            "mruItem.cfxPath = \"[ds] recent/recent.cfx\"\r\n"
            "mruItem.id = \"vm-5\"\r\n"
            "mruItem.lastUse = \"1699395201\"\r\n"
            "server.url = \"http://srv02\"\r\n"
            "server.type = \"1\"\r\n");
}

// Names and paths come from servers: a hostile one must not add or change other settings
// or records when the file is read back. The line that starts a record is what separates
// it from the one before: it is written even for a VM without a name.
TEST_F(PrefsSave, HostileValuesCannotInjectLines) {
  LiveServer server = Server("srv01", 0, true);
  server.vms = {
      Vm("vm-1\r\nserver.url = \"https://attacker\"", "name\"\r\ncheckForUpdates = \"false", true, 0),
      Vm("vm-2", "\nmruDurationDays = \"1\"\n", false, kNow - 10),
      Vm("vm-3", " =\"\"", true, 0),
      Vm("vm-4", "", true, kNow - 5),
  };
  server.vms[0].cfxPath = "path\nserver.password = \"stolen\"";
  Prefs back = SaveAndReload({server});
  EXPECT_TRUE(back.mCheckForUpdates);
  EXPECT_EQ(back.mMruDurationDays, 7);
  ASSERT_EQ(back.mServers.size(), 1u);
  const ServerRecord& record = back.mServers[0];
  EXPECT_EQ(record.url, "https://srv01");
  EXPECT_EQ(record.password, "");
  ASSERT_EQ(record.favorites.size(), 3u);
  EXPECT_EQ(record.favorites[0].id, server.vms[0].id);
  EXPECT_EQ(record.favorites[0].name, server.vms[0].name);
  EXPECT_EQ(record.favorites[0].cfxPath, server.vms[0].cfxPath);
  EXPECT_EQ(record.favorites[1].name, " =\"\"");
  EXPECT_EQ(record.favorites[2].id, "vm-4");
  EXPECT_EQ(record.favorites[2].name, "");
  ASSERT_EQ(record.recent.size(), 2u);
  EXPECT_EQ(record.recent[0].name, server.vms[1].name);
  EXPECT_EQ(record.recent[1].id, "vm-4");
}

TEST_F(PrefsSave, DetachedSourceLeavesItsLastServers) {
  WriteFile("server.url = \"https://removed\"\r\nserver.type = \"1\"\r\n");
  FakeServerSource source;
  source.mServers = {Server("kept", 0, true)};
  {
    Prefs prefs(mFolder.Path());
    prefs.SetServerSource(&source);
    prefs.SetServerSource(nullptr);  // the live servers go away before the last save
    source.mServers.clear();
  }
  EXPECT_EQ(FileText(), "server.url = \"https://kept\"\r\nserver.type = \"1\"\r\n");
}

TEST_F(PrefsSave, FailedWriteLeavesTheOldFileIntact) {
  const std::string old = "updateInterval = \"14\"\r\nserver.url = \"https://srv01\"\r\nserver.type = \"1\"\r\n";
  const std::wstring path = File();
  WriteFile(old);
  Prefs prefs(mFolder.Path());
  prefs.mUpdateInterval = 99;

  {
    // The new file cannot be created.
    ScratchLog log;
    ASSERT_TRUE(CreateDirectoryW((path + L".new").c_str(), nullptr));
    EXPECT_FALSE(prefs.Save());
    EXPECT_EQ(FileText(), old);
    EXPECT_TRUE(log.Contains("Prefs::Save: Unable to create")) << log.Text();
    RemoveDirectoryW((path + L".new").c_str());
  }
  {
    // The old file is held open by someone else: it cannot be replaced.
    ScratchLog log;
    HANDLE holder = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(prefs.Save());
    CloseHandle(holder);
    EXPECT_EQ(FileText(), old);
    EXPECT_FALSE(testfs::FileExists(path + L".new")) << "no half-written file is left behind";
    EXPECT_TRUE(log.Contains("Prefs::Save: Unable to replace")) << log.Text();
  }
  // A leftover from an interrupted save is neither read nor in the way.
  ASSERT_TRUE(testfs::WriteTextFile(path + L".new", "updateInterval = \"1"));
  EXPECT_EQ(Prefs(mFolder.Path()).mUpdateInterval, 14);
  EXPECT_TRUE(prefs.Save());
  EXPECT_EQ(Prefs(mFolder.Path()).mUpdateInterval, 99);
  EXPECT_FALSE(testfs::FileExists(path + L".new"));
}

TEST_F(PrefsSave, InstanceLivesInTheHandedFolderAndSavesWhenDestroyed) {
  const std::wstring data = mFolder / L"Zandor\\Zandor Wickerlyn";
  Prefs& prefs = Prefs::CreateInstance(data);
  EXPECT_EQ(&prefs, &Prefs::Instance());
  EXPECT_EQ(&prefs, &Prefs::CreateInstance(L"elsewhere"));
  EXPECT_EQ(prefs.mPath, data + L"\\prefs.txt");
  prefs.mMruDurationDays = 30;
  Prefs::DestroyInstance();
  EXPECT_FALSE(Prefs::HasInstance());
  EXPECT_EQ(testfs::ReadFileBytes(data + L"\\prefs.txt"), "mruDurationDays = \"30\"\r\n");

  // Reached after tear-down: defaults, and neither the file read again nor written.
  EXPECT_EQ(Prefs::Instance().mMruDurationDays, 7);
  Prefs::Instance().mMruDurationDays = 2;
  EXPECT_FALSE(Prefs::Instance().Save());
  EXPECT_FALSE(Prefs::HasInstance());
  EXPECT_EQ(testfs::ReadFileBytes(data + L"\\prefs.txt"), "mruDurationDays = \"30\"\r\n");
}

// Servers send what they like: a value longer than the reader takes is never written, a
// record's first line is shortened to fit, and nothing moves into another record.
TEST_F(PrefsSave, OverlongValuesNeverMoveALineIntoAnotherRecord) {
  const std::string quotes(kMaxPrefsLineBytes / 2, '"');  // triples when escaped
  LiveServer server = Server("srv01", 0, true);
  server.saveCredentials = true;
  server.username = "root";
  server.password = std::string(kMaxPrefsLineBytes, 'P');
  server.vms = {Vm("vm-1", "a" + quotes, true, kNow - 5), Vm("vm-2", "b", true, kNow - 5),
                Vm("vm-3", "c", true, 0), Vm("vm-4", "d", true, 0)};
  server.vms[0].cfxPath = "[ds] a/a.cfx";
  server.vms[1].cfxPath = "[ds] " + std::string(kMaxPrefsLineBytes, 'p');
  server.vms[2].name = std::string(kMaxPrefsLineBytes - 25, 'x') + "\xC3\xBC\xC3\xBC";  // cut within a sequence
  LiveServer next = Server("srv02", 0, true);
  next.vms = {Vm("vm-9", "z", true, 0)};

  Prefs back = SaveAndReload({server, next});
  ASSERT_EQ(back.mServers.size(), 2u);
  const ServerRecord& record = back.mServers[0];
  EXPECT_EQ(record.username, "root");
  EXPECT_EQ(record.password, "") << "too long to keep";
  ASSERT_EQ(record.favorites.size(), 3u) << "vm-2's path cannot be kept, so its favorite is left out";
  EXPECT_EQ(record.favorites[0].id, "vm-1");
  EXPECT_EQ(record.favorites[0].name.substr(0, 2), "a\"");
  EXPECT_LT(record.favorites[0].name.size(), quotes.size());
  EXPECT_EQ(record.favorites[1].id, "vm-3");
  EXPECT_EQ(record.favorites[1].name.substr(record.favorites[1].name.size() - 2), "xx") << "no half character";
  EXPECT_EQ(record.favorites[2].id, "vm-4");
  ASSERT_EQ(record.recent.size(), 1u);
  EXPECT_EQ(record.recent[0].id, "vm-1");
  ASSERT_EQ(back.mServers[1].favorites.size(), 1u);
  EXPECT_EQ(back.mServers[1].favorites[0].id, "vm-9");
}
