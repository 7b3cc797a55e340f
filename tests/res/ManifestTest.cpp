// The application manifest of every shipped program, read back from its resources as
// Windows reads it at start: visual styles, DPI awareness, supported versions, no elevation.
#include <gtest/gtest.h>
#include <windows.h>

#include <cwctype>
#include <string>

#include "tests/support/ScratchFolder.h"

TEST(Manifest, EveryShippedProgramCarriesIt) {
  for (const wchar_t* name : {L"wickerlyn.exe", L"zandor-lumacon.exe", L"zw-protect-password.exe"}) {
    SCOPED_TRACE(testing::Message() << "program " << std::string(name, name + wcslen(name)));
    HMODULE module = LoadLibraryExW((testfs::ProgramFolder() + L"\\" + name).c_str(), nullptr,
                                    LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(module, nullptr);
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    ASSERT_NE(found, nullptr) << "no manifest resource";
    const std::string manifest(static_cast<const char*>(LockResource(LoadResource(module, found))),
                               SizeofResource(module, found));
    for (const char* part : {
             "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"",
             "publicKeyToken=\"6595b64144ccf1df\"",
             "<requestedExecutionLevel level=\"asInvoker\"",
             "<supportedOS Id=\"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}\"/>",
             "<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true</dpiAware>",
             "<dpiAwareness xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">system</dpiAwareness>",
         }) {
      EXPECT_NE(manifest.find(part), std::string::npos) << part;
    }
  }
}

// The manifest takes effect: this test program carries it too, so the common controls it
// loads are the side-by-side version 6 (visual styles), and the process is DPI-aware.
TEST(Manifest, TheProcessGetsCommonControlsSixAndDpiAwareness) {
  HMODULE controls = LoadLibraryW(L"comctl32.dll");
  ASSERT_NE(controls, nullptr);
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(controls, path, MAX_PATH);
  FreeLibrary(controls);
  std::wstring lower(path);
  for (wchar_t& c : lower) c = towlower(c);
  EXPECT_NE(lower.find(L"microsoft.windows.common-controls_6595b64144ccf1df_6."), std::wstring::npos)
      << std::string(lower.begin(), lower.end());
  EXPECT_TRUE(IsProcessDPIAware());
}
