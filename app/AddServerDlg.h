// "Add a Server" (dialog 131): the user names a server, Connect probes it on a worker
// thread (retrying a bare name with the DNS suffixes), and when it answers the dialog
// grows a login part whose Login adds the server to State. After OK the new server is
// NewServer().
#pragma once
#include <windows.h>

#include <memory>
#include <string>

#include "backend/OlvarkServer.h"
#include "ui/controls/HyperLink.h"
#include "ui/window/Messages.h"
#include "ui/window/ModalDialog.h"

class ServerProbeJob;
class State;

class AddServerDlg : public ui::ModalDialog {
 public:
  explicit AddServerDlg(State& state);
  ~AddServerDlg() override;

  const OlvarkServerPtr& NewServer() const { return mNewServer; }
  // The answer of the last Connect: 1 a server of ours was found, 0 none.
  int ServerType() const { return mServerType; }
  // The host the login goes to (the suffixed name when a DNS suffix made the probe work).
  const std::wstring& Host() const { return mHost; }

  // Tests: how long a closing dialog waits for its worker (0: the normal 15 s).
  static void SetCloseWaitForTesting(DWORD ms);

 protected:
  ZW_BEGIN_MSG_MAP()
    ZW_MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
    ZW_MESSAGE_HANDLER(WM_COMMAND, OnCommand)
    ZW_MESSAGE_HANDLER(WM_CONNECT_DONE, OnConnectDone)
    ZW_MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
  ZW_END_MSG_MAP()

 private:
  LRESULT OnInitDialog(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
  LRESULT OnCommand(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
  LRESULT OnConnectDone(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
  LRESULT OnDestroy(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);

  void OnServerChanged();
  void OnPortChanged();
  void OnSslClicked();
  void OnUserNameChanged();
  // Enter: Connect or Login, by where the focus is.
  void OnEnter();
  void MakeDefault(int id);
  void ShowLoginPart(bool show);
  void Connect();
  void Login();
  void Centre();

  void SetServerText(const std::wstring& text, DWORD selStart, DWORD selEnd);
  std::wstring ServerText() const;
  unsigned int PortBoxValue() const;
  void ShowStatus(int id, const std::wstring& text);

  State& mState;

  std::wstring mHost;
  unsigned int mPort = 0;
  bool mUseSsl = true;
  int mServerType = 0;
  bool mLoginPartShown = false;
  int mGrowDistance = 0;
  OlvarkServerPtr mNewServer;
  bool mServerTextHasPort = false;  // the server box's text held port digits
  bool mSettingPortFromServer = false;
  bool mBusy = false;
  bool mLoggingIn = false;
  HANDLE mWorker = nullptr;
  std::shared_ptr<ServerProbeJob> mJob;

  HWND mServerBox = nullptr;
  HWND mPortBox = nullptr;
  HWND mSslBox = nullptr;
  HWND mUserNameBox = nullptr;
  HWND mPasswordBox = nullptr;
  HWND mRememberBox = nullptr;
  HWND mConnectButton = nullptr;
  HWND mLoginButton = nullptr;
  HWND mCancelButton = nullptr;
  ui::CHyperLink mWhatsThis;
};
