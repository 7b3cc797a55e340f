// Test mode: when ZANDOR_LUMACON_TEST_RECORD names a file, the console writes there what
// it received (command line, host, id, user, where the password came from, its length
// and SHA-256), never the password itself. With ZANDOR_LUMACON_TEST_EXIT=1 it then ends
// instead of logging in, so launcher tests need no server.
#pragma once

#include <string>

#include "console/SecretText.h"

namespace lumacon {

extern const wchar_t kTestRecordVariable[];
extern const wchar_t kTestExitVariable[];

struct TestRecord {
  std::wstring commandLine;  // GetCommandLineW, as the process was started
  std::wstring host;
  std::wstring moid;
  std::wstring user;
  bool passwordOption = false;  // "-P" was given
  std::wstring passwordSource;  // "pipe", "prompt" or "none"
};

// Lowercase hex SHA-256 of the password's bytes (without the terminating zero); empty
// when the hash service fails.
std::string Sha256Hex(const char* bytes, size_t length);

// "key=value" lines in UTF-8. False when the file cannot be written.
bool WriteTestRecord(const std::wstring& file, const TestRecord& record, const SecretText& password);

// The value of an environment variable, empty when unset.
std::wstring EnvironmentValue(const wchar_t* name);

}  // namespace lumacon
