#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "services/Protection.h"
#include "tests/support/ScratchLog.h"

namespace {

std::string Protect(const std::string& secret) {
  std::string text;
  EXPECT_TRUE(utils::EncryptString(secret.data(), secret.size(), text));
  return text;
}

bool Unprotect(const std::string& text, std::vector<char>& out) {
  return utils::DecryptString(text.c_str(), static_cast<int>(text.size()), out);
}

const char kDecodeLength[] = "utils::DecryptString: Unable to find out how many bytes we need to Base64 decode";
const char kUnprotect[] = "utils::DecryptString: Failed to unprotect the data with error 0x";

}  // namespace

TEST(Protection, RoundTripsSecretsWithTheirTerminatingZero) {
  const std::string secrets[] = {
      "",  // still one zero byte to protect
      "hunter2",
      "p\xc3\xa4ss w\xc3\xb6rd \xe2\x82\xac \xf0\x9f\x94\x91",  // UTF-8, 4-byte sequence included
      std::string(5000, 'x') + "end",
  };
  for (const std::string& secret : secrets) {
    SCOPED_TRACE(secret.substr(0, 20));
    std::string text = Protect(secret);
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos) << "Base64 must be one line";
    EXPECT_EQ(text.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/="),
              std::string::npos);

    std::vector<char> out(3, 'z');
    ASSERT_TRUE(Unprotect(text, out));
    ASSERT_EQ(out.size(), secret.size() + 1);
    EXPECT_EQ(std::string(out.data(), secret.size()), secret);
    EXPECT_EQ(out.back(), '\0');
    EXPECT_STREQ(out.data(), secret.c_str());
  }
  // Only the given length is protected.
  std::string text;
  ASSERT_TRUE(utils::EncryptString("secretTRAILING", 6, text));
  std::vector<char> out;
  ASSERT_TRUE(Unprotect(text, out));
  EXPECT_EQ(std::string(out.data(), out.size()), std::string("secret\0", 7));
}

TEST(Protection, DecodingSkipsStrayCharactersAndStopsAtZero) {
  std::string text = Protect("skip me");
  std::string noisy;
  for (size_t i = 0; i < text.size(); ++i) {
    noisy += text[i];
    if (i % 7 == 0) noisy += "\r\n";
    if (i % 11 == 0) noisy += " \t=*";
  }
  std::vector<char> out;
  ASSERT_TRUE(Unprotect(noisy, out));
  EXPECT_STREQ(out.data(), "skip me");

  std::string withTail = text + std::string(1, '\0') + "AAAAAAAAAAAAAAAA";
  ASSERT_TRUE(Unprotect(withTail, out));
  EXPECT_STREQ(out.data(), "skip me");

  // Unpadded text decodes too.
  std::string unpadded = text.substr(0, text.find('='));
  ASSERT_TRUE(Unprotect(unpadded, out));
  EXPECT_STREQ(out.data(), "skip me");
}

TEST(Protection, AlteredTextFailsWithTheUnprotectMessage) {
  std::string text = Protect("do not touch");
  std::string truncated = text.substr(0, text.size() / 2);
  std::string payloadChanged = text;
  // The end of the blob is the encrypted payload and its signature, not the header.
  size_t pos = payloadChanged.find_last_not_of('=') - 10;
  payloadChanged[pos] = payloadChanged[pos] == 'A' ? 'B' : 'A';
  const std::string strayOnly = "=== \r\n ***";

  for (const std::string& bad : {truncated, payloadChanged, strayOnly}) {
    ScratchLog log;
    std::vector<char> out{'k', 'e', 'e', 'p'};
    EXPECT_FALSE(Unprotect(bad, out)) << bad;
    EXPECT_EQ(std::string(out.begin(), out.end()), "keep");
    EXPECT_TRUE(log.Contains(kUnprotect)) << log.Text();
  }
}

// Null inputs fail without a word; empty text fails before any service call.
TEST(Protection, NullOrEmptyInputsFailBeforeAnyServiceCall) {
  ScratchLog log;
  std::string text = "unchanged";
  EXPECT_FALSE(utils::EncryptString(nullptr, 4, text));
  EXPECT_EQ(text, "unchanged");
  std::vector<char> out;
  EXPECT_FALSE(utils::DecryptString(nullptr, 10, out));
  EXPECT_EQ(log.Text().find("utils::"), std::string::npos);
  EXPECT_FALSE(utils::DecryptString("", 0, out));
  EXPECT_FALSE(utils::DecryptString("abcd", -3, out));
  text = log.Text();
  EXPECT_NE(text.find(kDecodeLength), std::string::npos) << text;
  EXPECT_EQ(text.find("Failed to"), std::string::npos) << text;
}
