#include <gtest/gtest.h>

#include "backend/LoginErrorText.h"

TEST(LoginErrorText, MapsErrorsToTheirMessages) {
  for (uint64_t error : {30001, 30003, 30005, 30006, 30007, 30022, 30028, 30035, 30047, 30200, 30201, 30202}) {
    EXPECT_EQ(utils::LoginErrorTextId(error), 147) << error;
  }
  EXPECT_EQ(utils::LoginErrorTextId(3014), 217);
  EXPECT_EQ(utils::LoginErrorTextId(36), 148);
  EXPECT_EQ(utils::LoginErrorTextId(30002), 148);
  EXPECT_EQ(utils::LoginErrorTextId((1ULL << 32) | 3014), 148);  // high bits set
  EXPECT_EQ(utils::LoginErrorText(3014), L"Bad username or password.");
  EXPECT_EQ(utils::LoginErrorText(30001), L"Failed to connect to server.");
  EXPECT_EQ(utils::LoginErrorText(1), L"Login failed.");
}
