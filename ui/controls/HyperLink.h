// A static-text link that works as a command button: a click on its label (or Enter or
// Space while it has the focus) sends WM_COMMAND(id, 0, its window) to the parent. Nothing
// is ever opened.
#pragma once
#include <windows.h>

#include <string>

#include "ui/window/Window.h"

namespace ui {

class CHyperLink : public WindowImpl {
 public:
  CHyperLink();
  ~CHyperLink() override;  // frees own link font, tooltip; gives a taken-over static back

  // Stores the text, recomputes the label rect; it also becomes the window text.
  bool SetLabel(const wchar_t* text);
  const std::wstring& GetLabel() const { return mLabel; }
  bool SetHyperLink(const wchar_t* text);
  const std::wstring& GetHyperLink() const { return mHyperLink; }

  // Not owned; a link font the control made itself is deleted.
  void SetLinkFont(HFONT font);
  HFONT GetLinkFont() const { return mLinkFont; }

  // Wins over the user's browser colour read from the registry.
  void SetLinkColor(COLORREF link);
  COLORREF GetLinkColor() const { return mLinkColor; }

  void SetToolTipDelay(int ms);
  RECT GetLabelRect() const { return mLabelRect; }
  // One line that ends in "..." when it does not fit, instead of wrapping into lines the
  // control has no room for. The window text stays whole.
  void SetSingleLine(bool singleLine) { mSingleLine = singleLine; }

  // Creates its own child window of class "WTL_HyperLink". An existing static (a dialog's)
  // is taken over with the base's SubclassWindow instead.
  HWND CreateLink(HWND parent, const RECT& rect, DWORD style, UINT controlId);

 protected:
  const wchar_t* ClassName() const override { return L"WTL_HyperLink"; }
  WindowClassInfo GetClassInfo() const override {
    WindowClassInfo info;
    info.style = CS_OWNDC;  // link rows repaint with the list: no cache DC to find each time
    return info;
  }
  void OnSubclassed() override;

  ZW_BEGIN_MSG_MAP()
    // Until it is set up the control is a plain window.
    if (!mReady) return false;
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

  void Setup();
  void ReadRegistryColor();
  void CalcLabelRect();
  bool MakeToolTip();  // false when it cannot be made yet (or at all)
  void UpdateTool();
  void DestroyToolTip();
  void Paint(HDC dc);
  void Navigate();
  bool IsOverLabel(POINT clientPoint) const;
  const std::wstring& DisplayText() const { return mLabel.empty() ? mHyperLink : mLabel; }
  UINT TextFormat() const;

  bool mReady = false;
  bool mPaintLabel = true;
  bool mFocused = false;  // followed from the focus messages: a paint asks no one
  bool mSettingLabel = false;
  bool mSingleLine = false;
  std::wstring mLabel;
  std::wstring mHyperLink;
  HFONT mNormalFont = nullptr;
  HFONT mLinkFont = nullptr;
  bool mOwnLinkFont = false;
  COLORREF mLinkColor = RGB(0, 0, 255);
  HWND mToolTip = nullptr;
  int mToolTipDelay = -1;
  RECT mLabelRect = {};
};

}  // namespace ui
