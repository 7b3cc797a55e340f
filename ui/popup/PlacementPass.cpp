#include "ui/popup/PlacementPass.h"

#include <algorithm>

#include "ui/popup/Header.h"
#include "ui/popup/Item.h"
#include "ui/popup/PlacedDrawing.h"

namespace ui {

size_t PlacementPass::Add(Header* header, HWND window, int y, int height) {
  mWanted.push_back({header, nullptr, window, y, height, Placed::kUnmoved});
  return mWanted.size() - 1;
}

size_t PlacementPass::Add(Item* item, HWND window, int y, int height) {
  mWanted.push_back({nullptr, item, window, y, height, Placed::kUnmoved});
  return mWanted.size() - 1;
}

void PlacementPass::PlaceOne(Wanted& wanted) {
  if (mPaintLater) {
    const bool moved = PlaceChild(wanted.window, 0, wanted.y, mWidth, wanted.height, true);
    wanted.how = moved ? Placed::kInvalidated : Placed::kUnmoved;
  } else {
    wanted.how = PlaceChildUndrawn(wanted.window, 0, wanted.y, mWidth, wanted.height, mView);
  }
}

void PlacementPass::PlaceAll() {
  std::vector<Wanted*> later;
  for (Wanted& wanted : mWanted) {
    if (ShowsIn(wanted.window, mView)) {
      PlaceOne(wanted);
    } else {
      later.push_back(&wanted);
    }
  }
  for (Wanted* wanted : later) PlaceOne(*wanted);
}

size_t PlacementPass::PlacedCount() const {
  return static_cast<size_t>(
      std::count_if(mWanted.begin(), mWanted.end(), [](const Wanted& wanted) { return wanted.how != Placed::kUnmoved; }));
}

void PlacementPass::PaintPlaced(const PlacedDrawing& drawing) const {
  for (const Wanted& wanted : mWanted) {
    if (wanted.how == Placed::kUnmoved) continue;
    if (wanted.header) wanted.header->PaintPlaced(wanted.how, drawing);
    if (wanted.item) wanted.item->PaintPlaced(wanted.how, drawing);
  }
}

}  // namespace ui
