#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <vector>

#include "app/ProcessList.h"

namespace {

// A desktop running gRunning processes with ids 1, 2, 3...; like EnumProcesses, it fills
// what fits and says how many bytes it wrote.
DWORD gRunning = 0;

BOOL WINAPI FakeEnumProcesses(DWORD* ids, DWORD bytes, DWORD* written) {
  const DWORD count = std::min<DWORD>(bytes / sizeof(DWORD), gRunning);
  for (DWORD i = 0; i < count; ++i) ids[i] = i + 1;
  *written = count * sizeof(DWORD);
  return TRUE;
}

BOOL WINAPI FailingEnumProcesses(DWORD*, DWORD, DWORD*) {
  SetLastError(ERROR_ACCESS_DENIED);
  return FALSE;
}

TEST(ProcessList, EveryProcessIsListedHoweverManyRun) {
  for (const DWORD running : {3u, 256u, 1024u, 5000u}) {
    SCOPED_TRACE(running);
    gRunning = running;
    const std::vector<DWORD> ids = utils::ListProcessIds(FakeEnumProcesses);
    ASSERT_EQ(running, ids.size());
    EXPECT_EQ(1u, ids.front());
    EXPECT_EQ(running, ids.back());
  }
  EXPECT_TRUE(utils::ListProcessIds(FailingEnumProcesses).empty());

  const auto system =
      reinterpret_cast<utils::EnumProcessesFn>(GetProcAddress(LoadLibraryW(L"psapi.dll"), "EnumProcesses"));
  ASSERT_TRUE(system);
  const std::vector<DWORD> ids = utils::ListProcessIds(system);
  EXPECT_NE(ids.end(), std::find(ids.begin(), ids.end(), GetCurrentProcessId()));
}

}  // namespace
