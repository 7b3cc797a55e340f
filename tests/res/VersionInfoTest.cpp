// The version resource: numbers and names as the product presents itself.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

namespace {

std::wstring QueryString(std::vector<BYTE>& block, const wchar_t* name) {
  std::wstring path = std::wstring(L"\\StringFileInfo\\040904b0\\") + name;
  wchar_t* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(block.data(), path.c_str(), reinterpret_cast<void**>(&value), &length) || !value)
    return L"";
  return std::wstring(value);
}

}  // namespace

TEST(VersionInfo, NumbersAndNamesAreTheProjectsVersionAndTheProduct) {
  HMODULE module = GetModuleHandleW(nullptr);
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(VS_VERSION_INFO), RT_VERSION);
  ASSERT_NE(found, nullptr);
  auto* data = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
  // VerQueryValue may write into the block, so it works on a copy.
  std::vector<BYTE> block(data, data + SizeofResource(module, found));
  VS_FIXEDFILEINFO* info = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&info), &length));
  ASSERT_GE(length, sizeof(VS_FIXEDFILEINFO));
  EXPECT_EQ(info->dwSignature, 0xFEEF04BDu);
  EXPECT_EQ(info->dwFileVersionMS, static_cast<DWORD>(MAKELONG(ZW_VERSION_MINOR, ZW_VERSION_MAJOR)));
  EXPECT_EQ(info->dwFileVersionLS, static_cast<DWORD>(MAKELONG(0, ZW_VERSION_PATCH)));
  EXPECT_EQ(info->dwProductVersionMS, info->dwFileVersionMS);
  EXPECT_EQ(info->dwProductVersionLS, info->dwFileVersionLS);
  EXPECT_EQ(info->dwFileType, static_cast<DWORD>(VFT_APP));
  const std::wstring version = std::to_wstring(ZW_VERSION_MAJOR) + L"." + std::to_wstring(ZW_VERSION_MINOR) +
                              L"." + std::to_wstring(ZW_VERSION_PATCH);
  for (const wchar_t* name : {L"FileVersion", L"ProductVersion"}) EXPECT_EQ(QueryString(block, name), version);
  for (const wchar_t* name : {L"FileDescription", L"ProductName"}) EXPECT_EQ(QueryString(block, name), L"Zandor Wickerlyn");
  EXPECT_EQ(QueryString(block, L"OriginalFilename"), L"wickerlyn.exe");
}
