#pragma once
// GET /info?id=N: the web information service (update document and download page).

#include <string>

#include "simulator/src/Reply.h"
#include "simulator/src/RuntimeControls.h"

namespace sim {

class InfoHandler {
 public:
  static constexpr const char* kUpdateId = "1073";
  static constexpr const char* kDownloadId = "1048";

  explicit InfoHandler(RuntimeControls& controls) : mControls(controls) {}
  Reply Handle(const std::string& id);

 private:
  RuntimeControls& mControls;
};

}  // namespace sim
