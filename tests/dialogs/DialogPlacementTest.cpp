// Dialog placement: centred over a reference, kept inside the work area.
#include <gtest/gtest.h>
#include <windows.h>

#include "ui/DialogPlacement.h"
#include "ui/ModalDialog.h"
#include "res/resource.h"

namespace {

const RECT kWorkArea = {0, 0, 1024, 740};

RECT Sized(LONG left, LONG top, LONG width, LONG height) { return {left, top, left + width, top + height}; }

POINT PlaceOverItself(const RECT& window) { return ui::ComputeDialogPosition(window, window, kWorkArea); }

}  // namespace

TEST(DialogPosition, AWindowInsideTheWorkAreaStaysWhereItIs) {
  POINT at = PlaceOverItself(Sized(200, 150, 300, 120));
  EXPECT_EQ(at.x, 200);
  EXPECT_EQ(at.y, 150);
  // Touching the edges is inside.
  at = PlaceOverItself(Sized(0, 0, 1024, 740));
  EXPECT_EQ(at.x, 0);
  EXPECT_EQ(at.y, 0);
}

TEST(DialogPosition, IsCentredOverTheReference) {
  POINT at = ui::ComputeDialogPosition(Sized(0, 0, 200, 100), Sized(100, 100, 600, 400), kWorkArea);
  EXPECT_EQ(at.x, 100 + 300 - 100);
  EXPECT_EQ(at.y, 100 + 200 - 50);
}

TEST(DialogPosition, IsPulledBackInsideFromEveryEdge) {
  struct Case {
    const char* name;
    RECT window;
    POINT expected;
  } cases[] = {
      {"past the bottom", Sized(300, 700, 300, 120), {300, 740 - 120}},
      {"past the right", Sized(900, 200, 300, 120), {1024 - 300, 200}},
      {"past the bottom right corner", Sized(1000, 730, 300, 120), {1024 - 300, 740 - 120}},
      {"left of the area", Sized(-50, 200, 300, 120), {0, 200}},
      {"above the area", Sized(200, -30, 300, 120), {200, 0}},
      {"far off screen to the top left", Sized(-5000, -4000, 300, 120), {0, 0}},
      {"far off screen to the bottom right", Sized(8000, 9000, 300, 120), {1024 - 300, 740 - 120}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    POINT at = PlaceOverItself(c.window);
    EXPECT_EQ(at.x, c.expected.x);
    EXPECT_EQ(at.y, c.expected.y);
  }
}

TEST(DialogPosition, AWindowLargerThanTheAreaKeepsItsTopLeftCornerVisible) {
  for (RECT window : {Sized(-100, 50, 1200, 900), Sized(300, -500, 1200, 900), Sized(-900, -900, 1200, 900)}) {
    POINT at = PlaceOverItself(window);
    EXPECT_EQ(at.x, 0);
    EXPECT_EQ(at.y, 0);
  }
}

TEST(DialogPosition, WorksInAWorkAreaThatDoesNotStartAtTheOrigin) {
  const RECT secondMonitor = {1024, -200, 2048, 568};
  POINT at = ui::ComputeDialogPosition(Sized(1900, 500, 300, 120), Sized(1900, 500, 300, 120), secondMonitor);
  EXPECT_EQ(at.x, 2048 - 300);
  EXPECT_EQ(at.y, 568 - 120);
  at = ui::ComputeDialogPosition(Sized(1000, -300, 300, 120), Sized(1000, -300, 300, 120), secondMonitor);
  EXPECT_EQ(at.x, 1024);
  EXPECT_EQ(at.y, -200);
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

TEST(DialogPlacement, ADialogCrossingTheBottomMovesUpUntilItsBottomMeetsTheWorkArea) {
  RECT before;
  const RECT area = ui::WorkAreaFor(RECT{0, 0, 10, 10});
  RECT after = PlaceFrom(200, area.bottom - 40, &before);
  EXPECT_EQ(after.bottom, area.bottom);
  EXPECT_EQ(after.left, 200);
  EXPECT_EQ(Width(after), Width(before));
  EXPECT_EQ(Height(after), Height(before));
}

TEST(DialogPlacement, ADialogOffScreenIsBroughtBackWholeIntoTheWorkArea) {
  struct Case {
    const char* name;
    LONG x, y;
    bool towardsTopLeft;
  } cases[] = {{"past the bottom right", 900, 700, false},
               {"far past the bottom right", 6000, 5000, false},
               {"above and left", -200, -100, true},
               {"far off to the top left", -6000, -5000, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RECT before;
    RECT after = PlaceFrom(c.x, c.y, &before);
    const RECT area = ui::WorkAreaFor(after);
    EXPECT_GE(after.left, area.left);
    EXPECT_GE(after.top, area.top);
    EXPECT_LE(after.right, area.right);
    EXPECT_LE(after.bottom, area.bottom);
    EXPECT_EQ(Width(after), Width(before));
    EXPECT_EQ(Height(after), Height(before));
    if (c.towardsTopLeft) {
      EXPECT_EQ(after.left, area.left);
      EXPECT_EQ(after.top, area.top);
    } else {
      EXPECT_EQ(after.right, area.right);
      EXPECT_EQ(after.bottom, area.bottom);
    }
  }
}

TEST(DialogPlacement, ADialogThatFitsIsNotMoved) {
  RECT after = PlaceFrom(120, 90);
  EXPECT_EQ(after.left, 120);
  EXPECT_EQ(after.top, 90);
}
