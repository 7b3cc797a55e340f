// Opens the program's log in a fresh folder of its own so a test can read what was logged.
#pragma once

#include <string>

#include "log/Log.h"
#include "tests/support/ScratchFolder.h"

class ScratchLog {
 public:
  ScratchLog() { OpenLog(mFolder.Path()); }
  ~ScratchLog() { CloseLog(); }  // before the folder goes
  ScratchLog(const ScratchLog&) = delete;
  ScratchLog& operator=(const ScratchLog&) = delete;

  // Everything logged so far (every message is flushed at once).
  std::string Text() const {
    std::string all;
    for (const std::wstring& name : testfs::ListNames(mFolder.Path(), L"zandor-wickerlyn-*.txt"))
      all += testfs::ReadFileBytes(mFolder / name);
    return all;
  }
  bool Contains(const std::string& piece) const { return Text().find(piece) != std::string::npos; }

 private:
  testfs::ScratchFolder mFolder{L"scratch-log"};
};
