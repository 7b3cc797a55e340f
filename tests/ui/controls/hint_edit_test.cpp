// The search box: what its keys do and tell the popup, its font, and the grey hint.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/PopupTestSupport.h"
#include "ui/controls/HintEdit.h"
#include "ui/window/Messages.h"

using popuptest::CountColour;
using popuptest::PumpFor;

namespace {

const COLORREF kHintGrey = RGB(87, 87, 87);

// A search box in a parent that stands in for the popup (reflects and records).
struct SearchBox {
  popuptest::Parent host;
  ui::HintEdit edit;
  HWND hwnd = nullptr;

  explicit SearchBox(DWORD style = ES_AUTOHSCROLL) {
    host.CreateParent(300, 140);
    hwnd = edit.Create(host.Hwnd(), L"", WS_CHILD | WS_VISIBLE | WS_BORDER | style, 0, RECT{10, 10, 210, 34}, 31);
    edit.SetHintText(L"Search virtual machines");
    SetFocus(host.Hwnd());
    PumpFor(0);
    host.Clear();
  }
  std::wstring Text() const { return popuptest::TextOf(hwnd); }
  int HintPixels() { return CountColour(popuptest::ClientPixels(hwnd), kHintGrey); }
};

}  // namespace

TEST(HintEdit, KeysClearTheSearchHideThePopupOrEndTheSearchAndTextSetByTheProgramIsAnnounced) {
  const struct {
    const char* what;
    DWORD style;  // multi-line ones would insert a line break or a tab themselves
    const wchar_t* text;
    wchar_t key;
    const wchar_t* after;
    bool changed;
    int done, hide;
  } rows[] = {
      {"Escape with text empties it", ES_AUTOHSCROLL, L"web", VK_ESCAPE, L"", true, 0, 0},
      {"Escape on an empty box hides the popup", ES_AUTOHSCROLL, L"", VK_ESCAPE, L"", false, 0, 1},
      {"Enter ends the search and keeps the text", ES_MULTILINE | ES_WANTRETURN, L"db01", VK_RETURN, L"db01", false, 1, 0},
      {"Tab is swallowed", ES_MULTILINE, L"a", VK_TAB, L"a", false, 0, 0},
      {"other characters are typed", ES_AUTOHSCROLL, L"", L'v', L"v", true, 0, 0},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    SearchBox box(row.style);
    SetWindowTextW(box.hwnd, row.text);
    PumpFor(0);
    box.host.Clear();
    SendMessageW(box.hwnd, WM_CHAR, row.key, 1);
    EXPECT_EQ(box.host.Count(WM_SEARCH_DONE), row.done) << "sent: handled before the key returns";
    EXPECT_EQ(box.host.Count(WM_HIDE_POPUP), 0) << "posted, not sent";
    PumpFor(0);
    EXPECT_EQ(box.Text(), row.after);
    EXPECT_EQ(box.host.Count(WM_HIDE_POPUP), row.hide);
    EXPECT_EQ(box.host.Count(WM_SEARCH_CHANGED) > 0, row.changed);
    for (UINT msg : {WM_SEARCH_CHANGED, WM_SEARCH_DONE}) {
      if (const popuptest::Posted* last = box.host.Last(msg)) {
        EXPECT_EQ(last->wParam, reinterpret_cast<WPARAM>(box.hwnd)) << "the box names itself";
      }
    }
  }

  // Text set by the program is announced: a multi-line edit reports no EN_CHANGE for
  // WM_SETTEXT itself, so what arrives is the box's. The box uses its own font.
  SearchBox box(ES_MULTILINE);
  SetWindowTextW(box.hwnd, L"prod");
  ASSERT_NE(box.host.Last(WM_COMMAND), nullptr);
  EXPECT_EQ(box.host.Last(WM_COMMAND)->wParam, MAKEWPARAM(31, EN_CHANGE));
  PumpFor(0);
  EXPECT_EQ(box.host.Count(WM_SEARCH_CHANGED), 1);

  ASSERT_NE(box.edit.Font(), nullptr);
  EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(box.hwnd, WM_GETFONT, 0, 0)), box.edit.Font());
}

TEST(HintEdit, TheHintIsDrawnOnlyWhileTheBoxIsEmptyAndUnfocused) {
  SearchBox box;
  const int hint = box.HintPixels();
  EXPECT_GT(hint, 20);
  EXPECT_EQ(box.Text(), L"") << "the hint is no text";
  popuptest::SaveScreenshot(box.host.Hwnd(), "controls/hint_edit_empty");
  SetFocus(box.hwnd);
  EXPECT_EQ(box.HintPixels(), 0);
  SetFocus(box.host.Hwnd());
  EXPECT_EQ(box.HintPixels(), hint);
  SetWindowTextW(box.hwnd, L"abc");
  PumpFor(0);
  EXPECT_EQ(box.HintPixels(), 0);
  popuptest::SaveScreenshot(box.host.Hwnd(), "controls/hint_edit_text");
  SetWindowTextW(box.hwnd, L"");
  PumpFor(0);
  EXPECT_EQ(box.HintPixels(), hint);
  box.edit.SetHintText(L"");
  EXPECT_EQ(box.HintPixels(), 0) << "no hint text, nothing grey";
}
