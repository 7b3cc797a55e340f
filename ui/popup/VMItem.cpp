#include "ui/popup/VMItem.h"

#include <windowsx.h>

#include <vector>

#include "backend/LoginErrorText.h"
#include "log/Log.h"
#include "res/resource.h"
#include "services/ConsoleLauncher.h"
#include "services/Protection.h"
#include "services/StringResource.h"
#include "services/TextConversion.h"
#include "ui/popup/DescribedAccessible.h"
#include "ui/popup/PopupParts.h"
#include "ui/window/LayoutMetrics.h"
#include "ui/window/Messages.h"
#include "ui/window/Module.h"

namespace ui {
namespace {

const char* YesNo(bool flag) { return flag ? "TRUE" : "FALSE"; }

struct PowerControl {
  UINT id;
  int icon;
  UINT tool;
  UINT tip;
  bool held;
};
// In the order of VMItem::Power.
const PowerControl kPowerControls[] = {
    {IDC_POWER_ON, IDI_POWER_ON, 1, IDS_POWER_ON, false},
    {IDC_POWER_HELD, IDI_POWER_ON, 2, IDS_POWER_ON, true},
    {IDC_POWER_OFF, IDI_POWER_OFF, 3, IDS_POWER_OFF, false},
    {IDC_POWER_HELD, IDI_POWER_OFF, 4, IDS_POWER_OFF, true},
    {IDC_SUSPEND, IDI_SUSPEND, 5, IDS_SUSPEND, false},
    {IDC_POWER_HELD, IDI_SUSPEND, 6, IDS_SUSPEND, true},
    {IDC_RESET, IDI_RESET, 7, IDS_RESET, false},
};

}  // namespace

VMItem::VMItem() = default;

VMItem::~VMItem() {
  Links().CutAll();
  DestroyWindow();  // while the row's own parts still exist
}

HWND VMItem::CreateRow(HWND parent, const RECT& rect) {
  return Create(parent, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, rect);
}

std::shared_ptr<QorVMCollection> VMItem::Server() const { return mServer; }

namespace {
// A session to act through: a refresh (enumerating again, or failing to) keeps it, and an
// open VM keeps answering meanwhile.
bool HasSession(const std::shared_ptr<QorVMCollection>& server) {
  if (!server) return false;
  const int state = server->GetState();
  return state == VMCollection::STATE_ENUMERATED || state == VMCollection::STATE_ENUMERATING ||
         state == VMCollection::STATE_ENUM_FAILED;
}

// A power button's place in the second line, whatever the row's width: made there, it is
// never moved (each message to a system button with a tip costs a property read).
RECT PowerButtonRect(int index) {
  static const int column[] = {0, 0, 1, 1, 2, 2, 3};
  const int R = utils::LINE_HEIGHT, M = utils::MARGIN, B = utils::BUTTON_HEIGHT;
  const int x = M + column[index] * B, y = R + (R - B) / 2;
  return RECT{x, y, x + B, y + B};
}
}  // namespace

void VMItem::CreateChildren() {
  HINSTANCE module = Module::Instance();
  mTooltip = SharedTooltip(Hwnd());
  mStar.SetIcons(IDI_STAR_ON, IDI_STAR_ON, IDI_STAR_OFF, IDI_STAR_OFF);
  mStar.CreateButton(Hwnd(), IDC_STAR, 0, 0, WS_CHILD | WS_VISIBLE | BS_OWNERDRAW);
  // Rows are made hidden with the popup and painted first when it shows.
  MakeOwnDCNow(Hwnd());
  MakeOwnDCNow(mStar.Hwnd());
  for (int i = 0; i < kPowerCount; ++i) {
    const PowerControl& control = kPowerControls[i];
    const DWORD style = control.held ? (WS_CHILD | BS_PUSHLIKE | BS_ICON | BS_AUTORADIOBUTTON) : (WS_CHILD | BS_ICON);
    const std::wstring tip = utils::LoadStringResource(control.tip);
    const RECT place = PowerButtonRect(i);
    mPower[i] = CreateWindowExW(0, L"BUTTON", tip.c_str(), style, place.left, place.top, place.right - place.left,
                                place.bottom - place.top, Hwnd(),
                                reinterpret_cast<HMENU>(static_cast<UINT_PTR>(control.id)), module, nullptr);
    SendMessageW(mPower[i], BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(LoadSharedIcon(control.icon)));
  }
  mLogin = CreatePushButton(Hwnd(), IDC_LOGIN, IDS_LOGIN, Font());
  mRetry = CreatePushButton(Hwnd(), IDC_RETRY, IDS_RETRY, Font());
  mConnect = CreatePushButton(Hwnd(), IDC_VM_CONNECT, IDS_CONNECT, Font());
  const int B = utils::BUTTON_HEIGHT;
  for (int i = 0; i < kPowerCount; ++i) {
    AddTool(mTooltip, mPower[i], kPowerControls[i].tool, RECT{0, 0, B, B}, kPowerControls[i].tip);
  }
  AddTool(mTooltip, Hwnd(), kMarkTool, MarkBox(), 0);  // words while a mark shows
}

void VMItem::DestroyChildren() {
  StopPoll();
  RemoveTools(mTooltip, Hwnd());  // the tooltip is shared and stays
  mTooltip = nullptr;
  mStar.DestroyWindow();
  for (HWND* control : {&mConnect, &mLogin, &mRetry}) {
    if (*control) ::DestroyWindow(*control);
    *control = nullptr;
  }
  for (HWND& control : mPower) {
    if (control) ::DestroyWindow(control);
    control = nullptr;
  }
}

void VMItem::Bind(const std::shared_ptr<QorVM>& vm, UINT_PTR tag, bool takeFocus, bool expanded) {
  if (vm && (vm != mVM || tag != GetTag())) {
    // Bound to another VM: it goes first, and the window text changes once, to the new name.
    if (mVM) Unbind();
    mVM = vm;
    mServer = vm->GetOwner();
    SetTag(tag);
    mName = utils::ToWideString(vm->GetName());
    UpdateWindowText();
    Links().Connect(mVM, mVM->mFavoriteChanged, [this] { UIThreadFavoriteChanged(); });
    UIThreadFavoriteChanged();
    Links().Connect(mVM, mVM->mOpenStateChanged, [this] { UIThreadVMOpenStateChanged(); });
    if (mServer) Links().Connect(mServer, mServer->mChanged, [this] { UIThreadLoginStateChanged(); });
    UIThreadLoginStateChanged();
    // Bound under a cursor that stays still: hovered, as if the cursor had come. Where the
    // cursor was at the last message, not a query per row.
    const DWORD at = GetMessagePos();
    POINT cursor = {GET_X_LPARAM(at), GET_Y_LPARAM(at)};
    RECT client;
    if (ScreenToClient(Hwnd(), &cursor) && GetClientRect(Hwnd(), &client) && PtInRect(&client, cursor)) {
      PostMessageW(Hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(cursor.x, cursor.y));
    }
  }
  SetExpandedFlag(expanded);
  if (takeFocus) {
    SetNotifySuppressed(true);
    SetFocus(Hwnd());
    SetNotifySuppressed(false);
  }
  Layout();
}

void VMItem::Unbind() {
  Links().CutAll();
  mPowerConnected = false;
  for (HWND control : {mLogin, mRetry, mConnect}) ShowControl(control, false);
  for (HWND control : mPower) ShowControl(control, false);
  mVM.reset();
  mServer.reset();
  SetTag(0);
  ClearFlags();
  mName.clear();
  mStatusShown = false;
  mStatusText.clear();
  StopPoll();
  mLastPowerState = kUnknownPowerState;
  UpdateMark();
}

void VMItem::Reset() {
  Unbind();
  UpdateWindowText();
}

void VMItem::ShowControl(HWND control, bool shown) {
  // Rows are rebound on every scroll step and keystroke: a show that changes nothing
  // still costs the window system a round trip.
  if (!control || HasVisibleStyle(control) == shown) return;
  if (shown) {
    if (control == mLogin || control == mConnect || control == mRetry) PlaceOnSecondLine(control);
    ShowWindow(control, SW_SHOWNA);
  } else {
    HideChild(control);
  }
}

void VMItem::StartPoll(UINT ms) {
  KillTimer(Hwnd(), kPollTimer);
  mPolling = SetTimer(Hwnd(), kPollTimer, ms, nullptr) != 0;
}

void VMItem::StopPoll() {
  // Only a running poll has a timer to kill: rows are rebound on every step.
  if (mPolling && IsWindow()) KillTimer(Hwnd(), kPollTimer);
  mPolling = false;
}

std::vector<HWND> VMItem::SystemControls() const {
  std::vector<HWND> controls(std::begin(mPower), std::end(mPower));
  controls.insert(controls.end(), {mLogin, mRetry, mConnect});
  return controls;
}

std::vector<HWND> VMItem::ChildWindows() const {
  std::vector<HWND> children = SystemControls();
  children.push_back(mStar.Hwnd());
  return children;
}

void VMItem::PaintPlacedChildren(Placed how, const PlacedDrawing& drawing) {
  drawing.Paint(mStar.Hwnd(), how);
  for (HWND control : mPower) InvalidatePlacedControl(control, how);
  for (HWND control : {mLogin, mRetry, mConnect}) InvalidatePlacedControl(control, how);
}

void VMItem::Layout() {
  if (!IsWindow()) return;
  RECT client;
  GetClientRect(Hwnd(), &client);
  const int R = utils::LINE_HEIGHT, M = utils::MARGIN;
  PlaceChild(mStar.Hwnd(), client.right - M - 16, (R - 16) / 2, 16, 16);
  // A hidden button of the second line is placed when it shows (ShowControl): every row
  // changes width when the list's scroll bar comes or goes, and each move is a round trip.
  for (HWND control : {mLogin, mConnect, mRetry}) {
    if (HasVisibleStyle(control)) PlaceOnSecondLine(control);
  }
  for (int i = 0; i < kPowerCount; ++i) {
    const RECT place = PowerButtonRect(i);
    PlaceChild(mPower[i], place.left, place.top, place.right - place.left, place.bottom - place.top);
  }
}

void VMItem::PlaceOnSecondLine(HWND control) {
  RECT client;
  GetClientRect(Hwnd(), &client);
  const int R = utils::LINE_HEIGHT, M = utils::MARGIN, B = utils::BUTTON_HEIGHT;
  const int width = control == mConnect ? utils::COMBO_WIDTH : utils::BUTTON_WIDTH;
  PlaceChild(control, client.right - width - M, R + (R - B) / 2, width, B);
}

void VMItem::DrawContent(HDC dc, const RECT& client) {
  const int R = utils::LINE_HEIGHT, M = utils::MARGIN;
  if (mMark != PowerMark::kNone) DrawPowerMark(dc, MarkBox(), mMark);
  RECT name = {2 * M, 0, client.right - 2 * M - 16, R};
  DrawTextW(dc, mName.c_str(), static_cast<int>(mName.size()), &name,
            DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
  if (!mStatusShown || mStatusText.empty()) return;
  SetTextColor(dc, RGB(0, 0, 0));
  RECT status = {0, R, client.right, 2 * R};
  HWND edgeControl = HasVisibleStyle(mLogin) ? mLogin : (HasVisibleStyle(mRetry) ? mRetry : nullptr);
  if (edgeControl) {
    RECT button;
    GetWindowRect(edgeControl, &button);
    MapWindowPoints(nullptr, Hwnd(), reinterpret_cast<POINT*>(&button), 2);
    status.right = button.left;
  }
  DrawTextW(dc, mStatusText.c_str(), -1, &status, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
}

void VMItem::UIThreadFavoriteChanged() {
  if (!mVM || !IsWindow()) return;
  const bool favorite = mVM->IsFavorite();
  if (mStar.IsToggled() != favorite) mStar.SetToggled(favorite);
}

void VMItem::UIThreadLoginStateChanged() {
  if (!mVM || !IsWindow()) return;
  std::shared_ptr<QorVMCollection> server = Server();
  // A VM whose server is gone reads as logged off.
  const int state = server ? server->GetState() : VMCollection::STATE_LOGGED_OFF;
  switch (state) {
    case VMCollection::STATE_LOGGED_OFF:
      mStatusShown = true;
      mStatusText = utils::LoadStringResource(IDS_NOT_LOGGED_IN);
      ShowControl(mLogin, true);
      ShowControl(mRetry, false);
      ShowControl(mConnect, false);
      for (HWND control : mPower) ShowControl(control, false);
      StopPoll();
      break;
    case VMCollection::STATE_LOGGING_IN:
      mStatusShown = true;
      mStatusText = utils::LoadStringResource(IDS_LOGGING_IN);
      ShowControl(mLogin, false);
      break;
    case VMCollection::STATE_LOGIN_FAILED:
      mStatusShown = true;
      mStatusText = utils::LoginErrorText(server->GetLastError(), utils::LoginErrorContext::kRow);
      ShowControl(mLogin, true);
      ShowControl(mRetry, false);
      ShowControl(mConnect, false);
      for (HWND control : mPower) ShowControl(control, false);
      break;
    case VMCollection::STATE_ENUMERATED:
      mStatusShown = false;
      mStatusText.clear();
      ShowControl(mLogin, false);
      UIThreadVMOpenStateChanged();
      if (IsExpanded() && mVM->GetOpenState() == QorVM::STATE_CLOSED) mVM->Open();
      break;
    default:
      break;
  }
  UpdateMark();
  // A newly shown button must be in its place before it is seen.
  Layout();
  Invalidate();
}

void VMItem::UIThreadVMOpenStateChanged() {
  if (!mVM || !IsWindow()) return;
  const char* const kName = "VMItem::UIThreadVMOpenStateChanged";
  const std::string name = mVM->GetName();
  // Expanded while its server was not listed yet, the VM may have been opened for the
  // favorites' marks first: the user wants it all the same.
  const int openState = mVM->GetOpenState();
  if (IsExpanded() && (openState == QorVM::STATE_OPENING || openState == QorVM::STATE_OPEN_SUCCESS)) mVM->ClaimOpen();
  switch (openState) {
    case QorVM::STATE_OPENING:
      Log("%s: VM '%s' open state changed to STATE_OPENING.\n", kName, name.c_str());
      mStatusShown = true;
      mStatusText = utils::LoadStringResource(IDS_OPENING_VM);
      EnableWindow(mRetry, FALSE);
      Invalidate();
      break;
    case QorVM::STATE_OPEN_FAILED:
      Log("%s: VM '%s' open state changed to STATE_OPEN_FAILED.\n", kName, name.c_str());
      mStatusShown = true;
      mStatusText = utils::LoadStringResource(IDS_OPEN_VM_FAILED);
      EnableWindow(mRetry, TRUE);
      ShowControl(mRetry, true);
      Invalidate();
      break;
    case QorVM::STATE_OPEN_SUCCESS:
      Log("%s: VM '%s' open state changed to STATE_OPEN_SUCCESS.\n", kName, name.c_str());
      ShowControl(mRetry, false);
      UIThreadOpenDone();
      break;
    case QorVM::STATE_CLOSED:
      // A closed VM's state is no longer reported: no mark rather than an old one.
      mLastPowerState = kUnknownPowerState;
      UpdateMark();
      break;
    default:
      UpdateMark();
      break;
  }
}

void VMItem::UIThreadOpenDone() {
  if (!mVM || !IsWindow()) return;
  // Power controls and Connect need a session.
  if (!HasSession(Server())) return;
  mStatusShown = false;
  mStatusText.clear();
  ShowControl(mConnect, true);
  // Every refresh of the server reports the open VM again: connect only once per binding.
  if (!mPowerConnected) {
    Links().Connect(mVM, mVM->mPowerStateChanged, [this] { UIThreadPowerStateChanged(); });
    mPowerConnected = true;
  }
  int32_t state = 0;
  if (mVM->GetPowerState(state)) {
    mLastPowerState = static_cast<uint32_t>(state);
    UIThreadPowerStateChanged();
  } else {
    Log("%s: Unexpectedly unable to retrieve power state for VM '%s'.\n", "VMItem::UIThreadOpenDone",
        mVM->GetName().c_str());
  }
  if (IsExpanded()) StartPoll(0);
  Layout();
  Invalidate();
  UpdateWindow(Hwnd());
}

void VMItem::SetPowerPair(Power plain, Power held, const PowerPair& shown) {
  ShowControl(mPower[plain], !shown.held);
  ShowControl(mPower[held], shown.held);
  SendMessageW(mPower[held], BM_SETCHECK, shown.held ? BST_CHECKED : BST_UNCHECKED, 0);
  EnableWindow(mPower[plain], shown.enabled);
}

void VMItem::UIThreadPowerStateChanged() {
  if (!mVM || !IsWindow()) return;
  std::shared_ptr<QorVMCollection> server = Server();
  if (!HasSession(server)) return;
  // The signal says only that something changed: read it now, so the buttons never show
  // a state older than the one the server reported.
  int32_t fresh = 0;
  if (mVM->GetPowerState(fresh)) mLastPowerState = static_cast<uint32_t>(fresh);
  UpdateMark();
  if (mLastPowerState == kUnknownPowerState) return;
  const uint32_t P = mLastPowerState;
  const PowerFlags f = PowerFlagsOf(P);
  Log("%s: VM '%s' on server '%s' has power state 0x%08x. suspending=%s, poweringOn=%s, resetting=%s, "
      "poweringOff=%s, poweredOff=%s, poweredOn=%s, suspended=%s.\n",
      "VMItem::UIThreadPowerStateChanged", mVM->GetName().c_str(), server->GetName().c_str(), P, YesNo(f.suspending),
      YesNo(f.poweringOn), YesNo(f.resetting), YesNo(f.poweringOff), YesNo(f.poweredOff), YesNo(f.poweredOn),
      YesNo(f.suspended));
  const PowerButtons shown = PowerButtonsFor(P);
  SetPowerPair(kOn, kOnHeld, shown.on);
  SetPowerPair(kOff, kOffHeld, shown.off);
  SetPowerPair(kSuspend, kSuspendHeld, shown.suspend);
  ShowControl(mPower[kReset], true);
  EnableWindow(mPower[kReset], shown.resetEnabled);
  for (HWND control : mPower) {
    if (HasVisibleStyle(control)) InvalidateRect(control, nullptr, TRUE);
  }
}

void VMItem::HandleTimer(UINT_PTR id) {
  if (id != kPollTimer) {
    Log("%s: Unexpected timer value %u received.\n", "VMItem::HandleTimer", static_cast<unsigned>(id));
    return;
  }
  KillTimer(Hwnd(), kPollTimer);
  mPolling = false;
  if (!mVM) return;
  int32_t state = 0;
  if (mVM->GetPowerState(state)) {
    if (mLastPowerState != kUnknownPowerState && mLastPowerState == static_cast<uint32_t>(state)) {
      StartPoll(1000);
      return;
    }
    Log("%s: VM '%s' power state is different but we weren't signaled.\n", "VMItem::HandleTimer",
        mVM->GetName().c_str());
    mLastPowerState = static_cast<uint32_t>(state);
    Links().Post([this] { UIThreadPowerStateChanged(); });
  }
  StartPoll(1000);
}

void VMItem::OnExpandedChanged() {
  if (!mVM) return;
  if (IsExpanded()) mVM->ClaimOpen();  // opened for the mark, now wanted by the user
  if (!IsExpanded()) {
    StopPoll();
  } else if (mVM->GetOpenState() == QorVM::STATE_CLOSED) {
    std::shared_ptr<QorVMCollection> server = Server();
    // Opening needs a session; the Login button shows until there is one.
    if (server && server->GetState() == VMCollection::STATE_ENUMERATED) {
      Log("%s: VM '%s' is not opened yet; opening now.\n", "VMItem::OnExpandedChanged", mVM->GetName().c_str());
      mVM->Open();
    }
  } else if (mVM->GetOpenState() == QorVM::STATE_OPEN_SUCCESS) {
    StartPoll(0);
  }
  Layout();
}

bool VMItem::CanToggleAt(POINT point) {
  for (int i = 0; i < kPowerCount; ++i) {
    if (i == kOnHeld) continue;  // not in the list: a held Power On is never greyed out
    HWND control = mPower[i];
    if (!HasVisibleStyle(control) || IsWindowEnabled(control)) continue;
    RECT rect;
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, Hwnd(), reinterpret_cast<POINT*>(&rect), 2);
    if (PtInRect(&rect, point)) return false;
  }
  return true;
}

RECT VMItem::MarkBox() {
  const int R = utils::LINE_HEIGHT, M = utils::MARGIN;
  // In the name's left margin (the name starts at 2M), nearer the edge than the name.
  const int left = M / 4, top = (R - M) / 2;
  return RECT{left, top, left + M, top + M};
}

void VMItem::SetPowerMarksShown(bool shown) {
  if (mMarksShown == shown) return;
  mMarksShown = shown;
  UpdateMark();
}

void VMItem::UpdateMark() {
  PowerMark mark = PowerMark::kNone;
  if (mMarksShown && mVM && HasSession(Server()) && mVM->GetOpenState() == QorVM::STATE_OPEN_SUCCESS) {
    mark = PowerMarkOf(mLastPowerState);
  }
  if (mark == mMark) return;
  mMark = mark;
  if (!IsWindow()) return;
  const RECT box = MarkBox();
  Invalidate(&box);
  const UINT words = PowerMarkTextId(mark);
  SetToolText(mTooltip, Hwnd(), kMarkTool, words ? utils::LoadStringResource(words) : std::wstring());
  NotifyDescriptionChanged(Hwnd());
}

std::wstring VMItem::AccessibleDescription() const {
  const UINT words = PowerMarkTextId(mMark);
  return words ? utils::LoadStringResource(words) : std::wstring();
}

void VMItem::SetBackground(HBRUSH brush) { mStar.SetBackground(brush); }

void VMItem::MarkUsed() {
  if (mVM->MarkUsed()) PostToParent(WM_RECENT_ADDED, reinterpret_cast<WPARAM>(mVM.get()), 0);
}

void VMItem::StarCommand() {
  const bool favorite = mStar.IsToggled();
  mVM->SetFavorite(favorite);
  PostToParent(WM_FAVORITE_CHANGED, reinterpret_cast<WPARAM>(mVM.get()), favorite ? 1 : 0);
}

void VMItem::PowerCommand(UINT id) {
  // Taken before the question: its modal loop runs posted callbacks, and a rebuild meanwhile
  // can bind this row to another VM. The answer applies to the VM the user clicked on.
  const std::shared_ptr<QorVM> vm = mVM;
  if (!vm) return;
  struct Question {
    UINT id;
    UINT text;
  };
  const Question questions[] = {
      {IDC_POWER_OFF, IDS_CONFIRM_POWER_OFF}, {IDC_SUSPEND, IDS_CONFIRM_SUSPEND}, {IDC_RESET, IDS_CONFIRM_RESET}};
  for (const Question& question : questions) {
    if (question.id == id && !AskYesNo(Hwnd(), utils::LoadStringResource(question.text))) return;
  }
  if (!IsListedAndOpen(*vm)) {
    Log("%s: VM '%s' was closed or left its server's list while the question was open; nothing is done.\n",
        "VMItem::PowerCommand", vm->GetName().c_str());
    return;
  }
  switch (id) {
    case IDC_POWER_ON: vm->PowerOn(); break;
    case IDC_POWER_OFF: vm->PowerOff(); break;
    case IDC_SUSPEND: vm->Suspend(); break;
    case IDC_RESET: vm->Reset(); break;
    default: return;
  }
  if (vm->MarkUsed()) PostToParent(WM_RECENT_ADDED, reinterpret_cast<WPARAM>(vm.get()), 0);
}

bool VMItem::IsListedAndOpen(const QorVM& vm) {
  if (vm.GetOpenState() != QorVM::STATE_OPEN_SUCCESS) return false;
  const std::shared_ptr<QorVMCollection> owner = vm.GetOwner();
  if (!owner) return false;
  for (const VMPtr& listed : owner->GetVMs()) {
    if (listed.get() == &vm) return true;
  }
  return false;
}

void VMItem::Login() {
  std::shared_ptr<QorVMCollection> server = Server();
  if (!server) return;
  std::vector<char> user(1, '\0'), password(1, '\0');
  bool save = false;
  bool prompted = true;
  if (!server->HasUserName()) {
    prompted = utils::PromptForCredentials(Hwnd(), server->GetName(), user, password, save);
  }
  SetFocus(Hwnd());
  if (prompted) server->Login(user.data(), password.data(), save);
  utils::WipeBuffer(password);
  utils::WipeBuffer(user);
}

void VMItem::OnCommand(WPARAM wParam, LPARAM) {
  if (!mVM) return;
  const UINT id = LOWORD(wParam);
  switch (id) {
    case IDC_STAR: StarCommand(); break;
    case IDC_POWER_ON:
    case IDC_POWER_OFF:
    case IDC_SUSPEND:
    case IDC_RESET: PowerCommand(id); break;
    case IDC_VM_CONNECT: {
      std::shared_ptr<QorVM> vm = mVM;
      MarkUsed();
      if (vm->RunInConsole()) PostToParent(WM_HIDE_POPUP, 0, 0);
      break;
    }
    case IDC_LOGIN: Login(); break;
    case IDC_RETRY: mVM->Open(); break;
    default: break;
  }
}

bool VMItem::OnKeyDown(UINT key) {
  if (key == VK_SPACE) {
    if (!mVM) return true;
    mStar.Toggle();
    StarCommand();
    return true;
  }
  if (key == VK_RETURN) {
    for (HWND control : {mLogin, mRetry, mConnect}) {
      if (HasVisibleStyle(control)) {
        SendMessageW(control, BM_CLICK, 0, 0);
        break;
      }
    }
    return true;
  }
  return false;
}

}  // namespace ui
