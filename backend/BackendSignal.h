// The signals of the back-end objects. Library threads emit them while the UI thread
// connects rows to them, and libsigc++ itself does not guard its slot list: connecting
// and emitting here are serialised per signal. Slots must only post work elsewhere
// (a window message), never wait for another thread that might emit the same signal.
//
// A server lists tens of thousands of VMs, each with several signals that are mostly never
// connected: the slot list and its lock are made on the first connect.
#pragma once

#include <sigc++/sigc++.h>

#include <atomic>
#include <cstddef>
#include <memory>
#include <mutex>
#include <utility>

class BackendSignal {
 public:
  BackendSignal() = default;
  ~BackendSignal() { delete mImpl.load(std::memory_order_acquire); }
  BackendSignal(const BackendSignal&) = delete;
  BackendSignal& operator=(const BackendSignal&) = delete;

  template <class Slot>
  sigc::connection connect(Slot&& slot) {
    Impl& impl = Made();
    std::lock_guard<std::recursive_mutex> hold(impl.lock);
    return impl.signal.connect(std::forward<Slot>(slot));
  }

  void emit() const {
    Impl* impl = mImpl.load(std::memory_order_acquire);
    if (!impl) return;  // never connected
    std::lock_guard<std::recursive_mutex> hold(impl->lock);
    impl->signal.emit();
  }
  void operator()() const { emit(); }
  // Cuts a connection of this signal under the same lock, so that it never races an
  // emission on another thread; once it returns, the slot is neither running nor called.
  void disconnect(sigc::connection& connection) {
    Impl* impl = mImpl.load(std::memory_order_acquire);
    if (!impl) {
      connection.disconnect();
      return;
    }
    std::lock_guard<std::recursive_mutex> hold(impl->lock);
    connection.disconnect();
  }
  // Slots connected now.
  size_t size() const {
    Impl* impl = mImpl.load(std::memory_order_acquire);
    if (!impl) return 0;
    std::lock_guard<std::recursive_mutex> hold(impl->lock);
    return impl->signal.size();
  }

 private:
  struct Impl {
    std::recursive_mutex lock;
    sigc::signal<void> signal;
  };

  Impl& Made() {
    Impl* impl = mImpl.load(std::memory_order_acquire);
    if (impl) return *impl;
    auto made = std::make_unique<Impl>();
    // Two threads may connect first at once: one list wins, the other is let go.
    if (mImpl.compare_exchange_strong(impl, made.get(), std::memory_order_acq_rel)) return *made.release();
    return *impl;
  }

  std::atomic<Impl*> mImpl{nullptr};
};
