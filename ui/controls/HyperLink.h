// A static-text link. In command-button mode a click (or Enter/Space while focused)
// sends WM_COMMAND(id, 0) to the parent; links are never opened by this program.
#pragma once
#include <windows.h>

#include <string>

#include "ui/window/Window.h"

// <windowsx.h> has a macro of this name that would break the member below.
#ifdef SubclassWindow
#undef SubclassWindow
#endif

namespace ui {

enum : DWORD { HLINK_COMMANDBUTTON = 0x00000004 };

class CHyperLink : public WindowImpl {
 public:
  CHyperLink();
  ~CHyperLink() override;  // frees own link font, tooltip

  DWORD GetHyperLinkExtendedStyle() const { return mExtendedStyle; }
  void SetHyperLinkExtendedStyle(DWORD style) { mExtendedStyle = style; }

  // Stores the text, recomputes the label rect; it also becomes the window text.
  bool SetLabel(const wchar_t* text);
  const std::wstring& GetLabel() const { return mLabel; }
  bool SetHyperLink(const wchar_t* text);
  const std::wstring& GetHyperLink() const { return mHyperLink; }

  // Not owned; a link font the control made itself is deleted.
  void SetLinkFont(HFONT font);
  HFONT GetLinkFont() const { return mLinkFont; }

  void SetLinkColors(COLORREF link, COLORREF visited);
  COLORREF GetLinkColor() const { return mLinkColor; }
  COLORREF GetVisitedColor() const { return mVisitedColor; }

  void SetToolTipDelay(int ms);
  RECT GetLabelRect() const { return mLabelRect; }
  bool IsVisited() const { return mVisited; }
  // One line that ends in "..." when it does not fit, instead of wrapping into lines the
  // control has no room for. The window text stays whole.
  void SetSingleLine(bool singleLine) { mSingleLine = singleLine; }

  // Takes over an existing static control (subclasses it), e.g. a dialog's static.
  bool SubclassWindow(HWND hwnd);
  // Creates its own child window of class "WTL_HyperLink".
  HWND Create(HWND parent, const RECT& rect, DWORD style, UINT controlId);

  // The control's window, whether created or taken over.
  HWND Hwnd() const { return mWnd; }
  bool IsWindow() const { return mWnd != nullptr && ::IsWindow(mWnd); }
  bool DestroyWindow() { return mWnd != nullptr && ::DestroyWindow(mWnd) != FALSE; }

 protected:
  const wchar_t* ClassName() const override { return L"WTL_HyperLink"; }

  ZW_BEGIN_MSG_MAP()
    // Until it is set up (and for a window it no longer owns) the control is a plain window.
    if (!mReady || hWnd != mWnd) return false;
    ZW_MESSAGE_RANGE_HANDLER(WM_MOUSEFIRST, WM_MOUSELAST, OnRelayMouse)
    ZW_MESSAGE_HANDLER(WM_PAINT, OnPaint)
    ZW_MESSAGE_HANDLER(WM_PRINTCLIENT, OnPaint)
    ZW_MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
    ZW_MESSAGE_HANDLER(WM_SETTEXT, OnSetText)
    ZW_MESSAGE_HANDLER(WM_SIZE, OnSize)
    ZW_MESSAGE_HANDLER(WM_SETCURSOR, OnSetCursor)
    ZW_MESSAGE_HANDLER(WM_MOUSEMOVE, OnMouseMove)
    ZW_MESSAGE_HANDLER(WM_LBUTTONDOWN, OnLButtonDown)
    ZW_MESSAGE_HANDLER(WM_LBUTTONDBLCLK, OnLButtonDown)
    ZW_MESSAGE_HANDLER(WM_LBUTTONUP, OnLButtonUp)
    ZW_MESSAGE_HANDLER(WM_CHAR, OnChar)
    ZW_MESSAGE_HANDLER(WM_GETDLGCODE, OnGetDlgCode)
    ZW_MESSAGE_HANDLER(WM_SETFOCUS, OnFocusChange)
    ZW_MESSAGE_HANDLER(WM_KILLFOCUS, OnFocusChange)
    ZW_MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
    ZW_MESSAGE_HANDLER(WM_NCDESTROY, OnNcDestroy)
  ZW_END_MSG_MAP()

 private:
  static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR id, DWORD_PTR refData);

  LRESULT OnRelayMouse(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
  LRESULT OnPaint(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
  LRESULT OnEraseBackground(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
  LRESULT OnSetText(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
  LRESULT OnSize(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
  LRESULT OnSetCursor(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
  LRESULT OnMouseMove(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
  LRESULT OnLButtonDown(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
  LRESULT OnLButtonUp(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
  LRESULT OnChar(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
  LRESULT OnGetDlgCode(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
  LRESULT OnFocusChange(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
  LRESULT OnDestroy(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
  LRESULT OnNcDestroy(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);

  LRESULT CallDefault(UINT msg, WPARAM wParam, LPARAM lParam);
  void Setup();
  void ReadRegistryColors();
  void CalcLabelRect();
  void UpdateTool();
  void DestroyToolTip();
  void Paint(HDC dc);
  void Navigate();
  bool IsOverLabel(POINT clientPoint) const;
  const std::wstring& DisplayText() const { return mLabel.empty() ? mHyperLink : mLabel; }
  UINT TextFormat() const;

  HWND mWnd = nullptr;
  bool mSubclassed = false;
  bool mReady = false;
  bool mPaintLabel = true;
  bool mSettingLabel = false;
  bool mVisited = false;
  bool mSingleLine = false;
  DWORD mExtendedStyle = 0;
  std::wstring mLabel;
  std::wstring mHyperLink;
  HFONT mNormalFont = nullptr;
  HFONT mLinkFont = nullptr;
  bool mOwnLinkFont = false;
  COLORREF mLinkColor = RGB(0, 0, 255);
  COLORREF mVisitedColor = RGB(128, 0, 128);
  HWND mToolTip = nullptr;
  int mToolTipDelay = -1;
  RECT mLabelRect = {};
};

}  // namespace ui
