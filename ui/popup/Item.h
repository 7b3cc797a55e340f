// The row window of the popup's list that VM rows and link rows derive from: hover and
// selection painting, expansion, focus, the keys it consumes itself and the hover poll.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "backend/VM.h"
#include "ui/popup/PlacedDrawing.h"
#include "ui/popup/PopupParts.h"
#include "ui/popup/SignalLinks.h"
#include "ui/window/Window.h"

namespace ui {

class Item : public WindowImpl {
 public:
  static constexpr UINT_PTR kHoverTimer = 1;

  Item();
  ~Item() override;

  void SetColors(HFONT font, HBRUSH hoverFrame, HBRUSH hoverFill, HBRUSH selectionFrame, HBRUSH selectionFill);
  // The popup hides: forget the hover without repainting.
  void ClearHover();

  bool IsSelected() const { return mSelected; }
  bool IsExpanded() const { return mExpanded; }
  bool IsHovered() const { return mHovered; }
  UINT_PTR GetTag() const { return mTag; }

  // How a row's held repaint ends (see HoldPaint).
  enum class HeldPaint {
    kLeftToTheSystem,  // moved or shown afresh: wholly invalid, painted whole by its paint
    kDrawnNow,         // it stayed where it was: drawn at once
    kInvalidated,      // painted later by the message loop
  };
  // A layout that rebinds and places the row holds the row's repaints until it knows
  // where the row went. Drawn at once, a row rebound in place costs no invalidation,
  // search and validation: three round trips under Wine, for each row a keystroke rebinds.
  void HoldPaint() { mPaintHeld = true; }
  // Whether a change asked for a repaint while held.
  bool IsPaintDue() const { return mPaintDue; }
  void ReleasePaint(HeldPaint how, const PlacedDrawing& drawing);
  // Placed afresh by the list: drawn now (as it was placed), with its children.
  void PaintPlaced(Placed how, const PlacedDrawing& drawing);

  virtual VMPtr GetVM() const = 0;
  virtual std::wstring GetName() const = 0;
  virtual bool IsExpandable() const = 0;

 protected:
  virtual void Layout() = 0;
  virtual void CreateChildren() = 0;
  virtual void DestroyChildren() = 0;
  virtual void DrawContent(HDC dc, const RECT& client) = 0;
  virtual void OnExpandedChanged() = 0;
  virtual void OnCommand(WPARAM wParam, LPARAM lParam) = 0;
  virtual bool OnKeyDown(UINT key) = 0;
  virtual void HandleTimer(UINT_PTR id) = 0;
  virtual bool CanToggleAt(POINT point) = 0;
  virtual void SetBackground(HBRUSH brush) = 0;
  virtual void PaintPlacedChildren(Placed, const PlacedDrawing&) {}
  // Children that paint themselves (push buttons): the row's drawing leaves their places.
  virtual std::vector<HWND> SystemControls() const { return {}; }
  // Every child window: a row drawn where it stood leaves all their places.
  virtual std::vector<HWND> ChildWindows() const { return SystemControls(); }
  // What a screen reader says beyond the window text (what the row draws besides it).
  virtual std::wstring AccessibleDescription() const { return std::wstring(); }

  const wchar_t* ClassName() const override { return L"Zandor Wickerlyn Item Window"; }
  WindowClassInfo GetClassInfo() const override;

  // Derived rows change these on binding.
  void SetExpandedFlag(bool expanded) { mExpanded = expanded; }
  void SetTag(UINT_PTR tag) { mTag = tag; }
  void ClearFlags();
  void SetNotifySuppressed(bool suppressed) { mNotifySuppressed = suppressed; }
  // Keeps the window text (what screen readers and other processes read) equal to the
  // display text.
  void UpdateWindowText();
  HFONT Font() const { return mFont; }
  void PostToParent(UINT msg, WPARAM wParam, LPARAM lParam) const;
  void PostFocused() const;
  bool CursorOverRow() const;
  void RepaintNow();
  // The row (or part of it) is to be repainted; held while a layout places it.
  void Invalidate(const RECT* part = nullptr);
  // Connections to back-end signals; cut by the derived row before it dies or rebinds.
  SignalLinks& Links() { return mSignalLinks; }

  ZW_BEGIN_MSG_MAP()
    ZW_MESSAGE_HANDLER(WM_CREATE, OnCreate)
    ZW_MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
    ZW_MESSAGE_HANDLER(WM_PAINT, OnPaint)
    ZW_MESSAGE_HANDLER(WM_PRINTCLIENT, OnPrintClient)
    ZW_MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
    ZW_MESSAGE_HANDLER(WM_SIZE, OnSize)
    ZW_MESSAGE_HANDLER(WM_SHOWWINDOW, OnShowWindow)
    ZW_MESSAGE_HANDLER(WM_MOUSEMOVE, OnMouseMove)
    ZW_MESSAGE_HANDLER(WM_MOUSELEAVE, OnMouseLeave)
    ZW_MESSAGE_HANDLER(WM_LBUTTONUP, OnLeftButtonUp)
    ZW_MESSAGE_HANDLER(WM_TIMER, OnTimer)
    ZW_MESSAGE_HANDLER(WM_KEYDOWN, OnKeyDownMessage)
    ZW_MESSAGE_HANDLER(WM_CHAR, OnChar)
    ZW_MESSAGE_HANDLER(WM_GETDLGCODE, OnGetDlgCode)
    ZW_MESSAGE_HANDLER(WM_SETFOCUS, OnSetFocus)
    ZW_MESSAGE_HANDLER(WM_KILLFOCUS, OnKillFocus)
    ZW_MESSAGE_HANDLER(WM_COMMAND, OnCommandMessage)
    ZW_MESSAGE_HANDLER(WM_GETOBJECT, OnGetObject)
    ZW_REFLECT_NOTIFICATIONS()
  ZW_END_MSG_MAP()

 private:
  LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnPaint(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnPrintClient(UINT, WPARAM wParam, LPARAM, BOOL&);
  LRESULT OnEraseBackground(UINT, WPARAM, LPARAM, BOOL&) { return 1; }
  LRESULT OnSize(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnShowWindow(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnMouseMove(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnMouseLeave(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnLeftButtonUp(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnTimer(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnKeyDownMessage(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnChar(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnGetDlgCode(UINT, WPARAM, LPARAM, BOOL&) { return DLGC_WANTALLKEYS; }
  LRESULT OnSetFocus(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnKillFocus(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnCommandMessage(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnGetObject(UINT, WPARAM, LPARAM, BOOL&);
  void ChangeExpanded(bool expanded);
  void Draw(HDC dc);
  HBRUSH RestingBrush() const;

  HFONT mFont = nullptr;
  HBRUSH mHoverFrame = nullptr;
  HBRUSH mHoverFill = nullptr;
  HBRUSH mSelectionFrame = nullptr;
  HBRUSH mSelectionFill = nullptr;
  bool mSelected = false;
  bool mExpanded = false;
  bool mHovered = false;
  bool mNotifySuppressed = false;
  bool mPaintHeld = false;
  bool mPaintDue = false;  // asked for while held
  UINT_PTR mTag = 0;
  SignalLinks mSignalLinks;
};

}  // namespace ui
