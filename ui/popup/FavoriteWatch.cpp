#include "ui/popup/FavoriteWatch.h"

#include <set>

#include "log/Log.h"
#include "services/TextConversion.h"
#include "state/State.h"

namespace ui {
namespace {

bool IsSteady(PowerMark mark) { return mark != PowerMark::kNone && mark != PowerMark::kChanging; }

PowerMark ReadMark(const QorVM& vm) {
  int32_t state = 0;
  if (vm.GetOpenState() != QorVM::STATE_OPEN_SUCCESS || !vm.GetPowerState(state)) return PowerMark::kNone;
  return PowerMarkOf(static_cast<uint32_t>(state));
}

bool IsEnumerated(const QorVM& vm) {
  const std::shared_ptr<QorVMCollection> owner = vm.GetOwner();
  return owner && owner->GetState() == VMCollection::STATE_ENUMERATED;
}

}  // namespace

FavoriteWatch::FavoriteWatch(State& state, NoticeHandler onNotice) : mState(state), mOnNotice(std::move(onNotice)) {}

FavoriteWatch::~FavoriteWatch() {
  // Cut every link before the window goes, so nothing posted for them runs.
  mFavoritesLink.CutAll();
  mWatched.clear();
  mServers.clear();
  DestroyWindow();
}

HWND FavoriteWatch::CreateWatch() {
  HWND hwnd = Create(HWND_MESSAGE, L"", 0, 0, RECT{0, 0, 0, 0});
  if (!hwnd) {
    Log("%s: CreateWindowEx failed with error %lu; favorites are not watched.\n", "FavoriteWatch::CreateWatch",
        GetLastError());
    return nullptr;
  }
  mFavoritesLink.SetWindow(hwnd);
  const std::shared_ptr<Favorites>& favorites = mState.GetFavorites();
  mFavoritesLink.Connect(favorites, favorites->mChanged, [this] { OnFavoritesChanged(); });
  OnFavoritesChanged();
  return hwnd;
}

size_t FavoriteWatch::OpenedCount() const {
  size_t opened = 0;
  for (const auto& [key, watched] : mWatched) {
    const int state = watched->vm->GetOpenState();
    opened += watched->vm->IsOpenInBackground() &&
              (state == QorVM::STATE_OPENING || state == QorVM::STATE_OPEN_SUCCESS);
  }
  return opened;
}

void FavoriteWatch::SetOpening(bool on) {
  if (mOpening == on) return;
  mOpening = on;
  if (on) {
    Pump();
  } else {
    CloseOpened();
  }
}

void FavoriteWatch::SetNotifying(bool on) {
  mNotifying = on;
  if (on) return;
  mGathered.clear();
  if (IsWindow()) KillTimer(Hwnd(), kGatherTimer);
}

void FavoriteWatch::OnFavoritesChanged() {
  if (!IsWindow()) return;
  std::set<const VM*> listed;
  std::map<const QorVMCollection*, OlvarkServerPtr> servers;
  for (const OlvarkServerPtr& server : mState.GetServers()) servers.emplace(server.get(), server);
  for (const VMPtr& vm : mState.GetFavorites()->GetVMs()) {
    std::shared_ptr<QorVM> qorVM = std::dynamic_pointer_cast<QorVM>(vm);
    if (!qorVM) continue;
    std::shared_ptr<QorVMCollection> owner = qorVM->GetOwner();
    if (!owner || !servers.count(owner.get())) continue;
    listed.insert(vm.get());
    if (!mWatched.count(vm.get())) {
      auto watched = std::make_unique<Watched>();
      Watched* raw = watched.get();
      raw->vm = qorVM;
      raw->links.SetWindow(Hwnd());
      raw->links.Connect(qorVM, qorVM->mOpenStateChanged, [this, raw] { OnOpenStateChanged(*raw); });
      raw->links.Connect(qorVM, qorVM->mPowerStateChanged, [this, raw] { OnPowerStateChanged(*raw); });
      raw->steady = ReadMark(*qorVM);
      mWatched.emplace(vm.get(), std::move(watched));
    }
    if (!mServers.count(owner.get())) {
      auto serverWatch = std::make_unique<ServerWatch>();
      ServerWatch* watch = serverWatch.get();
      const OlvarkServerPtr& server = servers[owner.get()];
      watch->server = server;
      watch->listedSearch = server->GetSearchSerial();
      watch->links.SetWindow(Hwnd());
      watch->links.Connect(server, server->mChanged, [this, watch] { OnServerChanged(*watch); });
      mServers.emplace(owner.get(), std::move(serverWatch));
    }
  }
  // Favorites no more (unstarred, or their server removed): what was opened only for the
  // mark is closed, so no VM that is neither a favorite nor expanded costs library calls.
  for (auto it = mWatched.begin(); it != mWatched.end();) {
    if (listed.count(it->first)) {
      ++it;
      continue;
    }
    std::shared_ptr<QorVM> vm = it->second->vm;
    it = mWatched.erase(it);
    if (vm->IsOpenInBackground() && vm->GetOpenState() != QorVM::STATE_CLOSED) vm->Close();
  }
  for (auto it = mServers.begin(); it != mServers.end();) {
    it = servers.count(it->first) ? std::next(it) : mServers.erase(it);
  }
  Pump();
}

void FavoriteWatch::OnServerChanged(ServerWatch& watch) {
  const OlvarkServerPtr server = watch.server.lock();
  if (!server || server->GetState() != VMCollection::STATE_ENUMERATED) return;
  // A search ended since the favorites were last tried: those that failed to open get
  // another chance. Counted, not read from the state, which a quick search passes through
  // before this call runs.
  const uint64_t search = server->GetSearchSerial();
  if (search != watch.listedSearch) {
    watch.listedSearch = search;
    for (auto& [key, watched] : mWatched) {
      if (watched->vm->GetOwner() == server) watched->retry = true;
    }
  }
  Pump();
}

void FavoriteWatch::OnOpenStateChanged(Watched& watched) {
  switch (watched.vm->GetOpenState()) {
    case QorVM::STATE_OPEN_SUCCESS:
      // The state it opened in is where changes count from: opening is not a change.
      watched.steady = ReadMark(*watched.vm);
      break;
    case QorVM::STATE_OPEN_FAILED:
      watched.retry = false;
      watched.steady = PowerMark::kNone;
      break;
    case QorVM::STATE_CLOSED:
      // No room is made here: a log-off closes its VMs before its state says so, and
      // opening them again then would use the session that is going.
      watched.steady = PowerMark::kNone;
      return;
    default:
      return;
  }
  Pump();
}

void FavoriteWatch::OnPowerStateChanged(Watched& watched) {
  const PowerMark now = ReadMark(*watched.vm);
  if (!IsSteady(now)) {
    // On its way: the state it reaches is what counts.
    if (now == PowerMark::kChanging) watched.sawChanging = true;
    return;
  }
  const PowerMark before = watched.steady;
  const bool changed = before != now || watched.sawChanging;
  watched.steady = now;
  watched.sawChanging = false;
  // This program's own operation ends with the first steady state that differs, or that
  // follows a change under way (a reset comes back to the state it left); other events of
  // the VM meanwhile (its tools starting or stopping) leave it pending.
  if (watched.vm->IsOwnPowerOperationPending()) {
    if (changed) watched.vm->EndOwnPowerOperation();
    return;
  }
  if (before == PowerMark::kNone || before == now || !mNotifying) return;
  const std::shared_ptr<QorVMCollection> owner = watched.vm->GetOwner();
  Log("%s: Favorite VM '%s' on server '%s' changed its power state outside this program.\n",
      "FavoriteWatch::OnPowerStateChanged", watched.vm->GetName().c_str(), owner ? owner->GetName().c_str() : "");
  PowerChange change{watched.vm, utils::ToWideString(watched.vm->GetName()),
                     owner ? utils::ToWideString(owner->GetName()) : std::wstring(), now};
  // A VM that changes again within the gathering time is named once, with its latest state.
  for (PowerChange& gathered : mGathered) {
    if (gathered.vm.lock() == watched.vm) {
      gathered.state = now;
      return;
    }
  }
  mGathered.push_back(std::move(change));
  if (mGathered.size() == 1) SetTimer(Hwnd(), kGatherTimer, kGatherMs, nullptr);
}

LRESULT FavoriteWatch::OnTimer(UINT, WPARAM wParam, LPARAM, BOOL&) {
  KillTimer(Hwnd(), wParam);
  if (wParam != kGatherTimer || mGathered.empty()) return 0;
  std::vector<PowerChange> changes;
  changes.swap(mGathered);
  if (mOnNotice) mOnNotice(ComposePowerNotice(changes));
  return 0;
}

void FavoriteWatch::Pump() {
  if (!mOpening) return;
  size_t opened = 0, opening = 0;
  for (const auto& [key, watched] : mWatched) {
    if (!watched->vm->IsOpenInBackground()) continue;
    const int state = watched->vm->GetOpenState();
    opening += state == QorVM::STATE_OPENING;
    opened += state == QorVM::STATE_OPENING || state == QorVM::STATE_OPEN_SUCCESS;
  }
  // In the Favorites' own order (by name): the first ones are the ones seen first.
  for (const VMPtr& vm : mState.GetFavorites()->GetVMs()) {
    if (opening >= kOpensAtOnce || opened >= kMostOpened) return;
    auto found = mWatched.find(vm.get());
    if (found == mWatched.end()) continue;
    Watched& watched = *found->second;
    const int state = watched.vm->GetOpenState();
    const bool wanted = state == QorVM::STATE_CLOSED || (state == QorVM::STATE_OPEN_FAILED && watched.retry);
    if (!wanted || !IsEnumerated(*watched.vm)) continue;
    watched.retry = false;
    watched.vm->Open(true);
    // The library may have answered already: an open that succeeded meanwhile counts too.
    const int now = watched.vm->GetOpenState();
    opening += now == QorVM::STATE_OPENING;
    opened += now == QorVM::STATE_OPENING || now == QorVM::STATE_OPEN_SUCCESS;
  }
}

void FavoriteWatch::CloseOpened() {
  for (auto& [key, watched] : mWatched) {
    if (watched->vm->IsOpenInBackground() && watched->vm->GetOpenState() != QorVM::STATE_CLOSED) {
      watched->vm->Close();
    }
  }
}

}  // namespace ui
