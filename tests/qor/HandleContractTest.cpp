// Handles through the exports: kinds, unknown values, missing outputs.
#include "tests/qor/QorTestSupport.h"

namespace {

void NoOpHandler(QorHandle, int, QorHandle, void*) {}

class QorHandleContract : public QorHostTest {
 protected:
  QorHandleContract() : QorHostTest({"--vms", "2"}) {}
  void SetUp() override {
    QorHostTest::SetUp();
    if (HasFatalFailure()) return;
    vm = Open(vms[0].path);
    // A finished job: a connect refused for its URL.
    job = Qor().QorHost_Connect(QOR_API_VERSION, QOR_HOST_TYPE_SERVER, "bad", 0, "", "", 0, 0, nullptr, nullptr);
    ASSERT_EQ(Qor().QorJob_Wait(job, QOR_PROPERTY_NONE), QOR_E_BAD_SERVICE_URL);
  }
  void TearDown() override {
    Qor().Qor_ReleaseHandle(job);
    Qor().Qor_ReleaseHandle(vm);
    QorHostTest::TearDown();
  }
  QorHandle vm = 0, job = 0;
};

}  // namespace

// Handles of the wrong kind, unknown handles and missing outputs give errors, not crashes.
TEST_F(QorHandleContract, WrongKindsUnknownHandlesAndMissingOutputsGiveErrorsNotCrashes) {
  EXPECT_EQ(Qor().Qor_SubscribeToEvents(host, QOR_EVENT_VM_STATE_CHANGED, NoOpHandler, nullptr),
            QOR_E_WRONG_HANDLE_TYPE);
  EXPECT_EQ(Qor().Qor_SubscribeToEvents(job, QOR_EVENT_VM_STATE_CHANGED, NoOpHandler, nullptr),
            QOR_E_WRONG_HANDLE_TYPE);
  EXPECT_EQ(WaitJob(Qor().QorHost_FindItems(vm, QOR_FIND_RUNNING_VMS, 0, -1, nullptr, nullptr)),
            QOR_E_WRONG_HANDLE_TYPE);
  QorError error = 0;
  EXPECT_EQ(OpenVm(job, "[datastore1] a/a.vmx", &error), 0u);
  EXPECT_EQ(error, QOR_E_WRONG_HANDLE_TYPE);
  EXPECT_EQ(WaitJob(Qor().QorVM_PowerOn(host, 0, 0, nullptr, nullptr)), QOR_E_WRONG_HANDLE_TYPE);
  EXPECT_EQ(WaitJob(Qor().QorVM_Reset(job, 0, nullptr, nullptr)), QOR_E_WRONG_HANDLE_TYPE);
  EXPECT_EQ(Qor().QorJob_Wait(host, QOR_PROPERTY_NONE), QOR_E_WRONG_HANDLE_TYPE);
  Qor().QorHost_Disconnect(vm);  // not a host: ignored
  EXPECT_NE(PowerStateOf(vm), -1);

  int32_t state = 0;
  char* text = nullptr;
  QorHandle result = 0;
  EXPECT_EQ(Qor().Qor_GetProperties(host, QOR_PROPERTY_VM_POWER_STATE, &state, QOR_PROPERTY_NONE),
            QOR_E_UNSUPPORTED_PROPERTY);
  EXPECT_EQ(Qor().Qor_GetProperties(job, QOR_PROPERTY_VM_MOID, &text, QOR_PROPERTY_NONE), QOR_E_UNSUPPORTED_PROPERTY);
  EXPECT_EQ(Qor().Qor_GetProperties(vm, QOR_PROPERTY_JOB_RESULT, &result, QOR_PROPERTY_NONE),
            QOR_E_UNSUPPORTED_PROPERTY);
  EXPECT_EQ(Qor().Qor_GetProperties(vm, QOR_PROPERTY_VM_MOID, &text, 12345, &state, QOR_PROPERTY_NONE),
            QOR_E_UNSUPPORTED_PROPERTY);
  EXPECT_EQ(text, nullptr);

  const QorHandle unknown = 0x7FFFFFF0u;
  EXPECT_EQ(Qor().Qor_GetProperties(unknown, QOR_PROPERTY_VM_POWER_STATE, &state, QOR_PROPERTY_NONE),
            QOR_E_INVALID_HANDLE);
  EXPECT_EQ(Qor().Qor_GetProperties(0, QOR_PROPERTY_VM_POWER_STATE, &state, QOR_PROPERTY_NONE), QOR_E_INVALID_HANDLE);
  EXPECT_EQ(Qor().Qor_SubscribeToEvents(0, QOR_EVENT_VM_STATE_CHANGED, NoOpHandler, nullptr), QOR_E_INVALID_HANDLE);
  EXPECT_EQ(Qor().QorJob_Wait(unknown, QOR_PROPERTY_NONE), QOR_E_INVALID_HANDLE);
  EXPECT_EQ(WaitJob(Qor().QorHost_FindItems(0, QOR_FIND_RUNNING_VMS, 0, -1, nullptr, nullptr)), QOR_E_INVALID_HANDLE);
  Qor().Qor_AddRefHandle(unknown);
  Qor().Qor_ReleaseHandle(unknown);
  Qor().Qor_ReleaseHandle(0);
  Qor().QorHost_Disconnect(unknown);
  Qor().Qor_FreeBuffer(nullptr);

  EXPECT_EQ(Qor().Qor_GetProperties(vm, QOR_PROPERTY_VM_MOID, nullptr, QOR_PROPERTY_NONE), QOR_E_INVALID_ARG);
  EXPECT_EQ(Qor().QorJob_Wait(job, QOR_PROPERTY_JOB_ERROR, nullptr, QOR_PROPERTY_NONE), QOR_E_BAD_SERVICE_URL);
  EXPECT_EQ(Qor().Qor_SubscribeToEvents(vm, QOR_EVENT_JOB_COMPLETED, NoOpHandler, nullptr), QOR_E_INVALID_ARG);
  EXPECT_EQ(Qor().Qor_SubscribeToEvents(vm, QOR_EVENT_VM_STATE_CHANGED, nullptr, nullptr), QOR_E_INVALID_ARG);
  EXPECT_EQ(Qor().Qor_CancelEventSubscription(vm, QOR_EVENT_VM_STATE_CHANGED, NoOpHandler, nullptr),
            QOR_E_INVALID_ARG);
  EXPECT_EQ(WaitJob(Qor().QorHost_FindItems(host, 99, 0, -1, nullptr, nullptr)), QOR_E_INVALID_ARG);
  // Error texts come from the library, whatever the language asked for.
  EXPECT_STREQ(Qor().Qor_GetErrorText(QOR_E_CONNECTION_LOST, "de"), "The connection to the server was lost");
  EXPECT_STREQ(Qor().Qor_GetErrorText(424242, nullptr), "Unknown error");
}
