// Dialog placement: centred over a reference, kept inside the work area.
#include <gtest/gtest.h>
#include <windows.h>

#include "res/resource.h"
#include "ui/window/DialogPlacement.h"
#include "ui/window/ModalDialog.h"

namespace {

const RECT kWorkArea = {0, 0, 1024, 740};
const RECT kSecondMonitor = {1024, -200, 2048, 568};  // a work area away from the origin

RECT Sized(LONG left, LONG top, LONG width, LONG height) { return {left, top, left + width, top + height}; }

}  // namespace

TEST(DialogPosition, CentredOverTheReferenceAndKeptInsideTheWorkArea) {
  struct Case {
    const char* name;
    RECT window;
    POINT expected;
    RECT reference = window;  // placed over itself unless given
    RECT area = kWorkArea;
  } cases[] = {
      {"inside the area: stays", Sized(200, 150, 300, 120), {200, 150}},
      {"touching the edges is inside", Sized(0, 0, 1024, 740), {0, 0}},
      {"centred over a reference", Sized(0, 0, 200, 100), {100 + 300 - 100, 100 + 200 - 50},
       Sized(100, 100, 600, 400)},
      {"past the bottom", Sized(300, 700, 300, 120), {300, 740 - 120}},
      {"past the right", Sized(900, 200, 300, 120), {1024 - 300, 200}},
      {"left of the area", Sized(-50, 200, 300, 120), {0, 200}},
      {"above the area", Sized(200, -30, 300, 120), {200, 0}},
      // Larger than the area: the top left corner stays visible.
      {"larger, left of the area", Sized(-100, 50, 1200, 900), {0, 0}},
      {"second monitor, past its bottom right", Sized(1900, 500, 300, 120), {2048 - 300, 568 - 120},
       Sized(1900, 500, 300, 120), kSecondMonitor},
      {"second monitor, past its top left", Sized(1000, -300, 300, 120), {1024, -200}, Sized(1000, -300, 300, 120),
       kSecondMonitor},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    POINT at = ui::ComputeDialogPosition(c.window, c.reference, c.area);
    EXPECT_EQ(at.x, c.expected.x);
    EXPECT_EQ(at.y, c.expected.y);
  }
}

namespace {

// Puts itself at a given place as it opens, then runs the placement step there, the way
// the dialog manager's own position would be corrected.
class PlacedProbe : public ui::ModalDialog {
 public:
  explicit PlacedProbe(POINT start) : ui::ModalDialog(IDD_HINT), mStart(start) {}
  RECT before = {};
  RECT after = {};

 protected:
  ZW_BEGIN_MSG_MAP()
    ZW_MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
  ZW_END_MSG_MAP()

 private:
  LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
    SetWindowPos(Hwnd(), nullptr, mStart.x, mStart.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    GetWindowRect(Hwnd(), &before);
    ui::PlaceDialog(Hwnd());
    GetWindowRect(Hwnd(), &after);
    EndDialog(IDOK);
    return TRUE;
  }
  POINT mStart;
};

RECT PlaceFrom(LONG x, LONG y, RECT* before = nullptr) {
  PlacedProbe probe({x, y});
  EXPECT_EQ(probe.DoModal(nullptr), IDOK);
  if (before) *before = probe.before;
  return probe.after;
}

LONG Width(const RECT& r) { return r.right - r.left; }
LONG Height(const RECT& r) { return r.bottom - r.top; }

}  // namespace

// The arithmetic is DialogPosition's; here a real dialog, its own size and its monitor's work
// area: one that fits stays, one past an edge ends on that edge.
TEST(DialogPlacement, ADialogIsMovedOnlyAsFarAsItMustToLieWholeInTheWorkArea) {
  const struct {
    const char* name;
    LONG x, y;
    bool keepsStart, onBottomRight, onTopLeft;
  } cases[] = {{"fits", 120, 90, true, false, false},
               {"far past the bottom right", 6000, 5000, false, true, false},
               {"far off to the top left", -6000, -5000, false, false, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    RECT before;
    const RECT after = PlaceFrom(c.x, c.y, &before);
    const RECT area = ui::WorkAreaFor(after);
    EXPECT_EQ(Width(after), Width(before));
    EXPECT_EQ(Height(after), Height(before));
    EXPECT_EQ(c.keepsStart, after.left == c.x && after.top == c.y);
    EXPECT_EQ(c.onBottomRight, after.right == area.right && after.bottom == area.bottom);
    EXPECT_EQ(c.onTopLeft, after.left == area.left && after.top == area.top);
  }
}
