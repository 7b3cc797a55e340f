// The asynchronous operations of the interface, each as the work of one job.
#pragma once

#include <string>

#include "backend/QorApi.h"
#include "qor/JobRunner.h"

namespace qor {

// The strings are copied here, before the exported call returns.
JobWork ConnectWork(int apiVersion, int hostType, const char* serviceUrl, int port, const char* userName,
                    const char* password);
JobWork FindItemsWork(QorHandle host, int searchType, int32_t timeoutMs);
JobWork OpenVmWork(QorHandle host, const char* configPath);

enum class PowerAction { On, Off, Suspend, Reset };
JobWork PowerWork(QorHandle vm, PowerAction action);

}  // namespace qor
