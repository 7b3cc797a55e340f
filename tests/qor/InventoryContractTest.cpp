// Enumeration, opening VMs and power operations.
#include "tests/qor/QorTestSupport.h"

namespace {

class QorInventoryContract : public QorHostTest {
 protected:
  QorInventoryContract() : QorHostTest({"--vms", "5", "--power-delay-ms", "50"}) {}
};

}  // namespace

// After a rename and a removal on the server, the search reports each VM once, in
// inventory order, with its id, then completes; found items are lent for the handler call
// only; each listed path opens the VM with that id and its power state.
TEST_F(QorInventoryContract, EnumerationReportsEachVmOnceInOrderAndItsPathOpensItWithItsIdAndState) {
  ASSERT_TRUE(sim.Admin("renameVm", "{\"moid\":\"vm-2\",\"name\":\"renamed\"}"));
  ASSERT_TRUE(sim.Admin("removeVm", "{\"moid\":\"vm-4\"}"));
  vms = SimulatorVms(sim);
  ASSERT_EQ(vms.size(), 4u);
  JobRecorder recorder;
  ASSERT_NE(Qor().QorHost_FindItems(host, QOR_FIND_RUNNING_VMS, 0, QOR_TIMEOUT_INFINITE, JobRecorder::Handler,
                                    &recorder),
            0u);
  ASSERT_TRUE(recorder.WaitDone());
  std::vector<int> expected(vms.size(), QOR_EVENT_FIND_ITEM);
  expected.push_back(QOR_EVENT_JOB_COMPLETED);
  EXPECT_EQ(recorder.events, expected);
  EXPECT_EQ(recorder.jobError, QOR_OK);
  EXPECT_EQ(recorder.result, 0u);
  ASSERT_EQ(recorder.foundMoids.size(), vms.size());
  ASSERT_EQ(recorder.foundPaths.size(), vms.size());
  char* path = nullptr;
  EXPECT_EQ(Qor().Qor_GetProperties(recorder.foundItems[0], QOR_PROPERTY_FOUND_ITEM_LOCATION, &path,
                                    QOR_PROPERTY_NONE),
            QOR_E_INVALID_HANDLE);
  for (size_t i = 0; i < vms.size(); ++i) {
    EXPECT_EQ(recorder.foundMoids[i], vms[i].moid);
    EXPECT_EQ(recorder.foundPaths[i], vms[i].path);
    QorHandle vm = Open(recorder.foundPaths[i]);
    char* moid = nullptr;
    int32_t state = 0;
    ASSERT_EQ(Qor().Qor_GetProperties(vm, QOR_PROPERTY_VM_MOID, &moid, QOR_PROPERTY_VM_POWER_STATE, &state,
                                      QOR_PROPERTY_NONE),
              QOR_OK);
    EXPECT_STREQ(moid, vms[i].moid.c_str());
    EXPECT_EQ(state, vms[i].powerState);
    Qor().Qor_FreeBuffer(moid);
    Qor().Qor_ReleaseHandle(vm);
  }
  QorError error = 0;
  EXPECT_EQ(OpenVm(host, "[datastore1] missing/missing.vmx", &error), 0u);
  EXPECT_EQ(error, QOR_E_VM_NOT_FOUND);
  EXPECT_EQ(OpenVm(host, "", &error), 0u);
  EXPECT_EQ(error, QOR_E_INVALID_ARG);
}

TEST_F(QorInventoryContract, PowerOperationsSettleAndRefuseWhatTheStateDoesNotAllow) {
  QorHandle vm = Open(vms[0].path);
  if (PowerStateOf(vm) != QOR_POWERSTATE_POWERED_ON) {
    ASSERT_EQ(WaitJob(Qor().QorVM_PowerOn(vm, 0, 0, nullptr, nullptr)), QOR_OK);
  }
  EXPECT_EQ(PowerStateOf(vm), QOR_POWERSTATE_POWERED_ON);
  EXPECT_EQ(WaitJob(Qor().QorVM_PowerOn(vm, 0, 0, nullptr, nullptr)), QOR_E_INVALID_POWER_STATE);

  JobRecorder off;
  Qor().QorVM_PowerOff(vm, 0, JobRecorder::Handler, &off);
  ASSERT_TRUE(off.WaitDone());
  EXPECT_EQ(off.events, std::vector<int>{QOR_EVENT_JOB_COMPLETED});
  EXPECT_EQ(off.jobError, QOR_OK);
  EXPECT_EQ(PowerStateOf(vm), QOR_POWERSTATE_POWERED_OFF);
  EXPECT_EQ(WaitJob(Qor().QorVM_PowerOff(vm, 0, nullptr, nullptr)), QOR_E_INVALID_POWER_STATE);

  ASSERT_EQ(WaitJob(Qor().QorVM_PowerOn(vm, 0, 0, nullptr, nullptr)), QOR_OK);
  ASSERT_EQ(WaitJob(Qor().QorVM_Suspend(vm, 0, nullptr, nullptr)), QOR_OK);
  EXPECT_EQ(PowerStateOf(vm), QOR_POWERSTATE_SUSPENDED);
  ASSERT_EQ(WaitJob(Qor().QorVM_PowerOn(vm, 0, 0, nullptr, nullptr)), QOR_OK);
  ASSERT_EQ(WaitJob(Qor().QorVM_Reset(vm, 0, nullptr, nullptr)), QOR_OK);
  EXPECT_EQ(PowerStateOf(vm), QOR_POWERSTATE_POWERED_ON);
  // The server agrees.
  EXPECT_EQ(SimulatorVms(sim)[0].powerState, QOR_POWERSTATE_POWERED_ON);
  // Without subscriptions the state is asked from the server: a change behind the
  // library's back shows at once.
  ASSERT_TRUE(SetPower(vms[0].moid, QOR_POWERSTATE_SUSPENDED)) << sim.LastError();
  EXPECT_EQ(PowerStateOf(vm), QOR_POWERSTATE_SUSPENDED);
  Qor().Qor_ReleaseHandle(vm);
}
