// The typed registry readers on a scratch key of the test's own.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "services/RegistryRead.h"

namespace {

class RegistryReadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    mPath = L"Software\\ZandorWickerlynTest\\RegistryRead-" + std::to_wstring(GetCurrentProcessId());
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, mPath.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &mKey,
                              nullptr),
              ERROR_SUCCESS);
  }
  void TearDown() override {
    RegCloseKey(mKey);
    RegDeleteTreeW(HKEY_CURRENT_USER, mPath.c_str());
  }
  void Set(const wchar_t* name, DWORD type, const void* data, DWORD size) {
    ASSERT_EQ(RegSetValueExW(mKey, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
  }
  const wchar_t* Path() const { return mPath.c_str(); }

 private:
  std::wstring mPath;
  HKEY mKey = nullptr;
};

}  // namespace

TEST_F(RegistryReadTest, DwordOnlyWhenStoredAsAFourByteNumber) {
  const DWORD seven = 7;
  const unsigned long long wide = 7;
  const wchar_t text[] = L"7";
  Set(L"number", REG_DWORD, &seven, sizeof seven);
  Set(L"wide", REG_QWORD, &wide, sizeof wide);
  Set(L"text", REG_SZ, text, sizeof text);
  Set(L"bytes", REG_BINARY, &seven, sizeof seven);
  Set(L"short", REG_DWORD, &seven, 2);

  DWORD value = 99;
  EXPECT_TRUE(utils::ReadRegistryDword(HKEY_CURRENT_USER, Path(), L"number", value));
  EXPECT_EQ(value, 7u);
  for (const wchar_t* other : {L"wide", L"text", L"bytes", L"short", L"missing"}) {
    value = 99;
    EXPECT_FALSE(utils::ReadRegistryDword(HKEY_CURRENT_USER, Path(), other, value));
    EXPECT_EQ(value, 99u);
  }
  EXPECT_FALSE(utils::ReadRegistryDword(HKEY_CURRENT_USER, L"Software\\ZandorWickerlynTest\\NoSuchKey", L"number",
                                        value));
}

TEST_F(RegistryReadTest, StringOnlyWhenStoredAsPlainText) {
  const wchar_t proxy[] = L"proxy.example:8080";
  const wchar_t expandable[] = L"%TEMP%";
  const DWORD number = 1;
  Set(L"proxy", REG_SZ, proxy, sizeof proxy);
  Set(L"empty", REG_SZ, L"", sizeof(wchar_t));
  Set(L"expand", REG_EXPAND_SZ, expandable, sizeof expandable);
  Set(L"number", REG_DWORD, &number, sizeof number);

  std::wstring text = L"before";
  EXPECT_TRUE(utils::ReadRegistryString(HKEY_CURRENT_USER, Path(), L"proxy", text));
  EXPECT_EQ(text, proxy);
  EXPECT_TRUE(utils::ReadRegistryString(HKEY_CURRENT_USER, Path(), L"empty", text));
  EXPECT_EQ(text, L"");
  for (const wchar_t* other : {L"expand", L"number", L"missing"}) {
    text = L"before";
    EXPECT_FALSE(utils::ReadRegistryString(HKEY_CURRENT_USER, Path(), other, text));
    EXPECT_EQ(text, L"before");
  }
}

TEST_F(RegistryReadTest, AStringStoredWithoutItsTerminatingZeroIsReadWhole) {
  const wchar_t letters[] = {L'h', L'o', L's', L't', L':', L'8', L'0'};  // no zero at the end
  Set(L"bare", REG_SZ, letters, sizeof letters);
  std::wstring text;
  ASSERT_TRUE(utils::ReadRegistryString(HKEY_CURRENT_USER, Path(), L"bare", text));
  EXPECT_EQ(text, L"host:80");

  // An odd byte count (13) ends in half a character, whose low byte still reads as one;
  // nothing past the data may join the text (GuardedAllocations.cpp puts text there).
  Set(L"odd", REG_SZ, letters, 13);
  ASSERT_TRUE(utils::ReadRegistryString(HKEY_CURRENT_USER, Path(), L"odd", text));
  EXPECT_EQ(text, L"host:80");
}
