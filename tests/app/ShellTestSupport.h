// Shared by the process tests and shell_test_host.
#pragma once

namespace shelltest {

// Registered message that makes shell_test_host destroy the window it is posted to.
constexpr wchar_t kDestroyWindowMessage[] = L"ZandorWickerlyn.Test.DestroyWindow";

}  // namespace shelltest
