// qor.dll is loaded the way the program does (full path, then QorLibrary::Bind) before any
// contract test runs, with time-outs shortened for the failure cases; the job recorder and
// short-cuts of QorTestSupport.h.
#include <nlohmann/json.hpp>

#include "tests/qor/QorTestSupport.h"
#include "tests/support/QorLibraryEnvironment.h"

namespace {

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new QorLibraryEnvironment);

}  // namespace

void JobRecorder::Handler(QorHandle job, int eventType, QorHandle moreInfo, void* context) {
  JobRecorder* r = static_cast<JobRecorder*>(context);
  std::lock_guard<std::mutex> hold(r->mLock);
  r->events.push_back(eventType);
  r->handlerThread = GetCurrentThreadId();
  if (eventType == QOR_EVENT_FIND_ITEM) {
    char* path = nullptr;
    if (Qor().Qor_GetProperties(moreInfo, QOR_PROPERTY_FOUND_ITEM_LOCATION, &path, QOR_PROPERTY_NONE) == QOR_OK) {
      r->foundPaths.push_back(path);
      Qor().Qor_FreeBuffer(path);
    }
    char* moid = nullptr;
    if (Qor().Qor_GetProperties(moreInfo, QOR_PROPERTY_VM_MOID, &moid, QOR_PROPERTY_NONE) == QOR_OK) {
      r->foundMoids.push_back(moid);
      Qor().Qor_FreeBuffer(moid);
    }
    r->foundItems.push_back(moreInfo);
    return;
  }
  r->readError = Qor().Qor_GetProperties(job, QOR_PROPERTY_JOB_ERROR, &r->jobError, QOR_PROPERTY_JOB_RESULT,
                                         &r->result, QOR_PROPERTY_NONE);
  Qor().Qor_ReleaseHandle(job);
  r->mFinished = true;
  r->mDone.notify_all();
}

bool JobRecorder::WaitDone(DWORD timeoutMs) {
  std::unique_lock<std::mutex> hold(mLock);
  return mDone.wait_for(hold, std::chrono::milliseconds(timeoutMs), [this] { return mFinished; });
}

QorHandle ConnectDefault(const SimulatorProcess& sim) {
  QorHandle job = Qor().QorHost_Connect(QOR_API_VERSION, QOR_HOST_TYPE_SERVER, sim.ServiceUrl().c_str(), sim.Port(),
                                        "root", "wickerlyn", 0, 0, nullptr, nullptr);
  QorHandle host = 0;
  QorError error = Qor().QorJob_Wait(job, QOR_PROPERTY_JOB_RESULT, &host, QOR_PROPERTY_NONE);
  Qor().Qor_ReleaseHandle(job);
  EXPECT_EQ(error, QOR_OK) << Qor().Qor_GetErrorText(error, nullptr);
  EXPECT_NE(host, 0u);
  return host;
}

QorHandle OpenVm(QorHandle host, const std::string& path, QorError* error) {
  QorHandle job = Qor().QorHost_OpenVM(host, path.c_str(), 0, 0, nullptr, nullptr);
  QorHandle vm = 0;
  *error = Qor().QorJob_Wait(job, QOR_PROPERTY_JOB_RESULT, &vm, QOR_PROPERTY_NONE);
  Qor().Qor_ReleaseHandle(job);
  return vm;
}

QorError WaitJob(QorHandle job) {
  QorError error = Qor().QorJob_Wait(job, QOR_PROPERTY_NONE);
  Qor().Qor_ReleaseHandle(job);
  return error;
}

int32_t PowerStateOf(QorHandle vm) {
  int32_t state = -1;
  if (Qor().Qor_GetProperties(vm, QOR_PROPERTY_VM_POWER_STATE, &state, QOR_PROPERTY_NONE) != QOR_OK) return -1;
  return state;
}

std::vector<SimVm> SimulatorVms(SimulatorProcess& sim) {
  std::string answer;
  EXPECT_TRUE(sim.Admin("state", "{}", &answer)) << sim.LastError();
  std::vector<SimVm> vms;
  nlohmann::json state = nlohmann::json::parse(answer, nullptr, false);
  if (state.is_discarded() || !state.contains("vms")) return vms;
  for (const auto& vm : state["vms"]) {
    vms.push_back(SimVm{vm.value("path", ""), vm.value("moid", ""), vm.value("powerState", 0)});
  }
  return vms;
}
