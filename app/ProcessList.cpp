#include "app/ProcessList.h"

#include "log/Log.h"

namespace utils {

std::vector<DWORD> ListProcessIds(EnumProcessesFn enumProcesses) {
  std::vector<DWORD> ids(1024);
  for (;;) {
    const DWORD bytes = static_cast<DWORD>(ids.size() * sizeof(DWORD));
    DWORD returned = 0;
    if (!enumProcesses(ids.data(), bytes, &returned)) {
      Log("%s: EnumProcesses failed with error code 0x%08x.\n", "utils::ListProcessIds",
          static_cast<unsigned>(GetLastError()));
      return {};
    }
    if (returned < bytes) {
      ids.resize(returned / sizeof(DWORD));
      return ids;
    }
    ids.resize(ids.size() * 2);
  }
}

}  // namespace utils
