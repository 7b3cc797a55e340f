#include "ui/popup/Header.h"

#include <windowsx.h>

#include <vector>

#include "backend/LoginErrorText.h"
#include "log/Log.h"
#include "res/resource.h"
#include "services/ConsoleLauncher.h"
#include "services/Protection.h"
#include "services/StringResource.h"
#include "services/TextConversion.h"
#include "ui/popup/PopupParts.h"
#include "ui/window/LayoutMetrics.h"
#include "ui/window/Messages.h"

namespace ui {
namespace {

constexpr COLORREF kTitleGrey = RGB(87, 87, 87);

const char* StateName(int state) {
  switch (state) {
    case VMCollection::STATE_LOGGED_OFF: return "STATE_LOGGED_OFF";
    case VMCollection::STATE_LOGGING_IN: return "STATE_LOGGING_IN";
    case VMCollection::STATE_LOGIN_FAILED: return "STATE_LOGIN_FAILED";
    case VMCollection::STATE_ENUMERATING: return "STATE_ENUMERATING";
    case VMCollection::STATE_ENUM_FAILED: return "STATE_ENUM_FAILED";
    default: return nullptr;
  }
}

}  // namespace

Header::Header(const std::wstring& title, VMCollectionPtr collection, bool groupLargeLists, bool hasRefresh,
               bool hasRemove, const std::wstring& enumeratingText)
    : mTitle(title),
      mGroupLargeLists(groupLargeLists),
      mHasRefresh(hasRefresh),
      mHasRemove(hasRemove),
      mEnumeratingText(enumeratingText),
      mCollection(std::move(collection)) {}

Header::~Header() {
  mLinks.CutAll();
  DestroyWindow();
}

HWND Header::CreateHeader(HWND parent, const RECT& rect) {
  return Create(parent, mTitle.c_str(), WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, rect);
}

int Header::GetHeight() const { return (!IsCollapsed() && mStatusShown) ? 2 * mLineHeight : mLineHeight; }

int Header::MeasureLine() const { return MeasureTextLine(Hwnd(), mFont, mTitle) + 2 * utils::MARGIN; }

void Header::Post(UINT msg, WPARAM wParam, LPARAM lParam) const {
  HWND parent = GetParent(Hwnd());
  if (parent) PostMessageW(parent, msg, wParam, lParam);
}

LRESULT Header::OnCreate(UINT, WPARAM, LPARAM, BOOL&) {
  mLinks.SetWindow(Hwnd());
  mTooltip = SharedTooltip(Hwnd());
  mFont = CreatePopupFont();
  mLineHeight = MeasureLine();
  mTitleRect = {utils::MARGIN, 0, 0, mLineHeight};
  const RECT tool = {0, 0, 16, 16};
  const DWORD buttonStyle = WS_CHILD | WS_VISIBLE | BS_OWNERDRAW;
  mCollapse.SetIcons(IDI_COLLAPSED_HOVER, IDI_COLLAPSED, IDI_EXPANDED_HOVER, IDI_EXPANDED);
  mCollapse.CreateButton(Hwnd(), IDC_COLLAPSE, 0, 0, buttonStyle);
  AddTool(mTooltip, mCollapse.Hwnd(), TOOL_COLLAPSE, tool, IDS_COLLAPSE);
  SetWindowTextW(mCollapse.Hwnd(), utils::LoadStringResource(IDS_COLLAPSE).c_str());
  if (mHasRemove) {
    mRemove.SetIcons(IDI_REMOVE_HOVER, IDI_REMOVE, IDI_REMOVE_HOVER, IDI_REMOVE);
    mRemove.CreateButton(Hwnd(), IDC_REMOVE, 0, 0, buttonStyle);
    AddTool(mTooltip, mRemove.Hwnd(), TOOL_REMOVE, tool, IDS_REMOVE);
    SetWindowTextW(mRemove.Hwnd(), utils::LoadStringResource(IDS_REMOVE).c_str());
  }
  if (mHasRefresh) {
    mRefresh.SetIcons(IDI_REFRESH_HOVER, IDI_REFRESH, IDI_REFRESH_HOVER, IDI_REFRESH);
    mRefresh.CreateButton(Hwnd(), IDC_REFRESH, 0, 0, buttonStyle);
    AddTool(mTooltip, mRefresh.Hwnd(), TOOL_REFRESH, tool, IDS_REFRESH);
    SetWindowTextW(mRefresh.Hwnd(), utils::LoadStringResource(IDS_REFRESH).c_str());
  }
  mLogin = CreatePushButton(Hwnd(), IDC_LOGIN, IDS_LOGIN, mFont);
  mLinks.Connect(mCollection, mCollection->mChanged, [this] { UIThreadLoginStateChanged(); });
  UIThreadLoginStateChanged();
  return 0;
}

LRESULT Header::OnDestroy(UINT, WPARAM, LPARAM, BOOL&) {
  mLinks.CutAll();
  RemoveTools(mTooltip, Hwnd());  // the tooltip is shared and stays
  mTooltip = nullptr;
  mCollapse.DestroyWindow();
  mRefresh.DestroyWindow();
  mRemove.DestroyWindow();
  if (mFont) DeleteObject(mFont);
  mFont = nullptr;
  return 0;
}

void Header::ShowButton(HWND button, bool shown) {
  if (button) ShowWindow(button, shown ? SW_SHOWNA : SW_HIDE);
}

void Header::Layout() {
  if (!IsWindow()) return;
  RECT client;
  GetClientRect(Hwnd(), &client);
  const int width = client.right;
  const int M = utils::MARGIN;
  const int y = (mLineHeight - 16) / 2;
  // Only the buttons that move are moved, each painted afresh where it lands and erased
  // with its paint (the list's width changes with its scroll bar, and each is a round trip).
  int x = width - 16 - M;
  PlaceChild(mCollapse.Hwnd(), x, y, 16, 16, true);
  // Hidden buttons take no place: the visible ones pack to the right.
  if (HasVisibleStyle(mRefresh.Hwnd())) {
    x -= 20;
    PlaceChild(mRefresh.Hwnd(), x, y, 16, 16);
  }
  if (HasVisibleStyle(mRemove.Hwnd())) {
    x -= 20;
    PlaceChild(mRemove.Hwnd(), x, y, 16, 16);
  }
  mTitleRect = {M, 0, x - M, mLineHeight};
  const int B = utils::BUTTON_HEIGHT, buttonWidth = utils::BUTTON_WIDTH;
  PlaceChild(mLogin, width - buttonWidth - M, mLineHeight + (mLineHeight - B) / 2, buttonWidth, B);
  // Painted with the list, or by the message loop when a state change alone moved things.
  if (!PlacingUndrawn()) InvalidateRect(Hwnd(), nullptr, FALSE);
}

void Header::PaintPlaced(Placed how, const PlacedDrawing& drawing) {
  drawing.Paint(Hwnd(), how, {mLogin});
  for (HWND button : {mCollapse.Hwnd(), mRefresh.Hwnd(), mRemove.Hwnd()}) drawing.Paint(button, how);
  InvalidatePlacedControl(mLogin, how);
}

LRESULT Header::OnSize(UINT, WPARAM, LPARAM, BOOL&) {
  Layout();
  return 0;
}

LRESULT Header::OnPaint(UINT, WPARAM, LPARAM, BOOL&) {
  PaintWhole([this](HDC dc) { Draw(dc); });
  return 0;
}

LRESULT Header::OnPrintClient(UINT, WPARAM wParam, LPARAM, BOOL&) {
  Draw(reinterpret_cast<HDC>(wParam));
  return 0;
}

void Header::Draw(HDC dc) {
  const RECT client = PaintWhiteClient(Hwnd(), dc);
  const int saved = SaveDC(dc);
  SelectObject(dc, mFont);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, kTitleGrey);
  RECT title = mTitleRect;
  DrawTextW(dc, mTitle.c_str(), -1, &title, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
  if (mFocused) {
    RECT line = {client.left, client.top, client.right, mLineHeight};
    DrawFocusRect(dc, &line);
  }
  if (mStatusShown && !IsCollapsed()) {
    SetTextColor(dc, RGB(0, 0, 0));
    RECT status = {0, mLineHeight, client.right, 2 * mLineHeight};
    if (HasVisibleStyle(mLogin)) {
      RECT button;
      GetWindowRect(mLogin, &button);
      MapWindowPoints(nullptr, Hwnd(), reinterpret_cast<POINT*>(&button), 2);
      status.right = button.left;
    }
    DrawTextW(dc, mStatusText.c_str(), -1, &status,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
  }
  RestoreDC(dc, saved);
}

void Header::UIThreadLoginStateChanged() {
  if (!IsWindow()) return;
  const char* const kName = "Header::UIThreadLoginStateChanged";
  const int state = mCollection->GetState();
  if (const char* name = StateName(state)) {
    Log("%s: Server '%s' state changed to %s.\n", kName, mCollection->GetName().c_str(), name);
  }
  switch (state) {
    case VMCollection::STATE_LOGGED_OFF:
      mStatusShown = true;
      mStatusText = utils::LoadStringResource(IDS_NOT_LOGGED_IN);
      ShowButton(mLogin, true);
      ShowButton(mRemove.Hwnd(), true);
      ShowButton(mRefresh.Hwnd(), false);
      break;
    case VMCollection::STATE_LOGGING_IN:
      mStatusShown = true;
      mStatusText = utils::LoadStringResource(IDS_LOGGING_IN);
      ShowButton(mLogin, false);
      ShowButton(mRemove.Hwnd(), false);
      ShowButton(mRefresh.Hwnd(), false);
      break;
    case VMCollection::STATE_LOGIN_FAILED:
      mStatusShown = true;
      mStatusText = utils::LoginErrorText(mCollection->GetLastError(), utils::LoginErrorContext::kRow);
      ShowButton(mLogin, true);
      ShowButton(mRemove.Hwnd(), true);
      ShowButton(mRefresh.Hwnd(), false);
      break;
    case VMCollection::STATE_ENUMERATING:
      if (!mEnumeratingText.empty()) {
        mStatusShown = true;
        mStatusText = mEnumeratingText;
      }
      ShowButton(mLogin, false);
      ShowButton(mRemove.Hwnd(), false);
      ShowButton(mRefresh.Hwnd(), false);
      break;
    case VMCollection::STATE_ENUMERATED:
      mStatusShown = false;
      mStatusText.clear();
      ShowButton(mLogin, false);
      ShowButton(mRemove.Hwnd(), true);
      ShowButton(mRefresh.Hwnd(), true);
      break;
    default:  // STATE_ENUM_FAILED keeps what the last state showed
      break;
  }
  Layout();
}

void Header::UpdateCollapseTip() {
  const UINT text = IsCollapsed() ? IDS_EXPAND : IDS_COLLAPSE;
  UpdateToolText(mTooltip, mCollapse.Hwnd(), TOOL_COLLAPSE, text);
  SetWindowTextW(mCollapse.Hwnd(), utils::LoadStringResource(text).c_str());
}

void Header::SetCollapsed(bool collapsed) {
  mCollapse.SetToggled(collapsed);
  UpdateCollapseTip();
  Post(WM_RELAYOUT, 0, 0);
}

void Header::Login() {
  std::vector<char> user(1, '\0'), password(1, '\0');
  bool save = false;
  if (!mCollection->HasUserName()) {
    if (!utils::PromptForCredentials(Hwnd(), mCollection->GetName(), user, password, save)) return;
  }
  mCollection->Login(user.data(), password.data(), save);
  utils::WipeBuffer(password);
  utils::WipeBuffer(user);
}

void Header::ConfirmRemove() {
  wchar_t question[1024];
  _snwprintf(question, 1024, utils::LoadStringResource(IDS_CONFIRM_REMOVE_SERVER).c_str(), mTitle.c_str());
  question[1023] = 0;
  if (AskYesNo(Hwnd(), question)) Post(WM_REMOVE_SERVER, reinterpret_cast<WPARAM>(this), 0);
}

LRESULT Header::OnCommand(UINT, WPARAM wParam, LPARAM, BOOL& handled) {
  if (HIWORD(wParam) != 0) {
    handled = FALSE;
    return 0;
  }
  switch (LOWORD(wParam)) {
    case IDC_LOGIN: Login(); break;
    case IDC_REMOVE: ConfirmRemove(); break;
    case IDC_REFRESH: mCollection->Refresh(); break;
    case IDC_COLLAPSE:  // the button has flipped itself
      SetFocus(Hwnd());
      UpdateCollapseTip();
      Post(WM_RELAYOUT, 0, 0);
      break;
    default: handled = FALSE; break;
  }
  return 0;
}

LRESULT Header::OnLeftButtonUp(UINT, WPARAM, LPARAM lParam, BOOL&) {
  if (GET_Y_LPARAM(lParam) <= mLineHeight) {
    mCollapse.Toggle();
    UpdateCollapseTip();
    SetFocus(Hwnd());
  }
  Post(WM_RELAYOUT, 0, 0);
  return 0;
}

LRESULT Header::OnKeyDown(UINT, WPARAM wParam, LPARAM lParam, BOOL& handled) {
  const UINT key = static_cast<UINT>(wParam);
  switch (key) {
    case VK_RETURN:
      if (!IsCollapsed() && HasVisibleStyle(mLogin)) SendMessageW(mLogin, BM_CLICK, 0, 0);
      return 0;
    case VK_LEFT:
      if (!IsCollapsed()) SetCollapsed(true);
      return 0;
    case VK_RIGHT:
      if (IsCollapsed()) SetCollapsed(false);
      Post(WM_NAVIGATE_KEY, VK_DOWN, 0);
      return 0;
    default:
      if (IsListNavigationKey(key)) {
        Post(WM_NAVIGATE_KEY, key, lParam);
      } else {
        handled = FALSE;
      }
      return 0;
  }
}

LRESULT Header::OnChar(UINT, WPARAM wParam, LPARAM lParam, BOOL&) {
  Post(WM_CHAR, wParam, lParam);
  return 0;
}

LRESULT Header::OnFocus(UINT msg, WPARAM, LPARAM, BOOL&) {
  mFocused = msg == WM_SETFOCUS;
  RECT line;
  GetClientRect(Hwnd(), &line);
  line.bottom = mLineHeight;
  InvalidateRect(Hwnd(), &line, FALSE);
  UpdateWindow(Hwnd());
  Post(msg == WM_SETFOCUS ? WM_ITEM_FOCUSED : WM_ITEM_UNFOCUSED, reinterpret_cast<WPARAM>(this), 0);
  return 0;
}

}  // namespace ui
