// Loads qor.dll from bin\kilnworks by full path and binds it, as the program does, before
// any test runs; the library's time-outs are cut to a tenth (request 3 s, connect 1 s,
// event poll 1 s) for the failure cases. Register it once per test program:
//   const auto* const kQor = ::testing::AddGlobalTestEnvironment(new QorLibraryEnvironment);
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>

#include "backend/QorLibrary.h"

class QorLibraryEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    _putenv("QOR_TIMEOUT_SCALE=0.1");
    wchar_t self[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring folder(self, length);
    folder.resize(folder.find_last_of(L'\\') + 1);
    SetDllDirectoryW((folder + L"kilnworks").c_str());
    HMODULE module = LoadLibraryW((folder + L"kilnworks\\qor.dll").c_str());
    ASSERT_NE(module, nullptr) << "qor.dll not loadable, error " << GetLastError();
    ASSERT_TRUE(QorLibrary::Bind(module)) << "missing export " << QorLibrary::MissingExport();
  }
};
