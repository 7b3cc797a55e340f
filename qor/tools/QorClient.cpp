// A console client of qor.dll for trying a server by hand: log in, list the VMs, open
// one and change its power state, printing what the library reports.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "backend/QorLibrary.h"
#include "qor/tools/ClientOptions.h"

namespace {

std::string ToUtf8(const wchar_t* text) {
  int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::string out(length > 0 ? length - 1 : 0, '\0');
  if (length > 1) WideCharToMultiByte(CP_UTF8, 0, text, -1, &out[0], length, nullptr, nullptr);
  return out;
}

int Fail(const char* what, QorError error) {
  std::fprintf(stderr, "qor-client: %s failed with error %llu (%s)\n", what, static_cast<unsigned long long>(error),
               Qor().Qor_GetErrorText(error, nullptr));
  return 1;
}

void PrintFoundItem(QorHandle job, int eventType, QorHandle item, void* context) {
  (void)job;
  if (eventType != QOR_EVENT_FIND_ITEM) return;
  char* path = nullptr;
  QorError error = Qor().Qor_GetProperties(item, QOR_PROPERTY_FOUND_ITEM_LOCATION, &path, QOR_PROPERTY_NONE);
  if (error == QOR_OK) {
    std::printf("%s\n", path);
    Qor().Qor_FreeBuffer(path);
    ++*static_cast<int*>(context);
  } else {
    std::fprintf(stderr, "qor-client: reading a found VM's path failed with %llu\n",
                 static_cast<unsigned long long>(error));
  }
}

// Waits for a job without a handler and reads its result handle.
QorError WaitForJob(QorHandle job, QorHandle* result) {
  if (!job) return QOR_E_OUT_OF_MEMORY;
  QorError error = result ? Qor().QorJob_Wait(job, QOR_PROPERTY_JOB_RESULT, result, QOR_PROPERTY_NONE)
                          : Qor().QorJob_Wait(job, QOR_PROPERTY_NONE);
  Qor().Qor_ReleaseHandle(job);
  return error;
}

int RunCommand(const ClientOptions& options, QorHandle host) {
  if (options.command == "list") {
    int count = 0;
    QorHandle job = Qor().QorHost_FindItems(host, QOR_FIND_RUNNING_VMS, 0, QOR_TIMEOUT_INFINITE, PrintFoundItem, &count);
    QorError error = WaitForJob(job, nullptr);
    if (error != QOR_OK) return Fail("listing the VMs", error);
    std::printf("%d VMs\n", count);
    return 0;
  }
  QorHandle vm = 0;
  QorError error = WaitForJob(Qor().QorHost_OpenVM(host, options.path.c_str(), 0, 0, nullptr, nullptr), &vm);
  if (error != QOR_OK) return Fail("opening the VM", error);
  int rc = 0;
  QorHandle job = 0;
  if (options.command == "power-on") job = Qor().QorVM_PowerOn(vm, 0, 0, nullptr, nullptr);
  if (options.command == "power-off") job = Qor().QorVM_PowerOff(vm, 0, nullptr, nullptr);
  if (options.command == "suspend") job = Qor().QorVM_Suspend(vm, 0, nullptr, nullptr);
  if (options.command == "reset") job = Qor().QorVM_Reset(vm, 0, nullptr, nullptr);
  if (options.command != "open") {
    error = WaitForJob(job, nullptr);
    if (error != QOR_OK) rc = Fail(options.command.c_str(), error);
  }
  char* moid = nullptr;
  int32_t state = 0;
  error = Qor().Qor_GetProperties(vm, QOR_PROPERTY_VM_MOID, &moid, QOR_PROPERTY_VM_POWER_STATE, &state,
                                  QOR_PROPERTY_NONE);
  if (error == QOR_OK) {
    std::printf("%s moid %s power state 0x%04x\n", options.path.c_str(), moid, static_cast<unsigned>(state));
    Qor().Qor_FreeBuffer(moid);
  } else {
    rc = Fail("reading the VM's properties", error);
  }
  Qor().Qor_ReleaseHandle(vm);
  return rc;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.push_back(ToUtf8(argv[i]));
  ClientOptions options;
  std::string problem;
  if (!ParseClientOptions(args, &options, &problem)) {
    std::fprintf(stderr, "qor-client: %s\n%s", problem.c_str(), ClientUsage());
    return 2;
  }

  wchar_t self[MAX_PATH];
  DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring folder(self, length);
  folder.resize(folder.find_last_of(L'\\') + 1);
  std::wstring dllPath = folder + L"kilnworks\\qor.dll";
  HMODULE module = LoadLibraryW(dllPath.c_str());
  if (!module) {
    std::fprintf(stderr, "qor-client: cannot load %s (error %lu)\n", ToUtf8(dllPath.c_str()).c_str(), GetLastError());
    return 1;
  }
  if (!QorLibrary::Bind(module)) {
    std::fprintf(stderr, "qor-client: qor.dll lacks the export %s\n", QorLibrary::MissingExport());
    return 1;
  }

  QorHandle host = 0;
  QorError error = WaitForJob(Qor().QorHost_Connect(QOR_API_VERSION, QOR_HOST_TYPE_SERVER, options.url.c_str(),
                                                    options.port, options.user.c_str(), options.password.c_str(), 0,
                                                    0, nullptr, nullptr),
                              &host);
  SecureZeroMemory(&options.password[0], options.password.size());
  if (error != QOR_OK) return Fail("logging in", error);
  int rc = RunCommand(options, host);
  Qor().QorHost_Disconnect(host);
  Qor().Qor_ReleaseHandle(host);
  return rc;
}
