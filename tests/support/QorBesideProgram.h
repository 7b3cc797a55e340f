// Loads qor.dll from the "kilnworks" folder beside the running test or benchmark, by
// full path as the program does, and binds it through QorLibrary.
#pragma once

#include <windows.h>

#include <string>

#include "backend/QorLibrary.h"
#include "tests/support/ScratchFolder.h"

// Empty on success, otherwise why the library could not be used.
inline std::string LoadQorBesideProgram() {
  const std::wstring folder = testfs::ProgramFolder() + L"\\";
  SetDllDirectoryW((folder + L"kilnworks").c_str());
  HMODULE module = LoadLibraryW((folder + L"kilnworks\\qor.dll").c_str());
  if (!module) return "cannot load kilnworks\\qor.dll (error " + std::to_string(GetLastError()) + ")";
  if (!QorLibrary::Bind(module)) return std::string("qor.dll lacks ") + QorLibrary::MissingExport();
  return std::string();
}
