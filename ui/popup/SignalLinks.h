// A window's connections to back-end signals, which fire on library threads.
//
// A slot tied to the window through sigc::trackable would race the window's death: the
// trackable cuts it on the UI thread, unguarded, while a library thread may be walking
// the same slot list inside emit, and building a bound slot on the library thread touches
// the trackable's list too. So nothing here is tied to the window object. Each slot holds
// a shared guard; the window revokes the guard and cuts every connection under its
// signal's own lock (BackendSignal::disconnect) before it dies or is rebound. The
// handlers posted with WM_RUN_ON_UI_THREAD check the guard again on the UI thread, so a
// call posted for an earlier binding or a dead window does nothing.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "backend/BackendSignal.h"

namespace ui {

class SignalLinks {
 public:
  SignalLinks();
  ~SignalLinks();  // cuts everything
  SignalLinks(const SignalLinks&) = delete;
  SignalLinks& operator=(const SignalLinks&) = delete;

  // The window that handlers are posted to (set once it exists).
  void SetWindow(HWND hwnd);
  // UI thread. Connects signal so that each emission posts handler to the window, where it
  // runs unless the links were cut since. owner keeps the signal's object alive while
  // connected, so the connection can always be cut under its lock.
  void Connect(std::shared_ptr<const void> owner, BackendSignal& signal, std::function<void()> handler);
  // UI thread. Cuts every connection and drops the calls still queued for them.
  void CutAll();
  // UI thread. Posts handler to the window, to run unless the links are cut before then.
  bool Post(std::function<void()> handler) const;
  size_t Count() const { return mLinks.size(); }

 private:
  struct Guard {
    std::atomic<HWND> window{nullptr};
    std::atomic<uint64_t> generation{0};
  };
  struct Link {
    std::shared_ptr<const void> owner;
    BackendSignal* signal;
    sigc::connection connection;
  };
  static bool PostFor(const std::shared_ptr<Guard>& guard, uint64_t generation, const std::function<void()>& handler);

  std::shared_ptr<Guard> mGuard;
  std::vector<Link> mLinks;
};

}  // namespace ui
