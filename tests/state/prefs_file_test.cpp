// Reading prefs.txt: the grammar's rules and damaged files.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "services/TextConversion.h"
#include "state/Prefs.h"
#include "state/PrefsReader.h"
#include "tests/state/PrefsTestSupport.h"

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

// A missing file (and folder) gives the defaults and saves as an empty file; one setting
// line keeps every other default.
TEST_F(PrefsFile, MissingFileGivesDefaultsAndOneSettingLineKeepsTheOthers) {
  mPrefs = std::make_unique<Prefs>(mFolder.Path() + L"\\not\\yet\\there");
  EXPECT_EQ(mPrefs->mPath, mFolder.Path() + L"\\not\\yet\\there\\prefs.txt");
  EXPECT_TRUE(mPrefs->Save()) << "the data folder is created with its parents";
  EXPECT_TRUE(testfs::FileExists(mPrefs->mPath));
  EXPECT_EQ(testfs::ReadFileBytes(mPrefs->mPath), "");

  Prefs& prefs = LoadText("updateInterval = \"14\"\r\n");
  EXPECT_EQ(prefs.mUpdateInterval, 14);
  EXPECT_EQ(prefs.mMruDurationDays, 7);
  EXPECT_EQ(prefs.mLastUpdateCheck, 0u);
  EXPECT_TRUE(prefs.mCheckForUpdates);
  EXPECT_TRUE(prefs.mShowOldLumaconWarning);
  EXPECT_TRUE(prefs.mShowStateMarks);
  EXPECT_TRUE(prefs.mNotifyStateChanges);
  EXPECT_EQ(prefs.mHotkey, 0x065A) << "Ctrl+Alt+Z";
  EXPECT_TRUE(prefs.mServers.empty());
  EXPECT_EQ(SavedText(), "updateInterval = \"14\"\r\n");
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
  Prefs& added = LoadText("showStateMarks = \"false\"\nnotifyStateChanges = \"no\"\nhotkey = \"0\"\n");
  EXPECT_FALSE(added.mShowStateMarks);
  EXPECT_FALSE(added.mNotifyStateChanges);
  EXPECT_EQ(added.mHotkey, 0) << "a cleared hotkey stays cleared";
  EXPECT_EQ(SavedText(), "showStateMarks = \"false\"\r\nnotifyStateChanges = \"false\"\r\nhotkey = \"0\"\r\n");
  EXPECT_EQ(LoadText("hotkey = \"1904\"").mHotkey, 0x0770);
  EXPECT_EQ(LoadText("hotkey = \"65536\"").mHotkey, 0x065A) << "no hotkey control gives it: ignored";
  EXPECT_EQ(LoadText("hotkey = \"-1\"").mHotkey, 0x065A);
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

// Windows editors save with a byte-order mark, or as UTF-16 ("Unicode"): the file reads
// as the same text, and the program writes it back as plain UTF-8.
TEST_F(PrefsFile, WindowsEditorEncodingsReadAsTheSameText) {
  const std::string text =
      "mruDurationDays = \"3\"\r\n"
      "server.url = \"https://b\xC3\xBCro\"\r\n"
      "server.username = \"root\"\r\n"
      "favoritesItem.name = \"\xF0\x9F\x96\xA5 web\"\r\n"  // beyond the 16-bit plane
      "favoritesItem.id = \"vm-1\"\r\n";
  std::wstring wide;
  for (size_t pos = 0; pos < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[pos]);
    const size_t length = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    wide += std::wstring(utils::ToWideString(text.substr(pos, length)));
    pos += length;
  }
  auto utf16 = [&](bool bigEndian) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (wchar_t unit : wide) {
      const char low = static_cast<char>(unit & 0xFF), high = static_cast<char>(unit >> 8);
      bytes += bigEndian ? std::string{high, low} : std::string{low, high};
    }
    return bytes;
  };
  const struct {
    const char* form;
    std::string bytes;
  } files[] = {{"UTF-8 with BOM", "\xEF\xBB\xBF" + text}, {"UTF-16 LE", utf16(false)}, {"UTF-16 BE", utf16(true)}};
  for (const auto& file : files) {
    SCOPED_TRACE(file.form);
    Prefs& prefs = LoadText(file.bytes);
    EXPECT_EQ(prefs.mMruDurationDays, 3);
    ASSERT_EQ(prefs.mServers.size(), 1u);
    EXPECT_EQ(prefs.mServers[0].url, "https://b\xC3\xBCro");
    EXPECT_EQ(prefs.mServers[0].username, "root");
    ASSERT_EQ(prefs.mServers[0].favorites.size(), 1u);
    EXPECT_EQ(prefs.mServers[0].favorites[0].name, "\xF0\x9F\x96\xA5 web");
    EXPECT_EQ(prefs.mServers[0].favorites[0].id, "vm-1");
    EXPECT_EQ(SavedText().substr(0, 3), "mru") << "written back without a byte-order mark";
  }
}

// A file the program could not read in full is kept beside the new one before it is
// replaced; if it cannot be kept, it is not replaced at all.
TEST_F(PrefsFile, AFileNotReadInFullIsKeptAsideBeforeItIsReplaced) {
  const std::string original = "server.url = \"https://srv01\"\r\nfavoritesItem.name = \"web\"\r\n";
  auto asideFiles = [&] {
    std::vector<std::string> texts;
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW((File() + L".unread-*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) return texts;
    do texts.push_back(testfs::ReadFileBytes(mFolder / entry.cFileName));
    while (FindNextFileW(find, &entry));
    FindClose(find);
    return texts;
  };
  auto lockFile = [&] {
    return CreateFileW(File().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  };

  // Held without read sharing at start, and still at save: nothing is replaced.
  WriteFile(original);
  HANDLE held = lockFile();
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  mPrefs = std::make_unique<Prefs>(mFolder.Path());
  EXPECT_TRUE(mPrefs->mServers.empty());
  EXPECT_FALSE(mPrefs->Save());
  CloseHandle(held);
  EXPECT_EQ(FileText(), original);
  EXPECT_TRUE(asideFiles().empty());

  // Released by the time of the save: kept aside once, then replaced.
  EXPECT_TRUE(mPrefs->Save());
  EXPECT_EQ(asideFiles(), std::vector<std::string>{original});
  EXPECT_EQ(FileText(), "");
  EXPECT_TRUE(mPrefs->Save());
  EXPECT_EQ(asideFiles().size(), 1u) << "later saves replace the program's own file";

  // A file read in full is replaced without a copy.
  testfs::RemoveTree(mFolder.Path());
  CreateDirectoryW(mFolder.Path().c_str(), nullptr);
  LoadText(original);
  SavedText();
  EXPECT_TRUE(asideFiles().empty());
}

// A line too long to read loses its value, but a record's first line still starts a record:
// the lines after it never join the record before.
TEST_F(PrefsFile, AnOverlongFirstLineStillStartsItsRecord) {
  const std::string huge(PrefsReader::kMaxLineBytes, 'x');
  Prefs& prefs = LoadText(
      "server.url = \"https://a\"\r\n"
      "favoritesItem.name = \"web\"\r\n"
      "favoritesItem.name = \"" + huge + "\"\r\n"
      "favoritesItem.id = \"vm-2\"\r\n"
      "server.url = \"" + huge + "\"\r\n"
      "server.username = \"intruder\"\r\n");
  ASSERT_EQ(prefs.mServers.size(), 2u);
  const ServerRecord& a = prefs.mServers[0];
  EXPECT_EQ(a.username, "");
  ASSERT_EQ(a.favorites.size(), 2u);
  EXPECT_EQ(a.favorites[0].id, "");
  EXPECT_EQ(a.favorites[1].name, "");
  EXPECT_EQ(a.favorites[1].id, "vm-2");
  EXPECT_EQ(prefs.mServers[1].url, "") << "a record without an address, never a server";
}
