#include "ui/popup/SignalLinks.h"

#include "ui/window/UiThread.h"

namespace ui {

SignalLinks::SignalLinks() : mGuard(std::make_shared<Guard>()) {}

SignalLinks::~SignalLinks() {
  CutAll();
  mGuard->window = nullptr;
}

void SignalLinks::SetWindow(HWND hwnd) { mGuard->window = hwnd; }

bool SignalLinks::PostFor(const std::shared_ptr<Guard>& guard, uint64_t generation,
                          const std::function<void()>& handler) {
  HWND window = guard->window.load();
  if (!window || !IsWindow(window) || guard->generation.load() != generation) return false;
  // A plain functor: copying it on this thread touches nothing the UI thread changes.
  return PostToWindow(window, sigc::slot<void>([guard, generation, handler] {
                        if (guard->generation.load() == generation) handler();
                      }));
}

void SignalLinks::Connect(std::shared_ptr<const void> owner, BackendSignal& signal, std::function<void()> handler) {
  std::shared_ptr<Guard> guard = mGuard;
  const uint64_t generation = guard->generation.load();
  sigc::connection connection =
      signal.connect(sigc::slot<void>([guard, generation, handler] { PostFor(guard, generation, handler); }));
  mLinks.push_back(Link{std::move(owner), &signal, connection});
}

void SignalLinks::CutAll() {
  ++mGuard->generation;
  for (Link& link : mLinks) link.signal->disconnect(link.connection);
  mLinks.clear();  // and with them the owners they kept alive
}

bool SignalLinks::Post(std::function<void()> handler) const {
  return PostFor(mGuard, mGuard->generation.load(), handler);
}

}  // namespace ui
