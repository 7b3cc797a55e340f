// zandor-sim as a program: start line, signals, exit codes.

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <future>
#include <regex>
#include <sstream>
#include <thread>

#include "simulator/tests/ChildSimulator.h"
#include "simulator/tests/TestClient.h"

namespace simtest {
namespace {

using nlohmann::json;
using namespace std::chrono_literals;

std::string TempPath(const std::string& name) {
  return ::testing::TempDir() + "zandor-sim-" + std::to_string(getpid()) + "-" + name;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

struct Started {
  std::string scheme;
  int port = 0;
  int adminPort = 0;
  std::string Base() const { return scheme + "://127.0.0.1:" + std::to_string(port); }
  std::string Admin() const { return "http://127.0.0.1:" + std::to_string(adminPort); }
};

// Starts the child and parses "listening on <scheme>://127.0.0.1:<port> admin <port>".
bool StartAndParse(ChildSimulator& child, const std::vector<std::string>& args, const std::string& log,
                   Started* started) {
  if (!child.Start(args, log)) return false;
  std::string line = child.ReadLine(20s);
  std::smatch m;
  static const std::regex format(R"(^listening on (https?)://127\.0\.0\.1:(\d+) admin (\d+)$)");
  if (!std::regex_match(line, m, format)) {
    ADD_FAILURE() << "start line: '" << line << "'; log: " << ReadFile(log);
    return false;
  }
  started->scheme = m[1];
  started->port = std::stoi(m[2]);
  started->adminPort = std::stoi(m[3]);
  return true;
}

json Sdk(const Started& s, const json& request) { return TestClient(s.Base()).Post("/sdk", request.dump()).Json(); }

TEST(ProcessTest, AnnouncesItsPortsServesAndExitsWithZeroOnSigterm) {
  ChildSimulator child;
  Started s;
  const std::string log = TempPath("sigterm.log");
  ASSERT_TRUE(StartAndParse(child,
                            {"--port", "0", "--admin-port", "auto", "--vms", "50", "--user", "op",
                             "--password", "pw-never-logged", "--power-delay-ms", "50"},
                            log, &s));
  EXPECT_EQ(s.scheme, "https");
  EXPECT_GT(s.port, 0);
  EXPECT_GT(s.adminPort, 0);
  auto login = Sdk(s, {{"v", 1}, {"op", "login"}, {"user", "op"}, {"password", "pw-never-logged"}});
  ASSERT_EQ(login["ok"], true);
  EXPECT_EQ(Sdk(s, {{"v", 1}, {"op", "listVms"}, {"session", login["session"]}})["vms"].size(), 50u);
  EXPECT_EQ(Sdk(s, {{"v", 1}, {"op", "login"}, {"user", "op"}, {"password", "pw-wrong-never-logged"}})["error"], 3014);
  EXPECT_EQ(TestClient(s.Admin()).Post("/admin/state", "{}").Json()["vms"].size(), 50u);
  child.Signal(SIGTERM);
  EXPECT_EQ(child.WaitForExit(15s), 0);

  std::string text = ReadFile(log);
  EXPECT_NE(text.find("POST /sdk op=login status=200"), std::string::npos) << text;
  EXPECT_NE(text.find("POST /sdk op=listVms status=200"), std::string::npos) << text;
  EXPECT_NE(text.find("POST /admin/state op=state status=200"), std::string::npos) << text;
  EXPECT_EQ(text.find("never-logged"), std::string::npos) << "a password reached the log";
  std::remove(log.c_str());
}

// On SIGINT a waiting long poll is answered (36) and the exit waits neither for an idle
// keep-alive connection (as WinHTTP keeps them; the server's keep-alive time-out is 5 s)
// nor for a request whose body never comes (a client that exits between headers and body).
TEST(ProcessTest, SigintAnswersALongPollAndExitsWithoutWaitingForIdleOrHalfSentRequests) {
  ChildSimulator child;
  Started s;
  const std::string log = TempPath("sigint.log");
  ASSERT_TRUE(StartAndParse(child, {"--port", "0", "--http", "--vms", "3"}, log, &s));
  EXPECT_EQ(s.scheme, "http");
  EXPECT_EQ(s.adminPort, 0);
  auto session = Sdk(s, {{"v", 1}, {"op", "login"}, {"user", "root"}, {"password", "wickerlyn"}})["session"];
  auto poll = std::async(std::launch::async, [&] {
    return Sdk(s, {{"v", 1}, {"op", "events"}, {"session", session}, {"since", 0}, {"waitMs", 30000}});
  });
  const std::string body = R"({"v":1,"op":"logout","session":"x"})";
  const std::string request = "POST /sdk HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Type: application/json\r\n"
                              "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n";
  int idle = ConnectLoopback(s.port), halfSent = ConnectLoopback(s.port);
  ASSERT_GE(idle, 0);
  ASSERT_GE(halfSent, 0);
  ASSERT_EQ(write(idle, (request + body).data(), request.size() + body.size()),
            static_cast<ssize_t>(request.size() + body.size()));
  char answer[512];
  ASSERT_GT(read(idle, answer, sizeof answer), 0);
  ASSERT_EQ(write(halfSent, request.data(), request.size()), static_cast<ssize_t>(request.size()));
  std::this_thread::sleep_for(300ms);  // the poll waits, the server has read the half-sent headers
  auto signalled = std::chrono::steady_clock::now();
  child.Signal(SIGINT);
  EXPECT_EQ(child.WaitForExit(15s), 0);
  EXPECT_LT(std::chrono::steady_clock::now() - signalled, 3s) << ReadFile(log);
  ASSERT_EQ(poll.wait_for(5s), std::future_status::ready);
  auto answered = poll.get();
  EXPECT_EQ(answered["error"], 36) << answered.dump() << ReadFile(log);
  close(idle);
  close(halfSent);
  std::remove(log.c_str());
}

}  // namespace
}  // namespace simtest
