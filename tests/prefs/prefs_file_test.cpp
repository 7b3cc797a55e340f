// Reading prefs.txt: the grammar's rules and damaged files.
#include <gtest/gtest.h>

#include <string>

#include "state/Prefs.h"
#include "tests/prefs/PrefsTestSupport.h"

namespace {

// Loads the given file content in a scratch folder; the prefs are saved (and the folder
// removed) when the fixture ends.
class PrefsFile : public PrefsFolderTest {
 protected:
  Prefs& LoadText(const std::string& text) {
    mPrefs.reset();
    WriteFile(text);
    mPrefs = std::make_unique<Prefs>(mFolder.Path());
    return *mPrefs;
  }
  std::string SavedText() {
    EXPECT_TRUE(mPrefs->Save());
    return FileText();
  }
  void TearDown() override { mPrefs.reset(); }

  std::unique_ptr<Prefs> mPrefs;
};

}  // namespace

TEST_F(PrefsFile, OneSettingLineKeepsEveryOtherDefault) {
  Prefs& prefs = LoadText("updateInterval = \"14\"\r\n");
  EXPECT_EQ(prefs.mUpdateInterval, 14);
  EXPECT_EQ(prefs.mMruDurationDays, 7);
  EXPECT_EQ(prefs.mLastUpdateCheck, 0u);
  EXPECT_TRUE(prefs.mCheckForUpdates);
  EXPECT_TRUE(prefs.mShowOldLumaconWarning);
  EXPECT_TRUE(prefs.mServers.empty());
  EXPECT_EQ(SavedText(), "updateInterval = \"14\"\r\n");
}

TEST_F(PrefsFile, MissingFileGivesDefaultsAndSavesEmpty) {
  mPrefs = std::make_unique<Prefs>(mFolder.Path() + L"\\not\\yet\\there");
  EXPECT_EQ(mPrefs->mPath, mFolder.Path() + L"\\not\\yet\\there\\prefs.txt");
  EXPECT_EQ(mPrefs->mUpdateInterval, 7);
  EXPECT_TRUE(mPrefs->Save()) << "the data folder is created with its parents";
  EXPECT_TRUE(testfs::FileExists(mPrefs->mPath));
  EXPECT_EQ(testfs::ReadFileBytes(mPrefs->mPath), "");
}

TEST_F(PrefsFile, BooleansAndKeysAreExact) {
  EXPECT_FALSE(LoadText("checkForUpdates = \"TRUE\"").mCheckForUpdates);
  EXPECT_FALSE(LoadText("checkForUpdates = \"1\"").mCheckForUpdates);
  EXPECT_FALSE(LoadText("checkForUpdates = \"\"").mCheckForUpdates);
  EXPECT_TRUE(LoadText("checkForUpdates = \"true\"").mCheckForUpdates);
  EXPECT_TRUE(LoadText("CheckForUpdates = \"false\"").mCheckForUpdates) << "keys are case-sensitive";
  // A later line overrides an earlier one; bare line feeds and a missing final line end work.
  Prefs& prefs = LoadText("mruDurationDays = \"3\"\nshowOldLumaconWarning = \"false\"\nmruDurationDays = \"30\"");
  EXPECT_EQ(prefs.mMruDurationDays, 30);
  EXPECT_FALSE(prefs.mShowOldLumaconWarning);
  EXPECT_EQ(LoadText("lastUpdateCheck = \"1300000000\"\r\n").mLastUpdateCheck, 1300000000u);
}

TEST_F(PrefsFile, RecordKeysAttachToTheLastRecordStarted) {
  Prefs& prefs = LoadText(
      "favoritesItem.name = \"orphan\"\r\n"  // before any server: ignored
      "server.type = \"1\"\r\n"              // likewise
      "server.url = \"https://b:902\"\r\n"
      "favoritesItem.id = \"early\"\r\n"     // before this server's first favorite: ignored
      "server.type = \"7\"\r\n"              // not 1 or 2: ignored
      "favoritesItem.name = \"web\"\r\n"
      "favoritesItem.cfxPath = \"[ds] web/web.cfx\"\r\n"
      "favoritesItem.id = \"vm-1\"\r\n"
      "favoritesItem.name = \"db\"\r\n"
      "favoritesItem.id = \"vm-2\"\r\n"
      "mruItem.lastUse = \"5\"\r\n"          // no recent item yet: ignored
      "mruItem.name = \"web\"\r\n"
      "mruItem.id = \"vm-1\"\r\n"
      "mruItem.lastUse = \"1699999000\"\r\n"
      "server.username = \"root\"\r\n"
      "server.password = \"QUJD\"\r\n"
      "server.url = \"http://a\"\r\n"
      "server.type = \"2\"\r\n");
  ASSERT_EQ(prefs.mServers.size(), 2u);
  const ServerRecord& b = prefs.mServers[0];
  EXPECT_EQ(b.url, "https://b:902");
  EXPECT_EQ(b.type, 0) << "7 is no valid type";
  EXPECT_EQ(b.username, "root");
  EXPECT_EQ(b.password, "QUJD");
  ASSERT_EQ(b.favorites.size(), 2u);
  EXPECT_EQ(b.favorites[0].name, "web");
  EXPECT_EQ(b.favorites[0].cfxPath, "[ds] web/web.cfx");
  EXPECT_EQ(b.favorites[0].id, "vm-1");
  EXPECT_EQ(b.favorites[1].name, "db");
  EXPECT_EQ(b.favorites[1].cfxPath, "");
  EXPECT_EQ(b.favorites[1].id, "vm-2");
  ASSERT_EQ(b.recent.size(), 1u);
  EXPECT_EQ(b.recent[0].id, "vm-1");
  EXPECT_EQ(b.recent[0].lastUse, 1699999000u);
  EXPECT_EQ(prefs.mServers[1].url, "http://a");
  EXPECT_EQ(prefs.mServers[1].type, 2);
  EXPECT_TRUE(prefs.mServers[1].favorites.empty());
}

// Garbage, binary bytes, a Ctrl-Z, an enormous line and an unterminated last line: every
// understood line still counts and the next save is clean.
TEST_F(PrefsFile, DamagedFileKeepsWhatCanBeUnderstood) {
  std::string text;
  text += "\xEF\xBB\xBF garbage without equals\r\n";
  text += std::string("\x00\x01\x02\xff\xfe=\x1a\x80", 8) + "\r\n";
  text += "server.url = \"\"\r\n";  // no address: never a server
  text += "server.type = \"1\"\r\n";
  text += "server.url = \"https://srv01\"\r\n";
  text += "server.type = \"1\"\r\n";
  text += "\x1a\r\n";  // Ctrl-Z ends files read in text mode
  text += "unknown.key = \"whatever\"\r\n";
  text += "favoritesItem.name = \"caf\xe9\"\r\n";  // Latin-1, not UTF-8
  text += "favoritesItem.id = \"vm-7\"\r\n";
  text += "favoritesItem.cfxPath = \"" + std::string(3u << 20, 'x') + "\"\r\n";  // 3 MiB line
  text += "mruItem.name = \"recent one\"\r\n";
  text += std::string("mruItem.id = \"vm-8\0trailing junk\"", 33) + "\r\n";
  text += "mruItem.lastUse = \"1699990000\"";  // no final line end
  Prefs& prefs = LoadText(text);

  ASSERT_EQ(prefs.mServers.size(), 2u);
  const ServerRecord& server = prefs.mServers[1];
  EXPECT_EQ(server.type, 1);
  ASSERT_EQ(server.favorites.size(), 1u);
  EXPECT_EQ(server.favorites[0].name, "caf\xEF\xBF\xBD");
  EXPECT_EQ(server.favorites[0].id, "vm-7");
  EXPECT_EQ(server.favorites[0].cfxPath, "") << "the enormous line is skipped";
  ASSERT_EQ(server.recent.size(), 1u);
  EXPECT_EQ(server.recent[0].id, "vm-8");
  EXPECT_EQ(server.recent[0].lastUse, 1699990000u);

  EXPECT_EQ(SavedText(),
            "server.url = \"https://srv01\"\r\n"
            "server.type = \"1\"\r\n"
            "favoritesItem.name = \"caf\xEF\xBF\xBD\"\r\n"
            "favoritesItem.id = \"vm-7\"\r\n"
            "mruItem.name = \"recent one\"\r\n"
            "mruItem.id = \"vm-8\"\r\n"
            "mruItem.lastUse = \"1699990000\"\r\n");
}

TEST_F(PrefsFile, BinaryNoiseNeverCrashesTheReader) {
  uint32_t seed = 12345;
  for (int round = 0; round < 40; ++round) {
    std::string noise;
    const char* pieces[] = {"server.url", "favoritesItem.name", "mruItem.lastUse", "=", "\"", "\r\n", "\n", " "};
    for (int i = 0; i < 400; ++i) {
      seed = seed * 1664525u + 1013904223u;
      if (seed % 3 == 0) noise += pieces[(seed >> 8) % 8];
      else noise += static_cast<char>(seed >> 24);
    }
    LoadText(noise);
    const std::string saved = SavedText();
    // Whatever was understood reads back the same after a save.
    Prefs again(mFolder.Path());
    ASSERT_TRUE(again.Save());
    EXPECT_EQ(FileText(), saved);
  }
}
