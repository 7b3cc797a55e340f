// The typed registry readers on a scratch key of the test's own.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "services/RegistryRead.h"
#include "services/TextConversion.h"

namespace {

class RegistryReadTest : public ::testing::Test {
 protected:
  void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, Path()); }
  const wchar_t* Path() const { return mPath.c_str(); }

  const std::wstring mPath = L"Software\\ZandorWickerlynTest\\RegistryRead-" + std::to_wstring(GetCurrentProcessId());
};

}  // namespace

// Each value as stored, and what the DWORD and the string readers make of it (null: refused,
// and the caller's value left alone).
TEST_F(RegistryReadTest, EachReaderTakesOnlyItsOwnTypeAndAStringNeedsNoTerminatingZero) {
  const DWORD seven = 7;
  const unsigned long long wide = 7;
  const wchar_t text[] = L"proxy.example:8080";
  const wchar_t letters[] = {L'h', L'o', L's', L't', L':', L'8', L'0'};  // no zero at the end
  const struct {
    const wchar_t* name;
    DWORD type;
    const void* data;
    DWORD size;
    bool dword;
    const wchar_t* string;
  } cases[] = {
      {L"number", REG_DWORD, &seven, sizeof seven, true, nullptr},
      {L"wide", REG_QWORD, &wide, sizeof wide, false, nullptr},
      {L"bytes", REG_BINARY, &seven, sizeof seven, false, nullptr},
      {L"short", REG_DWORD, &seven, 2, false, nullptr},
      {L"text", REG_SZ, text, sizeof text, false, text},
      {L"empty", REG_SZ, L"", sizeof(wchar_t), false, L""},
      {L"expand", REG_EXPAND_SZ, L"%TEMP%", sizeof L"%TEMP%", false, nullptr},
      {L"bare", REG_SZ, letters, sizeof letters, false, L"host:80"},
      // An odd byte count (13) ends in half a character, whose low byte still reads as one;
      // nothing past the data may join the text (GuardedAllocations.cpp puts text there).
      {L"odd", REG_SZ, letters, 13, false, L"host:80"},
      {L"missing", 0, nullptr, 0, false, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(utils::ToUtf8String(c.name));
    if (c.type) ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, Path(), c.name, c.type, c.data, c.size), ERROR_SUCCESS);
    DWORD value = 99;
    EXPECT_EQ(utils::ReadRegistryDword(HKEY_CURRENT_USER, Path(), c.name, value), c.dword);
    EXPECT_EQ(value, c.dword ? 7u : 99u);
    std::wstring read = L"before";
    EXPECT_EQ(utils::ReadRegistryString(HKEY_CURRENT_USER, Path(), c.name, read), c.string != nullptr);
    EXPECT_EQ(read, c.string ? c.string : L"before");
  }
  DWORD value = 99;
  EXPECT_FALSE(utils::ReadRegistryDword(HKEY_CURRENT_USER, L"Software\\ZandorWickerlynTest\\NoSuchKey", L"number",
                                        value));
}
