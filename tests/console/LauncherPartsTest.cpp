// The launcher's parts without a child process: finding the console among plug-in
// folders and registered versions, the command line, and the credential pipe; and the
// hash of the console stand-in's test record.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>

#include <thread>

#include "console/TestRecord.h"
#include "services/ConsoleCommandLine.h"
#include "services/ConsoleCredentialPipe.h"
#include "services/ConsoleLocator.h"
#include "tests/console/ConsoleTestSupport.h"
#include "tests/support/ScratchLog.h"
#include "services/TextConversion.h"

using consoletest::ScratchInstall;

namespace {

std::wstring FakeProgram(const ScratchInstall& scratch) {
  // The locator only checks that the file exists.
  std::wstring path = scratch.Root() + L"\\fake.exe";
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  CloseHandle(file);
  return path;
}

}  // namespace

TEST(ConsoleCommandLine, ArgumentsSurviveTheChildsParsingAndOldConsolesGetNoUserOrPassword) {
  const std::wstring path = L"C:\\Program Files\\Common Files\\Zandor\\Zandor Lumacon Plug-in\\Internet "
                            L"Explorer\\zandor-lumacon.exe";
  for (const std::wstring& user : {std::wstring(L"alice"), std::wstring(L"CORP\\alice smith"),
                                   std::wstring(L"quote\"d \\\"name\\"), std::wstring(L"")}) {
    std::wstring line = utils::MakeConsoleCommandLine(path, 5, L"srv01:8443", L"vm-7", user);
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(line.c_str(), &count);  // as the child splits it
    EXPECT_EQ(std::vector<std::wstring>(argv, argv + count),
              (std::vector<std::wstring>{path, L"-h", L"srv01:8443", L"-M", L"vm-7", L"-u", user, L"-P"}))
        << utils::ToUtf8String(line);
    LocalFree(argv);
  }
  EXPECT_EQ(utils::MakeConsoleCommandLine(L"C:\\c\\zandor-lumacon.exe", 5, L"srv01", L"vm-7", L"bob"),
            L"C:\\c\\zandor-lumacon.exe -h srv01 -M vm-7 -u bob -P");
  EXPECT_EQ(utils::MakeConsoleCommandLine(L"C:\\c\\zandor-lumacon.exe", 4, L"srv01", L"vm-7", L"bob"),
            L"C:\\c\\zandor-lumacon.exe -h srv01 -M vm-7");
  EXPECT_FALSE(utils::ConsoleTakesPassword(4));
  EXPECT_TRUE(utils::ConsoleTakesPassword(5));
  EXPECT_TRUE(utils::ConsoleTakesPassword(6));
}

// The launcher tests compare the hash the console records with the password sent.
TEST(TestRecord, HashesWithSha256) {
  EXPECT_EQ(lumacon::Sha256Hex("abc", 3), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(lumacon::Sha256Hex("", 0), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
}

// Registered versions ("-" marks a subkey without its program) under a client root of some
// type (0: none) and plug-in folders; the console found, if any, and its version.
TEST(FindLumacon, PicksThePluginThenTheNewestRegisteredVersionWithItsProgram) {
  const struct {
    const char* name;
    std::vector<std::wstring> versions;
    std::vector<std::wstring> plugins;
    DWORD rootType;
    std::wstring expected;  // relative to the client root, or to the common files with a leading "\\"
    uint32_t major, minor, build;
  } cases[] = {
      {"newest wins, Common is no version", {L"4.0", L"4.1", L"5.0", L"Common"}, {}, REG_SZ,
       L"5.0\\zandor-lumacon.exe", 5, 0},
      {"only the version with its program counts, newer or not", {L"-4.0", L"4.1", L"-5.0"}, {}, REG_SZ,
       L"4.1\\zandor-lumacon.exe", 4, 1},
      {"minor, then build decide; a number too large for 32 bits is no version",
       {L"4.0.5", L"4.1", L"4.1.2", L"99999999999.1"}, {}, REG_SZ, L"4.1.2\\zandor-lumacon.exe", 4, 1, 2},
      {"a subkey without dots is a major version", {L"4.1", L"5"}, {}, REG_SZ, L"5\\zandor-lumacon.exe", 5, 0},
      {"an expandable root is expanded", {L"5.0"}, {}, REG_EXPAND_SZ, L"5.0\\zandor-lumacon.exe", 5, 0},
      {"a plug-in is taken as 5.0 over a newer client", {L"6.2"},
       {L"Zandor\\Zandor Lumacon Plug-in for Nebulon 1.5\\Firefox"}, REG_SZ,
       L"\\Zandor\\Zandor Lumacon Plug-in for Nebulon 1.5\\Firefox\\zandor-lumacon.exe", 5, 0},
      {"the plain plug-in before the Nebulon one", {},
       {L"Zandor\\Zandor Lumacon Plug-in for Nebulon 1.5\\Firefox", L"Zandor\\Zandor Lumacon Plug-in\\Firefox"}, REG_SZ,
       L"\\Zandor\\Zandor Lumacon Plug-in\\Firefox\\zandor-lumacon.exe", 5, 0},
      {"Internet Explorer before Firefox", {},
       {L"Zandor\\Zandor Lumacon Plug-in\\Firefox", L"Zandor\\Zandor Lumacon Plug-in\\Internet Explorer"}, REG_SZ,
       L"\\Zandor\\Zandor Lumacon Plug-in\\Internet Explorer\\zandor-lumacon.exe", 5, 0},
      {"nothing installed", {}, {}, 0, L"", 0, 0},
      {"versions without the root value", {L"5.0"}, {}, 0, L"", 0, 0},
      {"a root value of the wrong type", {L"5.0"}, {}, REG_BINARY, L"", 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchInstall scratch;
    std::wstring fake = FakeProgram(scratch);
    EnvironmentGuard root(L"ZW_CONSOLE_TEST_ROOT", scratch.ClientRoot());
    if (c.rootType) {
      ASSERT_TRUE(scratch.RegisterClientRoot(
          c.rootType == REG_EXPAND_SZ ? L"%ZW_CONSOLE_TEST_ROOT%" : scratch.ClientRoot(), c.rootType));
    }
    for (const std::wstring& v : c.versions) {
      const bool bare = v[0] == L'-';
      ASSERT_TRUE(scratch.AddVersion(bare ? v.substr(1) : v, bare ? L"" : fake));
    }
    for (const std::wstring& plugin : c.plugins)
      ASSERT_TRUE(scratch.Place(scratch.CommonFiles() + L"\\" + plugin, fake, false));
    std::wstring path = L"stale";
    utils::ConsoleVersion version{9, 9, 9};
    EXPECT_EQ(utils::FindLumaconAt(scratch.Locations(), path, version), !c.expected.empty());
    EXPECT_EQ(path, c.expected.empty()      ? L""
                    : c.expected[0] == L'\\' ? scratch.CommonFiles() + c.expected
                                            : scratch.ClientRoot() + c.expected);
    EXPECT_EQ(version.major, c.major);
    EXPECT_EQ(version.minor, c.minor);
    EXPECT_EQ(version.build, c.build);
  }
}

namespace {

// Wraps the subkey listing of one search: an over-long name at index 0, and the key deleted
// before index 1 when asked. Past 20 calls it ends the listing, as a loop that never ends
// would otherwise hang the test.
struct ListingWrapper {
  static std::wstring deleteKey;
  static int calls;
  static LONG WINAPI Enumerate(HKEY key, DWORD index, LPWSTR name, LPDWORD length, LPDWORD reserved, LPWSTR kind,
                               LPDWORD kindLength, PFILETIME written) {
    if (++calls > 20) return ERROR_NO_MORE_ITEMS;
    if (index == 0) return ERROR_MORE_DATA;
    if (index == 1 && !deleteKey.empty()) RegDeleteTreeW(HKEY_CURRENT_USER, deleteKey.c_str());
    return RegEnumKeyExW(key, index, name, length, reserved, kind, kindLength, written);
  }
};
std::wstring ListingWrapper::deleteKey;
int ListingWrapper::calls = 0;

}  // namespace

TEST(FindLumacon, OnlyAnOverlongNameIsSkippedAndAnyOtherListingErrorEndsTheSearch) {
  ScratchInstall scratch;
  std::wstring fake = FakeProgram(scratch);
  ASSERT_TRUE(scratch.RegisterClientRoot(scratch.ClientRoot()));
  ASSERT_TRUE(scratch.AddVersion(L"4.0", fake));
  ASSERT_TRUE(scratch.AddVersion(L"4.1", fake));
  ASSERT_TRUE(scratch.AddVersion(L"5.0", fake));
  utils::ConsoleLocations where = scratch.Locations();
  where.enumerateSubkey = ListingWrapper::Enumerate;
  std::wstring path;
  utils::ConsoleVersion version;

  ListingWrapper::calls = 0;
  ListingWrapper::deleteKey.clear();
  ASSERT_TRUE(utils::FindLumaconAt(where, path, version));
  EXPECT_EQ(path, scratch.ClientRoot() + L"5.0\\zandor-lumacon.exe");
  EXPECT_EQ(ListingWrapper::calls, 4) << "the names after the over-long one are still listed";

  // The registration removed while it is searched (an uninstall): the search ends at once.
  ScratchLog log;
  ListingWrapper::calls = 0;
  ListingWrapper::deleteKey = where.registryKey;
  EXPECT_FALSE(utils::FindLumaconAt(where, path, version));
  EXPECT_EQ(ListingWrapper::calls, 2);
  EXPECT_TRUE(log.Contains("utils::FindLumacon: Listing the registered console versions stopped (error ")) << log.Text();
}

TEST(FindLumacon, DefaultPlacesFindTheInstalledConsole) {
  // scripts/install-into-prefix puts the console into the prefix's plug-in folder.
  std::wstring path;
  uint32_t major = 0, minor = 0, build = 0;
  ASSERT_TRUE(utils::FindLumacon(path, major, minor, build)) << "run scripts/install-into-prefix first";
  EXPECT_NE(path.find(L"\\Common Files\\Zandor\\Zandor Lumacon Plug-in\\"), std::wstring::npos)
      << utils::ToUtf8String(path);
  EXPECT_EQ(major, 5u);
}

// Delivered or refused, the buffer that held the password is overwritten.
TEST(ConsoleCredentialPipe, TheReaderGetsTheSecretATooLongOneIsRefusedAndEitherIsWiped) {
  ScratchLog log;
  utils::ConsoleCredentialPipe pipe;
  ASSERT_TRUE(pipe.Create("test"));
  DWORD flags = 0;
  ASSERT_TRUE(GetHandleInformation(pipe.ChildEnd(), &flags));
  EXPECT_TRUE(flags & HANDLE_FLAG_INHERIT) << "the child must inherit the read end";

  std::vector<char> tooLong(utils::ConsoleCredentialPipe::kMaxSecretBytes + 1, 'x');
  const char* memory = tooLong.data();
  size_t size = tooLong.size();
  // Nobody reads: were it written, the call would block for good.
  EXPECT_FALSE(pipe.Deliver(tooLong, "test"));
  EXPECT_EQ(std::string(memory, size), std::string(size, '\0'));
  EXPECT_TRUE(log.Contains("test: The password is too long for the credential pipe"));
  DWORD available = 1;
  ASSERT_TRUE(PeekNamedPipe(pipe.ChildEnd(), nullptr, 0, nullptr, &available, nullptr));
  EXPECT_EQ(available, 0u);

  std::string received;
  std::thread reader([&] {
    Sleep(200);
    char c;
    DWORD got;
    while (ReadFile(pipe.ChildEnd(), &c, 1, &got, nullptr) && got == 1) {
      received += c;
      if (c == '\0') break;
    }
  });
  std::vector<char> secret = {'s', '3', 'c', 'r', 'e', 't', '\0'};
  memory = secret.data();
  size = secret.size();
  ASSERT_TRUE(pipe.Deliver(secret, "test"));
  reader.join();
  EXPECT_EQ(received, std::string("s3cret\0", 7));
  EXPECT_TRUE(secret.empty());
  EXPECT_EQ(std::string(memory, size), std::string(size, '\0')) << "the password was not overwritten";
}
