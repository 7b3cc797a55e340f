// The signals of the back-end objects. Library threads emit them while the UI thread
// connects rows to them, and libsigc++ itself does not guard its slot list: connecting
// and emitting here are serialised per signal. Slots must only post work elsewhere
// (a window message), never wait for another thread that might emit the same signal.
#pragma once

#include <sigc++/sigc++.h>

#include <mutex>
#include <utility>

class BackendSignal : public sigc::signal<void> {
 public:
  BackendSignal() = default;
  BackendSignal(const BackendSignal&) = delete;
  BackendSignal& operator=(const BackendSignal&) = delete;

  template <class Slot>
  sigc::connection connect(Slot&& slot) {
    std::lock_guard<std::recursive_mutex> hold(mLock);
    return sigc::signal<void>::connect(std::forward<Slot>(slot));
  }

  void emit() const {
    std::lock_guard<std::recursive_mutex> hold(mLock);
    sigc::signal<void>::emit();
  }
  void operator()() const { emit(); }
  // Cuts a connection of this signal under the same lock, so that it never races an
  // emission on another thread; once it returns, the slot is neither running nor called.
  void disconnect(sigc::connection& connection) {
    std::lock_guard<std::recursive_mutex> hold(mLock);
    connection.disconnect();
  }

 private:
  mutable std::recursive_mutex mLock;
};
