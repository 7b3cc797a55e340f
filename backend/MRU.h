// The Recently Used section: the VMs of all servers used within the recent window.
#pragma once

#include "backend/VMView.h"

class MRU : public VMView {
 public:
  // query: the State's GetRecentVMs.
  static std::shared_ptr<MRU> Create(Query query) { return std::shared_ptr<MRU>(new MRU(std::move(query))); }

 private:
  explicit MRU(Query query) : VMView(std::move(query)) {}
};
