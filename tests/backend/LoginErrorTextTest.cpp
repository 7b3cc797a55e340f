#include <gtest/gtest.h>

#include "backend/LoginErrorText.h"

using utils::LoginErrorContext;

// Each place words a refusal, a connect failure and an unlicensed server its own way; any
// other code, also a known one with high bits set, is a plain "Login failed.".
TEST(LoginErrorText, EachPlaceWordsTheErrorItsOwnWay) {
  const struct {
    uint64_t error;
    const wchar_t* row;
    const wchar_t* dialog;
  } cases[] = {
      {3014, L"Bad username or password.", L"Login failed. Invalid username or password."},
      {30001, L"Failed to connect to server.", L"Login failed."},
      {30202, L"Failed to connect to server.", L"Login failed."},
      {32, L"Login failed.", L"Login failed. Wickerlyn does not support unlicensed Pellor servers."},
      {36, L"Login failed.", L"Login failed."},
      {(1ULL << 32) | 3014, L"Login failed.", L"Login failed."},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(utils::LoginErrorText(c.error, LoginErrorContext::kRow), c.row) << c.error;
    EXPECT_EQ(utils::LoginErrorText(c.error, LoginErrorContext::kAddServerDialog), c.dialog) << c.error;
  }
}
