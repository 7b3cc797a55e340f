// The console stand-in's own parts: its command line, the "-h" value, the password read
// from a pipe, power-state words and the test record's hash.
#include <gtest/gtest.h>

#include <windows.h>

#include <thread>

#include "console/ConsoleOptions.h"
#include "console/HostArgument.h"
#include "console/PowerStateText.h"
#include "console/StdinPassword.h"
#include "console/TestRecord.h"
#include "services/ConsoleCommandLine.h"

using lumacon::ConsoleOptions;
using lumacon::HostArgument;
using lumacon::PasswordRead;

TEST(ConsoleOptions, AcceptsBothCommandLineFormsAndRefusesIncompleteOrUnknownArguments) {
  ConsoleOptions options;
  std::wstring problem;
  ASSERT_TRUE(lumacon::ParseConsoleOptions({L"-h", L"srv01:8443", L"-M", L"vm-7", L"-u", L"alice smith", L"-P"},
                                           options, problem))
      << problem;
  EXPECT_EQ(options.host, L"srv01:8443");
  EXPECT_EQ(options.moid, L"vm-7");
  EXPECT_EQ(options.user, L"alice smith");
  EXPECT_TRUE(options.userGiven);
  EXPECT_TRUE(options.passwordOnStdin);
  ASSERT_TRUE(lumacon::ParseConsoleOptions({L"-h", L"srv01", L"-M", L"vm-7"}, options, problem)) << problem;
  EXPECT_FALSE(options.userGiven);
  EXPECT_FALSE(options.passwordOnStdin);

  const std::vector<std::vector<std::wstring>> refused = {
      {L"-M", L"vm-7"},                                  // no server
      {L"-h", L"srv01"},                                 // no id
      {L"-h", L"srv01", L"-M"},                          // value missing
      {L"-h", L"srv01", L"-M", L"vm-7", L"-x"},          // unknown option
      {L"-h", L"a", L"-h", L"b", L"-M", L"vm-7"},        // twice
      {L"-h", L"srv01", L"-M", L"vm-7", L"-P"},          // a password without a user
      {L"-h", L"", L"-M", L"vm-7"},                      // empty server
  };
  for (const auto& args : refused) {
    problem.clear();
    EXPECT_FALSE(lumacon::ParseConsoleOptions(args, options, problem)) << args.size();
    EXPECT_FALSE(problem.empty());
  }
}

TEST(HostArgument, ParsesWhatTheLauncherPassesAndRefusesWhatCannotBeReached) {
  struct Case {
    std::string host;
    unsigned port;
    bool ssl;
    const wchar_t* url;
    unsigned parsedPort;
  } cases[] = {
      {"srv01", 0, true, L"https://srv01/sdk", 0},
      {"127.0.0.1", 8443, true, L"https://127.0.0.1/sdk", 8443},
      {"srv02", 8080, false, L"http://srv02/sdk", 8080},
  };
  HostArgument parsed;
  std::wstring problem;
  for (const Case& c : cases) {
    std::string text = utils::MakeConsoleHostArgument(c.host, c.port, c.ssl);
    ASSERT_TRUE(lumacon::ParseHostArgument(std::wstring(text.begin(), text.end()), parsed, problem)) << text;
    EXPECT_EQ(parsed.ServiceUrl(), c.url);
    EXPECT_EQ(parsed.port, c.parsedPort);
    EXPECT_EQ(parsed.useSsl, c.ssl);
  }
  ASSERT_TRUE(lumacon::ParseHostArgument(L"HTTPS://srv03:443", parsed, problem));
  EXPECT_EQ(parsed.Display(), L"srv03:443");
  for (const wchar_t* text : {L"", L":443", L"srv01:", L"srv01:12ab", L"srv01:0", L"srv01:65536", L"srv01/sdk",
                              L"http://"}) {
    EXPECT_FALSE(lumacon::ParseHostArgument(text, parsed, problem)) << std::wstring(text).size();
  }
}

namespace {

// Writes bytes into a pipe from another thread (as the launcher does) and closes it.
PasswordRead ReadFromPipe(const std::string& bytes, lumacon::SecretText& password, size_t* leftOver = nullptr) {
  HANDLE read = nullptr, write = nullptr;
  EXPECT_TRUE(CreatePipe(&read, &write, nullptr, 64 * 1024));
  std::thread writer([&] {
    DWORD written = 0;
    WriteFile(write, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(write);
  });
  PasswordRead result = lumacon::ReadPassword(read, password);
  writer.join();
  if (leftOver) {
    DWORD available = 0;
    PeekNamedPipe(read, nullptr, 0, nullptr, &available, nullptr);
    *leftOver = available;
  }
  CloseHandle(read);
  return result;
}

}  // namespace

TEST(StdinPassword, ReadsUpToTheZeroByteOnlyAndNothingWithoutItOrWhenTooLong) {
  lumacon::SecretText password;
  std::string longest(lumacon::kMaxPasswordBytes, 'y');
  EXPECT_EQ(ReadFromPipe(longest + '\0', password), PasswordRead::kReceived);
  EXPECT_EQ(password.Length(), lumacon::kMaxPasswordBytes);
  EXPECT_EQ(ReadFromPipe(longest + "y" + '\0', password), PasswordRead::kTooLong);
  EXPECT_TRUE(password.Empty());
  ASSERT_EQ(ReadFromPipe(std::string("\0", 1), password), PasswordRead::kReceived);
  EXPECT_EQ(password.Length(), 0u) << "an empty password is still a password";

  size_t leftOver = 0;
  std::string sent = std::string("p\xC3\xA4ss word") + '\0' + "trail";
  ASSERT_EQ(ReadFromPipe(sent, password, &leftOver), PasswordRead::kReceived);
  EXPECT_STREQ(password.CStr(), "p\xC3\xA4ss word");
  EXPECT_EQ(password.Length(), 10u);
  EXPECT_EQ(leftOver, 5u) << "bytes after the zero stay in the pipe";
  EXPECT_EQ(ReadFromPipe("no terminator", password), PasswordRead::kMissing);
  EXPECT_TRUE(password.Empty());
  EXPECT_EQ(ReadFromPipe("", password), PasswordRead::kMissing);
  EXPECT_EQ(lumacon::ReadPassword(nullptr, password), PasswordRead::kMissing);
}

TEST(PowerStateText, NamesEveryBit) {
  EXPECT_EQ(lumacon::DescribePowerState(0x0008), L"Powered on");
  EXPECT_EQ(lumacon::DescribePowerState(0x0002), L"Powered off");
  EXPECT_EQ(lumacon::DescribePowerState(0x0808), L"Powering on, Powered on");
  EXPECT_EQ(lumacon::DescribePowerState(0x0200), L"Suspended");
  EXPECT_EQ(lumacon::DescribePowerState(0x0011), L"Powering off, Suspending");
  EXPECT_EQ(lumacon::DescribePowerState(0x0080), L"Resetting");
  EXPECT_EQ(lumacon::DescribePowerState(0x0040), L"Unknown (0x0040)");
}

TEST(TestRecord, HashesWithSha256) {
  EXPECT_EQ(lumacon::Sha256Hex("abc", 3), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(lumacon::Sha256Hex("", 0), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
}
