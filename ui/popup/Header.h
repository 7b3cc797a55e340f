// The row that heads one section of the list: a server, Favorites or Recently Used. It
// shows the title and a collapse button, and for a server Refresh, Remove, a status line
// and a Login button that follow the server's login and enumeration state.
#pragma once
#include <windows.h>

#include <string>

#include "backend/VMCollection.h"
#include "ui/controls/HoverBtn.h"
#include "ui/popup/PlacedDrawing.h"
#include "ui/popup/PopupParts.h"
#include "ui/popup/SignalLinks.h"
#include "ui/window/Window.h"

namespace ui {

class Header : public WindowImpl {
 public:
  enum : UINT { TOOL_COLLAPSE = 1, TOOL_REMOVE = 2, TOOL_REFRESH = 3 };

  Header(const std::wstring& title, VMCollectionPtr collection, bool groupLargeLists, bool hasRefresh, bool hasRemove,
         const std::wstring& enumeratingText);
  ~Header() override;

  HWND CreateHeader(HWND parent, const RECT& rect);

  int GetHeight() const;
  bool IsCollapsed() const { return mCollapse.IsToggled(); }
  // Placed afresh by the list: painted or drawn now (as it was placed), with its buttons.
  // Placed afresh by the list: drawn now (as it was placed), with its buttons.
  void PaintPlaced(Placed how, const PlacedDrawing& drawing);
  int MeasureLine() const;
  int LineHeight() const { return mLineHeight; }
  const std::wstring& GetTitle() const { return mTitle; }
  const VMCollectionPtr& GetCollection() const { return mCollection; }
  bool GroupsLargeLists() const { return mGroupLargeLists; }
  bool IsStatusShown() const { return mStatusShown; }
  const std::wstring& GetStatusText() const { return mStatusText; }
  RECT GetTitleRect() const { return mTitleRect; }

  void UIThreadLoginStateChanged();

 protected:
  const wchar_t* ClassName() const override { return L"Zandor Wickerlyn Header Window"; }

  ZW_BEGIN_MSG_MAP()
    ZW_MESSAGE_HANDLER(WM_CREATE, OnCreate)
    ZW_MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
    ZW_MESSAGE_HANDLER(WM_PAINT, OnPaint)
    ZW_MESSAGE_HANDLER(WM_PRINTCLIENT, OnPrintClient)
    ZW_MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
    ZW_MESSAGE_HANDLER(WM_SIZE, OnSize)
    ZW_MESSAGE_HANDLER(WM_LBUTTONUP, OnLeftButtonUp)
    ZW_MESSAGE_HANDLER(WM_KEYDOWN, OnKeyDown)
    ZW_MESSAGE_HANDLER(WM_CHAR, OnChar)
    ZW_MESSAGE_HANDLER(WM_SETFOCUS, OnFocus)
    ZW_MESSAGE_HANDLER(WM_KILLFOCUS, OnFocus)
    ZW_MESSAGE_HANDLER(WM_GETDLGCODE, OnGetDlgCode)
    ZW_MESSAGE_HANDLER(WM_COMMAND, OnCommand)
    ZW_REFLECT_NOTIFICATIONS()
  ZW_END_MSG_MAP()

 private:
  LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnPaint(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnPrintClient(UINT, WPARAM wParam, LPARAM, BOOL&);
  void Draw(HDC dc);
  LRESULT OnEraseBackground(UINT, WPARAM, LPARAM, BOOL&) { return 1; }
  LRESULT OnSize(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnLeftButtonUp(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnKeyDown(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnChar(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnFocus(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnGetDlgCode(UINT, WPARAM, LPARAM, BOOL&) { return DLGC_WANTALLKEYS; }
  LRESULT OnCommand(UINT, WPARAM, LPARAM, BOOL&);
  void Layout();
  void SetCollapsed(bool collapsed);
  void UpdateCollapseTip();
  void Login();
  void ConfirmRemove();
  void Post(UINT msg, WPARAM wParam, LPARAM lParam) const;
  void ShowButton(HWND button, bool shown);

  const std::wstring mTitle;
  int mLineHeight = 0;
  RECT mTitleRect = {};
  bool mStatusShown = false;
  bool mFocused = false;  // followed from the focus messages: no query at each paint
  const bool mGroupLargeLists;
  const bool mHasRefresh;
  const bool mHasRemove;
  const std::wstring mEnumeratingText;
  std::wstring mStatusText;
  HFONT mFont = nullptr;
  HoverBtn mRemove;
  HoverBtn mRefresh;
  HoverBtn mCollapse;
  HWND mLogin = nullptr;
  HWND mTooltip = nullptr;
  const VMCollectionPtr mCollection;
  SignalLinks mLinks;
};

}  // namespace ui
