// The headers, links and rows one layout pass of the list places, and their paint.
#pragma once
#include <windows.h>

#include <vector>

#include "ui/popup/PopupParts.h"

namespace ui {

class Header;
class Item;
class PlacedDrawing;

// The list's pass hides what goes first, then places through this what stays or comes.
// Those that showed before move first: a move exposes what lay under the window, and a
// window placed undrawn (which no paint looks for) must not be under it. Then each placed
// afresh is painted or drawn whole with its children, once all are placed.
class PlacementPass {
 public:
  // Placed at (0, y) of their parent with the list's width; undrawn where it can, unless
  // the list's paints wait for the message loop. view: the part of the parent that shows.
  PlacementPass(int width, const RECT& view, bool paintLater) : mWidth(width), mView(view), mPaintLater(paintLater) {}

  // Each returns its index, by which the caller asks how it was placed.
  size_t Add(Header* header, HWND window, int y, int height);
  size_t Add(Item* item, HWND window, int y, int height);
  void PlaceAll();
  Placed HowPlaced(size_t index) const { return mWanted[index].how; }
  // How many it placed afresh (moved or shown).
  size_t PlacedCount() const;
  // Draws what it placed afresh.
  void PaintPlaced(const PlacedDrawing& drawing) const;

 private:
  struct Wanted {
    Header* header;
    Item* item;
    HWND window;
    int y, height;
    Placed how;
  };
  void PlaceOne(Wanted& wanted);

  std::vector<Wanted> mWanted;
  int mWidth;
  RECT mView;
  bool mPaintLater;
};

}  // namespace ui
