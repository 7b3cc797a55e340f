#include <gtest/gtest.h>

#include "backend/LoginErrorText.h"

using utils::LoginErrorContext;

TEST(LoginErrorText, EachPlaceWordsTheErrorItsOwnWay) {
  struct Case {
    uint64_t error;
    int row;
    int dialog;
  };
  const Case cases[] = {
      {30001, 147, 148}, {30003, 147, 148}, {30005, 147, 148}, {30006, 147, 148}, {30007, 147, 148},
      {30022, 147, 148}, {30028, 147, 148}, {30035, 147, 148}, {30047, 147, 148}, {30200, 147, 148},
      {30201, 147, 148}, {30202, 147, 148}, {3014, 217, 235},   {32, 148, 234},    {36, 148, 148},
      {30002, 148, 148}, {(1ULL << 32) | 3014, 148, 148},  // high bits set
  };
  for (const Case& c : cases) {
    EXPECT_EQ(utils::LoginErrorTextId(c.error, LoginErrorContext::kRow), c.row) << c.error;
    EXPECT_EQ(utils::LoginErrorTextId(c.error, LoginErrorContext::kAddServerDialog), c.dialog) << c.error;
  }
  EXPECT_EQ(utils::LoginErrorText(3014, LoginErrorContext::kRow), L"Bad username or password.");
  EXPECT_EQ(utils::LoginErrorText(30001, LoginErrorContext::kRow), L"Failed to connect to server.");
  EXPECT_EQ(utils::LoginErrorText(1, LoginErrorContext::kRow), L"Login failed.");
  EXPECT_EQ(utils::LoginErrorText(3014, LoginErrorContext::kAddServerDialog),
            L"Login failed. Invalid username or password.");
  EXPECT_EQ(utils::LoginErrorText(32, LoginErrorContext::kAddServerDialog),
            L"Login failed. Wickerlyn does not support unlicensed Pellor servers.");
}
