#include "services/ConsoleCredentialPipe.h"

#include "log/Log.h"
#include "services/Protection.h"

namespace utils {

bool ConsoleCredentialPipe::Create(const char* logName) {
  Close();
  SECURITY_ATTRIBUTES inheritable = {};
  inheritable.nLength = sizeof inheritable;
  inheritable.bInheritHandle = TRUE;
  if (!CreatePipe(&mRead, &mWrite, &inheritable, 0)) {
    Log("%s: Failed to create the credential pipe. Error code is 0x%08lx.\n", logName, GetLastError());
    mRead = mWrite = nullptr;
    return false;
  }
  // Only the read end may reach the child; an inherited write end would keep the pipe
  // open, and the child would never see the end of the password.
  if (!SetHandleInformation(mWrite, HANDLE_FLAG_INHERIT, 0)) {
    Log("%s: Failed to keep the pipe's write end private. Error code is 0x%08lx.\n", logName, GetLastError());
    Close();
    return false;
  }
  return true;
}

bool ConsoleCredentialPipe::Deliver(std::vector<char>& secret, const char* logName) {
  bool delivered = false;
  if (!mWrite) {
    Log("%s: The credential pipe is not open.\n", logName);
  } else if (secret.size() > kMaxSecretBytes) {
    Log("%s: The password is too long for the credential pipe (%u bytes); it is not sent.\n", logName,
        static_cast<unsigned>(secret.size()));
  } else {
    DWORD written = 0;
    if (!WriteFile(mWrite, secret.data(), static_cast<DWORD>(secret.size()), &written, nullptr)) {
      Log("%s: Writing to the credential pipe failed. Error code is 0x%08lx.\n", logName, GetLastError());
    } else {
      delivered = true;
      WaitForReader(written);
    }
  }
  WipeBuffer(secret);
  return delivered;
}

// The child has started reading once fewer bytes than were written wait in the pipe.
void ConsoleCredentialPipe::WaitForReader(DWORD written) {
  for (int step = 0; step < kWaitSteps; ++step) {
    DWORD available = 0;
    if (PeekNamedPipe(mRead, nullptr, 0, nullptr, &available, nullptr) && available != written) return;
    Sleep(kWaitStepMs);
  }
}

void ConsoleCredentialPipe::Close() {
  if (mRead) CloseHandle(mRead);
  if (mWrite) CloseHandle(mWrite);
  mRead = mWrite = nullptr;
}

}  // namespace utils
