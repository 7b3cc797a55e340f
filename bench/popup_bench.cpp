// The popup list under load, against simulated servers: the tray click, rebuilding a large
// paged server section and a large Favorites section, one search keystroke over 10,000 VMs
// in five sections, the windows the list owns, one wheel notch, the memory with 10,000 VMs,
// and the same at 40,000 VMs in one server with the login to listed. Each figure beside its
// goal.
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "backend/ServerAddress.h"
#include "bench/BenchSupport.h"
#include "services/Protection.h"
#include "state/Prefs.h"
#include "state/State.h"
#include "ui/popup/ContentViewer.h"
#include "ui/popup/PopupWindow.h"

namespace {

class Host : public ui::WindowImpl {
 protected:
  const wchar_t* ClassName() const override { return L"ZwBench Popup Host"; }
  ZW_BEGIN_MSG_MAP()
  ZW_END_MSG_MAP()
};

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

// Waiting is done as a program's loop does it, in a wait for messages: Wine tells a program
// that never waits for input apart, and then copies its windows to the screen at each paint.
void WaitForMessages(DWORD ms) { MsgWaitForMultipleObjects(0, nullptr, FALSE, ms, QS_ALLINPUT); }

bool PumpUntil(const std::function<bool()>& done, DWORD ms) {
  const ULONGLONG end = GetTickCount64() + ms;
  while (GetTickCount64() < end) {
    Pump();
    if (done()) return true;
    WaitForMessages(5);
  }
  return done();
}

// What the UI thread does between two steps of a person (keystrokes, wheel notches, clicks):
// it handles what comes and waits for input.
void IdleFor(DWORD ms) {
  PumpUntil([] { return false; }, ms);
  Pump();
}
constexpr DWORD kStepGapMs = 30;  // a fast typist's or a spun wheel's gap is longer

std::string Protected(const char* password) {
  std::string out;
  utils::EncryptString(password, strlen(password), out);
  return out;
}

int CountWindows(HWND root) {
  int count = 0;
  EnumChildWindows(root, [](HWND, LPARAM p) -> BOOL { ++*reinterpret_cast<int*>(p); return TRUE; },
                   reinterpret_cast<LPARAM>(&count));
  return count;
}

struct Listing {
  std::unique_ptr<State> state = std::make_unique<State>(nullptr);
  Host host;
  std::unique_ptr<ui::ContentViewer> viewer;
  std::vector<OlvarkServerPtr> servers;

  bool Open() {
    RECT rect = {0, 0, 320, 375};
    if (!host.Create(nullptr, L"bench", WS_POPUP | WS_VISIBLE, 0, rect)) return false;
    viewer = std::make_unique<ui::ContentViewer>(*state);
    return viewer->CreateViewer(host.Hwnd(), rect) != nullptr;
  }
  bool Add(const SimulatorProcess& sim) {
    OlvarkServerPtr server = state->AddSavedServer(1, sim.Address(), static_cast<unsigned>(sim.Port()), sim.Secure(),
                                                   "root", Protected("wickerlyn"));
    if (!server) return false;
    viewer->AddServerSection(server, true);
    server->Login(nullptr, nullptr, false);
    servers.push_back(server);
    // Listed: enumerated, and the section rebuilt with every VM (its rebuild may wait for
    // timer ticks after the enumeration ends).
    const ui::Header* header = viewer->Sections().back()->header.get();
    return PumpUntil([&] {
      return server->GetState() == VMCollection::STATE_ENUMERATED && !viewer->RebuildPending(header) &&
             viewer->Sections().back()->entries.size() >= server->GetVMs().size();
    }, 120000);
  }
  ~Listing() {
    viewer.reset();
    host.DestroyWindow();
    servers.clear();
    state.reset();
  }
};

double TimeRebuild(ui::ContentViewer& viewer, ui::Header* header, int rounds) {
  std::vector<double> times;
  for (int i = 0; i < rounds; ++i) {
    IdleFor(kStepGapMs);
    const double start = NowMs();
    viewer.RebuildSection(header);
    times.push_back(NowMs() - start);
  }
  return Percentile(times, 0.5);
}

// The popup as the program makes it, with two saved servers (40 and 1200 VMs): from its
// creation to both sections listed, then a tray click to the popup shown and painted.
int PopupFigures() {
  SimulatorProcess small, large;
  if (!small.Start({"--vms", "40"}) || !large.Start({"--vms", "1200", "--bind", "127.0.0.2"})) {
    return std::fprintf(stderr, "%s%s\n", small.LastError().c_str(), large.LastError().c_str()), 1;
  }
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::wstring folder = std::wstring(temp) + L"zw-popup-bench-" + std::to_wstring(GetCurrentProcessId());
  Prefs prefs(folder);
  for (const SimulatorProcess* sim : {&small, &large}) {
    ServerRecord record;
    record.url = utils::MakeServerUrl(sim->Address(), static_cast<unsigned>(sim->Port()), sim->Secure(), true);
    record.type = ServerRecord::TYPE_SERVER;
    record.username = "root";
    record.password = Protected("wickerlyn");
    prefs.mServers.push_back(record);
  }
  prefs.mCheckForUpdates = false;
  State state(nullptr);
  prefs.SetServerSource(&state);
  double start = NowMs();
  {
    ui::PopupWindow popup(true, state, prefs, ui::PopupActions());
    if (!popup.CreatePopup()) return std::fprintf(stderr, "the popup was not created\n"), 1;
    // A click on the icon as the shell reports it to a version-4 icon: the point in wParam.
    APPBARDATA taskbar = {};
    taskbar.cbSize = sizeof taskbar;
    SHAppBarMessage(ABM_GETTASKBARPOS, &taskbar);
    const WPARAM onTaskbar = MAKEWPARAM(taskbar.rc.right - 20, taskbar.rc.top);
    // Started hidden, so the tray click is what runs the logins and shows it.
    IdleFor(kStepGapMs);
    SendMessageW(popup.Hwnd(), WM_TRAYICON, onTaskbar, MAKELPARAM(WM_LBUTTONDOWN, 0));
    const double click = NowMs();
    SendMessageW(popup.Hwnd(), WM_TRAYICON, onTaskbar, MAKELPARAM(WM_LBUTTONUP, 0));
    const double shown = NowMs() - click;
    const bool listed = PumpUntil([&] {
      std::vector<OlvarkServerPtr> servers = state.GetServers();
      return servers.size() == 2 && servers[0]->GetState() == VMCollection::STATE_ENUMERATED &&
             servers[1]->GetState() == VMCollection::STATE_ENUMERATED;
    }, 60000);
    Pump();
    std::printf("popup created to both saved servers listed (40 and 1200 VMs): %.0f ms%s\n", NowMs() - start,
                listed ? "" : " (not listed within 60 s)");
    std::printf("tray click (button up) to popup shown and painted, started hidden: %.2f ms  (goal <= 30 ms)\n", shown);
    // Shown again, the usual case: hidden by losing the activation, then clicked.
    std::vector<double> clicks;
    for (int i = 0; i < 10; ++i) {
      ShowWindow(popup.Hwnd(), SW_HIDE);
      IdleFor(GetDoubleClickTime() + 20);
      SendMessageW(popup.Hwnd(), WM_TRAYICON, onTaskbar, MAKELPARAM(WM_LBUTTONDOWN, 0));
      const double again = NowMs();
      SendMessageW(popup.Hwnd(), WM_TRAYICON, onTaskbar, MAKELPARAM(WM_LBUTTONUP, 0));
      clicks.push_back(NowMs() - again);
    }
    std::printf("tray click (button up) to popup shown and painted, listed: %.2f ms\n", Percentile(clicks, 0.5));
    prefs.ForgetServerSource(&state);
  }
  DeleteFileW((folder + L"\\prefs.txt").c_str());
  RemoveDirectoryW(folder.c_str());
  return 0;
}

// The keystrokes of a user looking for a VM, each timed from the text to the list placed.
std::vector<double> TimeKeystrokes(ui::ContentViewer& viewer, int rounds) {
  std::vector<double> times;
  const wchar_t* typed[] = {L"w", L"we", L"web", L"web-", L"web-f", L"web", L"we", L"w", L""};
  for (int round = 0; round < rounds; ++round) {
    for (const wchar_t* text : typed) {
      IdleFor(kStepGapMs);
      const double start = NowMs();
      viewer.SetFilter(text);
      times.push_back(NowMs() - start);
    }
  }
  return times;
}

// Wheel notches down and back up, each timed from the wheel to the list placed; only those
// that moved the list count (one at an end of the list moves nothing).
std::vector<double> TimeWheelNotches(ui::ContentViewer& viewer, int notches) {
  std::vector<double> times;
  for (int i = 0; i < notches; ++i) {
    const int before = viewer.ScrollPosition();
    IdleFor(kStepGapMs);
    const double start = NowMs();
    const WORD delta = static_cast<WORD>(i < notches / 2 ? -WHEEL_DELTA : WHEEL_DELTA);
    SendMessageW(viewer.Hwnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, delta), 0);
    const double took = NowMs() - start;
    if (viewer.ScrollPosition() != before) times.push_back(took);
  }
  return times;
}

void PrintWheelNotch(ui::ContentViewer& viewer, const char* what, int notches) {
  const std::vector<double> times = TimeWheelNotches(viewer, notches);
  std::printf("one wheel notch %s: %.2f ms (%zu of %d notches moved the list)  (goal <= 5 ms)\n", what,
              Percentile(times, 0.5), times.size(), notches);
}

// One server of 40,000 VMs: the login to the list shown with the longest the UI thread was
// busy meanwhile, then the list's figures and the memory per VM.
int FortyThousand() {
  constexpr int kVMs = 40000;
  SimulatorProcess sim;
  if (!sim.Start({"--vms", std::to_string(kVMs)})) return std::fprintf(stderr, "%s\n", sim.LastError().c_str()), 1;
  Listing listing;
  if (!listing.Open()) return 1;
  const size_t before = PrivateBytes(), heapBefore = HeapBytesInUse();
  OlvarkServerPtr server = listing.state->AddSavedServer(1, sim.Address(), static_cast<unsigned>(sim.Port()),
                                                         sim.Secure(), "root", Protected("wickerlyn"));
  if (!server) return 1;
  listing.viewer->AddServerSection(server, true);
  const double start = NowMs();
  server->Login(nullptr, nullptr, false);
  // The UI thread's loop as a program runs it, one message at a time: input waits at most
  // for the message being handled, so the longest handling is how long it was busy. The
  // look for a message counts too (messages sent from other threads are handled in it).
  double longest = 0;
  // Listed: the section holds every VM (its rebuild on the UI thread included).
  const auto listed = [&] {
    return server->GetState() == VMCollection::STATE_ENUMERATED &&
           listing.viewer->Sections()[2]->entries.size() >= static_cast<size_t>(kVMs);
  };
  // One turn; false when no message was waiting.
  const auto turn = [&longest] {
    const double begin = NowMs();
    MSG msg;
    const bool got = PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);
    if (got) DispatchMessageW(&msg);
    longest = std::max(longest, NowMs() - begin);
    return got;
  };
  while (!listed() && NowMs() - start < 120000) {
    if (!turn()) MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
  while (turn()) {
  }  // and shown: what the listing left to paint
  const double listedMs = NowMs() - start;
  if (!listed()) return std::fprintf(stderr, "40000 VMs not listed\n"), 1;
  listing.servers.push_back(server);
  std::printf("login to listed, %d VMs in one server: %.0f ms  (goal <= 1000 ms); longest the UI thread was busy "
              "meanwhile: %.1f ms  (goal <= 16 ms)\n", kVMs, listedMs, longest);
  const size_t after = PrivateBytes(), heapAfter = HeapBytesInUse();
  // Wine commits the whole stack of each thread the login starts, where Windows commits
  // what is touched: the heaps' figure is the one the lists themselves make.
  std::printf("memory with %d VMs listed, above the same list with none: %.0f bytes per VM in private bytes, "
              "%.0f in use in the heaps  (goal <= 1024)\n", kVMs,
              (static_cast<double>(after) - static_cast<double>(before)) / kVMs,
              (static_cast<double>(heapAfter) - static_cast<double>(heapBefore)) / kVMs);
  ui::Header* header = listing.viewer->Sections()[2]->header.get();
  std::printf("rebuild of the %d-VM server section (paged, %zu ranges): %.2f ms  (goal <= 20 ms)\n", kVMs,
              listing.viewer->Sections()[2]->pages.size(), TimeRebuild(*listing.viewer, header, 11));
  const std::vector<double> keystrokes = TimeKeystrokes(*listing.viewer, 3);
  std::printf("one search keystroke over %d VMs in one server: %.2f ms (90th percentile %.2f ms)  (goal <= 10 ms)\n",
              kVMs, Percentile(keystrokes, 0.5), Percentile(keystrokes, 0.9));
  // Every VM listed: a search that all names match.
  listing.viewer->SetFilter(L"-");
  PrintWheelNotch(*listing.viewer, "through 40000 matching VMs", 40);
  listing.viewer->SetFilter(L"");
  return 0;
}

}  // namespace

// popup_bench [tray|rebuild|list|40000]: every part, or the one named.
int main(int argc, char** argv) {
  if (!LoadQorLibrary()) return 1;
  const std::string only = argc > 1 ? argv[1] : "";
  const auto runs = [&only](const char* part) { return only.empty() || only == part; };
  std::printf("popup list benchmark (times are medians)\n");
  if (runs("tray") && PopupFigures() != 0) return 1;
  if (only == "40000") return FortyThousand();
  if (!runs("rebuild") && !runs("list")) return 0;

  if (runs("rebuild")) {
    SimulatorProcess sim;
    if (!sim.Start({"--vms", "5000"})) return std::fprintf(stderr, "%s\n", sim.LastError().c_str()), 1;
    Listing listing;
    if (!listing.Open() || !listing.Add(sim)) return std::fprintf(stderr, "the 5000-VM server did not list\n"), 1;
    ui::Header* serverHeader = listing.viewer->Sections()[2]->header.get();
    std::printf("rebuild of a 5000-VM server section (paged, %zu ranges): %.2f ms  (goal <= 10 ms)\n",
                listing.viewer->Sections()[2]->pages.size(), TimeRebuild(*listing.viewer, serverHeader, 21));
    VMList vms = listing.servers[0]->GetVMs();
    for (size_t i = 0; i < 1000 && i < vms.size(); ++i) vms[i]->SetFavorite(true);
    listing.state->GetFavorites()->Refresh();
    ui::Header* favorites = listing.viewer->Sections()[0]->header.get();
    listing.viewer->RebuildSection(favorites);
    std::printf("rebuild of a 1000-VM Favorites section (unpaged, %zu rows): %.2f ms\n",
                listing.viewer->Sections()[0]->entries.size(), TimeRebuild(*listing.viewer, favorites, 21));
  }

  if (!runs("list")) return 0;
  int windowsWith10 = 0;
  {
    SimulatorProcess sim;
    if (!sim.Start({"--vms", "10"})) return std::fprintf(stderr, "%s\n", sim.LastError().c_str()), 1;
    Listing listing;
    if (!listing.Open() || !listing.Add(sim)) return 1;
    windowsWith10 = CountWindows(listing.host.Hwnd());
  }

  std::vector<std::unique_ptr<SimulatorProcess>> sims;
  Listing listing;
  if (!listing.Open()) return 1;
  for (int i = 0; i < 5; ++i) {
    sims.push_back(std::make_unique<SimulatorProcess>());
    const std::string address = "127.0.0." + std::to_string(i + 2);
    if (!sims.back()->Start({"--vms", "2000", "--bind", address})) {
      return std::fprintf(stderr, "%s\n", sims.back()->LastError().c_str()), 1;
    }
    if (!listing.Add(*sims.back())) return std::fprintf(stderr, "server %s did not list\n", address.c_str()), 1;
  }
  Pump();
  const std::vector<double> keystrokes = TimeKeystrokes(*listing.viewer, 5);
  std::printf("one search keystroke over 10000 VMs in 5 sections (filter and layout): %.2f ms (90th percentile %.2f ms)"
              "  (goal <= 5 ms, 90th percentile <= 8 ms)\n",
              Percentile(keystrokes, 0.5), Percentile(keystrokes, 0.9));
  std::printf("windows the list owns: %d with 10 VMs, %d with 10000 VMs\n", windowsWith10,
              CountWindows(listing.host.Hwnd()));
  // Through a search that lists thousands of VMs: unsearched, the paged sections end
  // within a few notches.
  listing.viewer->SetFilter(L"-");
  PrintWheelNotch(*listing.viewer, "through the VMs of 10000 in 5 sections that \"-\" finds (scroll and place)", 40);
  listing.viewer->SetFilter(L"");
  std::printf("private bytes with 10000 VMs listed: %.1f MB\n", PrivateBytes() / 1048576.0);
  return only.empty() ? FortyThousand() : 0;
}
