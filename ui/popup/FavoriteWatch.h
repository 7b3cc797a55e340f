// Keeps the favorites' power state known without the user unfolding them: once a
// favorite's server is enumerated, the favorite is opened in the background (a few at a
// time, at most kMostOpened in all), which subscribes it to the server's state events as
// any open VM is. A favorite that fails to open is tried again only after its server is
// refreshed (or when the user expands it). Changes of a favorite's steady power state that
// this program did not make are gathered for kGatherMs and handed on as one notice.
//
// UI thread. The back-end signals reach it as posted calls on its message-only window.
#pragma once
#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "backend/OlvarkServer.h"
#include "backend/QorVM.h"
#include "ui/popup/PowerNotice.h"
#include "ui/popup/SignalLinks.h"
#include "ui/window/Window.h"

class State;

namespace ui {

class FavoriteWatch : public WindowImpl {
 public:
  static constexpr size_t kMostOpened = 100;
  static constexpr size_t kOpensAtOnce = 3;
  static constexpr UINT_PTR kGatherTimer = 1;
  static constexpr UINT kGatherMs = 3000;
  using NoticeHandler = std::function<void(const PowerNotice&)>;

  FavoriteWatch(State& state, NoticeHandler onNotice);
  ~FavoriteWatch() override;

  // The message-only window; the watch follows the Favorites view from now on.
  HWND CreateWatch();
  // Favorites opened in the background (the state marks); off closes the ones it opened
  // that the user has not claimed by expanding them.
  void SetOpening(bool on);
  // Notices of changes; off drops the ones gathered.
  void SetNotifying(bool on);

  bool IsOpening() const { return mOpening; }
  bool IsNotifying() const { return mNotifying; }
  // For tests.
  size_t WatchedCount() const { return mWatched.size(); }
  size_t OpenedCount() const;

 protected:
  const wchar_t* ClassName() const override { return L"Zandor Wickerlyn Favorite Watch"; }
  ZW_BEGIN_MSG_MAP()
    ZW_MESSAGE_HANDLER(WM_TIMER, OnTimer)
  ZW_END_MSG_MAP()

 private:
  struct Watched {
    std::shared_ptr<QorVM> vm;
    SignalLinks links;
    PowerMark steady = PowerMark::kNone;  // the last steady state seen; kNone: not known
    bool retry = true;                    // may be opened even though an open failed
    bool sawChanging = false;             // a change under way was seen since the last steady state
  };
  struct ServerWatch {
    SignalLinks links;
    std::weak_ptr<OlvarkServer> server;
    uint64_t listedSearch = 0;  // the search whose list the favorites were last tried against
  };
  LRESULT OnTimer(UINT, WPARAM, LPARAM, BOOL&);
  // Follows the favorites as the view lists them now.
  void OnFavoritesChanged();
  void OnServerChanged(ServerWatch& watch);
  void OnOpenStateChanged(Watched& watched);
  void OnPowerStateChanged(Watched& watched);
  // Starts background opens while there is room.
  void Pump();
  void CloseOpened();

  State& mState;
  const NoticeHandler mOnNotice;
  SignalLinks mFavoritesLink;
  std::map<const VM*, std::unique_ptr<Watched>> mWatched;
  std::map<const QorVMCollection*, std::unique_ptr<ServerWatch>> mServers;
  std::vector<PowerChange> mGathered;
  bool mOpening = false;
  bool mNotifying = false;
};

}  // namespace ui
