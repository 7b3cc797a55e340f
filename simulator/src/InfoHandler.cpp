#include "simulator/src/InfoHandler.h"

namespace sim {

Reply InfoHandler::Handle(const std::string& id) {
  if (id == kUpdateId) {
    std::string body =
        "# Zandor web information service\n"
        "product = Zandor Wickerlyn\n";
    body += mControls.UpdateAvailable() ? "update = 1\n" : "update = 0\n";
    return Reply{200, "text/plain; charset=utf-8", body};
  }
  if (id == kDownloadId) {
    return Reply{200, "text/html; charset=utf-8",
                 "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Zandor Wickerlyn downloads</title>"
                 "</head>\n<body><h1>Zandor Wickerlyn</h1>\n<p>The newest version of Zandor Wickerlyn is "
                 "available from this page.</p></body></html>\n"};
  }
  return Reply{404, "text/plain; charset=utf-8", "no information with this id\n"};
}

}  // namespace sim
