// An entry of a desktop-broker server. Declared so that rows can tell VM kinds apart;
// nothing in this program creates one.
#pragma once

#include <string>

#include "backend/VM.h"

class PrismoVM : public VM {
 public:
  static std::shared_ptr<PrismoVM> Create(const std::string& name, const std::string& path) {
    return std::shared_ptr<PrismoVM>(new PrismoVM(name, path));
  }

  const std::string& GetName() const override { return mName; }
  const std::string& GetSortName() const override { return mName; }
  const std::string& GetCfxPath() const override { return mPath; }
  // No broker client exists here to show such an entry.
  bool RunInConsole() override { return false; }

 private:
  PrismoVM(const std::string& name, const std::string& path) : mName(name), mPath(path) { InitOrderKeys(); }

  const std::string mName;
  const std::string mPath;
};
