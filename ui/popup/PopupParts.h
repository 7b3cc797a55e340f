// Small pieces the popup's rows share: their font, tooltips and message boxes.
#pragma once
#include <windows.h>

#include <string>

namespace ui {

// "MS Shell Dlg 2", 10 points, normal weight; the caller deletes it.
HFONT CreatePopupFont();
// The topmost tooltip (no prefix) that the rows and headers in window's top-level window
// share, made on first use and owned by that window, so it goes with it. One for all:
// every window the popup owns is moved with it each time it shows.
HWND SharedTooltip(HWND window);
// Takes the tools of window and its children off the tooltip (a window that goes).
void RemoveTools(HWND tooltip, HWND window);
// A tool over rect of window tool, with its text from the string table (0: none yet).
void AddTool(HWND tooltip, HWND tool, UINT toolId, const RECT& rect, UINT textId);
void UpdateToolText(HWND tooltip, HWND tool, UINT toolId, UINT textId);
// An empty text shows no tip.
void SetToolText(HWND tooltip, HWND tool, UINT toolId, const std::wstring& text);
// A Yes/No question with the product name as caption; true on Yes.
bool AskYesNo(HWND owner, const std::wstring& question);
// Height DrawText reports for one line of text in the window's device context and font.
int MeasureTextLine(HWND window, HFONT font, const std::wstring& text);
// Whether the control is meant to show (its own style), whatever its parents are: a
// window not yet shown must still lay out its visible buttons.
bool HasVisibleStyle(HWND control);
// Moves (and with show, shows) a child only when it is not already there: layout runs on
// every scroll step and key, and a move that changes nothing still costs a round trip.
// True when it moved or showed the child, which the window system then repaints whole.
bool PlaceChild(HWND child, int x, int y, int width, int height, bool show = false);
// Hides a child that shows. As PlaceChild, it leaves the parent's erase to its next paint;
// a child holding the focus goes by ShowWindow, which moves the focus to the parent.
void HideChild(HWND child);
// The same where the caller knows the focus (a layout pass asks once, not per child). True
// when the child held it and handed it on.
bool HideChild(HWND child, HWND focus);
// How a layout placed a child of the list.
enum class Placed {
  kUnmoved,      // already there and shown
  kInvalidated,  // moved or shown over what showed of it: wholly invalid, as the system left it
  kUndrawn,      // nothing of it showed before: moved without any repaint, for its placer to draw
};
// As PlaceChild with show, for a placer that draws what it placed before its pass ends. A
// child that was hidden, or wholly outside view (the part of its parent that shows, in the
// parent's client coordinates: scrolled out of it), exposes nothing where it was: it moves
// with no repaint of any kind, and is drawn by its placer rather than invalidated by the
// system and validated by its paint (two round trips under Wine, for each row a step shows).
Placed PlaceChildUndrawn(HWND child, int x, int y, int width, int height, const RECT& view);
// Whether a child is at this place and size in its parent's client coordinates.
bool IsAt(HWND child, int x, int y, int width, int height);
// True while PlaceChildUndrawn moves a window: PlaceChild then moves that window's children
// undrawn, and a layout run from its WM_SIZE invalidates nothing.
bool PlacingUndrawn();
// Whether some of a child shows in view as far as the child's own style and place go (what
// PlaceChildUndrawn asks).
bool ShowsIn(HWND child, const RECT& view);
// A child that paints itself (a system control) in a window placed undrawn: invalidated,
// for the update that ends the layout pass.
void InvalidatePlacedControl(HWND control, Placed how);
// Makes the DC of a window whose class has CS_OWNDC. The first GetDC makes it, with a look
// at the display's layout; for the rows of the list that would be in the first paint after
// the popup shows, which the user waits for.
void MakeOwnDCNow(HWND window);
// Windows 5.1 or earlier: there the search box is multi-line and its background is drawn
// by the popup.
bool IsOldWindows();
// The themed edit background over rect, or white when no theme can be opened.
void PaintEditBackground(HWND window, HDC dc, const RECT& rect);
// Fills and frames the window's client area white and hands back that area.
RECT PaintWhiteClient(HWND window, HDC dc);
// Repaints the window and its children now.
void RepaintNow(HWND window);
// Escape, Page Up, Page Down, End, Home, Up and Down: the keys the list itself handles.
bool IsListNavigationKey(UINT key);
// A standard push button with the given font.
HWND CreatePushButton(HWND parent, UINT id, UINT textId, HFONT font, DWORD extraStyle = 0);

}  // namespace ui
