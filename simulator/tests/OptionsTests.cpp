#include <gtest/gtest.h>

#include "simulator/src/Options.h"

namespace {

using sim::ParseOptions;

TEST(OptionsTest, DefaultsServeHttpsOnPort8443WithAGeneratedInventory) {
  auto r = ParseOptions({});
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.options.port, 8443);
  EXPECT_EQ(r.options.bindAddress, "127.0.0.1");
  EXPECT_FALSE(r.options.plainHttp);
  EXPECT_EQ(r.options.adminPort, 0);
  EXPECT_FALSE(r.options.adminAutoPort);
  EXPECT_EQ(r.options.powerDelayMs, 300);
  EXPECT_TRUE(r.options.updateAvailable);
  EXPECT_TRUE(r.options.inventoryFile.empty());
}

TEST(OptionsTest, EveryOptionIsRead) {
  auto r = ParseOptions({"--port", "0", "--bind", "0.0.0.0", "--user", "u", "--password", "p", "--vms", "5000",
                         "--unlicensed", "--latency-ms", "25", "--power-delay-ms", "10", "--admin-port", "9443",
                         "--update-available", "0", "--seed", "18446744073709551615", "--http"});
  ASSERT_TRUE(r.ok) << r.error;
  const auto& o = r.options;
  EXPECT_EQ(o.port, 0);
  EXPECT_EQ(o.bindAddress, "0.0.0.0");
  EXPECT_EQ(o.user, "u");
  EXPECT_EQ(o.password, "p");
  EXPECT_EQ(o.vmCount, 5000);
  EXPECT_TRUE(o.unlicensed);
  EXPECT_EQ(o.latencyMs, 25);
  EXPECT_EQ(o.powerDelayMs, 10);
  EXPECT_EQ(o.adminPort, 9443);
  EXPECT_FALSE(o.updateAvailable);
  EXPECT_EQ(o.seed, 18446744073709551615ull);
  EXPECT_TRUE(o.plainHttp);

  auto files = ParseOptions({"--cert", "c.pem", "--key", "k.pem", "--inventory", "inv.json", "--admin-port", "auto"});
  ASSERT_TRUE(files.ok) << files.error;
  EXPECT_EQ(files.options.certFile, "c.pem");
  EXPECT_EQ(files.options.keyFile, "k.pem");
  EXPECT_EQ(files.options.inventoryFile, "inv.json");
  EXPECT_TRUE(files.options.adminAutoPort);
}

TEST(OptionsTest, BadValuesAndCombinationsAreRefusedWithAReason) {
  const std::vector<std::vector<std::string>> bad = {
      {"--port", "65536"},          {"--port", "-1"},           {"--port", "80x"},
      {"--port"},                   {"--vms", "1000001"},       {"--latency-ms", "fast"},
      {"--admin-port", "automatic"}, {"--update-available", "yes"}, {"--seed", "-3"},
      {"--user", ""},               {"--password", ""},         {"--frobnicate"},
      {"stray"},                    {"--cert", "c.pem"},        {"--key", "k.pem"},
      {"--vms", "3", "--inventory", "i.json"}, {"--http", "--cert", "c", "--key", "k"}};
  for (const auto& args : bad) {
    auto r = ParseOptions(args);
    EXPECT_FALSE(r.ok) << args[0];
    EXPECT_FALSE(r.error.empty()) << args[0];
  }
  EXPECT_TRUE(ParseOptions({"--port", "1", "--help"}).helpRequested);
}

}  // namespace
