// Socket settings of the connections the simulator accepts.

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "simulator/src/ConnectionCloser.h"
#include "simulator/src/Simulator.h"
#include "simulator/tests/TestClient.h"

namespace simtest {
namespace {

using namespace std::chrono_literals;

// The server's end of the connections accepted on `port`, once the accept loop has
// taken at least one (the simulator runs in this process).
std::vector<int> WaitForAccepted(int port) {
  auto deadline = std::chrono::steady_clock::now() + 5s;
  std::vector<int> accepted = sim::AcceptedConnections(port);
  while (accepted.empty() && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(5ms);
    accepted = sim::AcceptedConnections(port);
  }
  return accepted;
}

int NoDelay(int fd) {
  int on = -1;
  socklen_t size = sizeof on;
  if (getsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, &size) != 0) return -1;
  return on;
}

class ConnectionTest : public ::testing::TestWithParam<bool> {};
INSTANTIATE_TEST_SUITE_P(Schemes, ConnectionTest, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return std::string(info.param ? "Https" : "Http");
                         });

// Without it every answer waits for the client's delayed ACK (about 40 ms).
TEST_P(ConnectionTest, AcceptedConnectionsSendWithoutNagleDelay) {
  sim::Options options;
  options.port = 0;
  options.adminAutoPort = true;
  options.plainHttp = !GetParam();
  sim::Simulator simulator(options, {});
  std::string error;
  ASSERT_TRUE(simulator.Start(&error)) << error;
  for (int port : {simulator.Port(), simulator.AdminPort()}) {
    int client = ConnectLoopback(port);
    ASSERT_GE(client, 0) << port;
    std::vector<int> accepted = WaitForAccepted(port);
    ASSERT_FALSE(accepted.empty()) << port;
    for (int fd : accepted) EXPECT_EQ(NoDelay(fd), 1) << "port " << port;
    close(client);
  }
}

}  // namespace
}  // namespace simtest
