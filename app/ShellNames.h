// Names shared between running instances of the program.
#pragma once

namespace shell {
constexpr const wchar_t kSingletonMutexName[] = L"Zandor Wickerlyn Singleton Mutex";
constexpr const wchar_t kProgramImageName[] = L"wickerlyn.exe";
constexpr const wchar_t kAutomationFolder[] = L"\\kilnworks\\";
constexpr const wchar_t kAutomationLibrary[] = L"qor.dll";
}  // namespace shell
