// How the windows a layout pass of the list placed afresh get their pixels.
#pragma once
#include <windows.h>

#include <vector>

#include "ui/popup/PopupParts.h"

namespace ui {

// Draws the windows a pass placed, through one DC of the parent they sit on (a DC that
// covers the parent's children) or each through its own. Each window's own DC looks up
// its visible region again after the move, a round trip each under Wine, for every row,
// star and header a keystroke shows; a DC of the parent looks it up once.
class PlacedDrawing {
 public:
  // parentDC: a DC of parent whose clipping leaves its children's places in, handed back
  // at the end; null to draw each window through its own DC.
  PlacedDrawing(HWND parent, HDC parentDC) : mParent(parent), mDC(parentDC) {}
  PlacedDrawing(const PlacedDrawing&) = delete;
  PlacedDrawing& operator=(const PlacedDrawing&) = delete;
  ~PlacedDrawing() {
    if (mDC) ReleaseDC(mParent, mDC);
  }

  // A window of ours that paints whole (WM_PRINTCLIENT), placed as `how`, drawn where it
  // is, less the places of the shown children in leftAlone: those that paint themselves
  // (system controls), as the caller draws the others after it. One that the system left
  // wholly invalid is validated first, so no paint looks for it.
  void Paint(HWND window, Placed how, const std::vector<HWND>& leftAlone = {}) const;
  // A shown window that stayed where it was, with no update region, drawn less the places
  // of its shown children in leftAlone (all of them: they were not moved, so nothing of
  // theirs is to be drawn again).
  void Draw(HWND window, const std::vector<HWND>& leftAlone = {}) const;

 private:
  void DrawThroughParent(HWND window, const std::vector<HWND>& leftAlone) const;
  RECT PlaceInParent(HWND window) const;

  HWND mParent;
  HDC mDC;
};

}  // namespace ui
