// A row with one clickable line of text ("Add a Server...", the paging links). It only
// reports the click to its parent with WM_LINK_CLICKED (wParam its binding, lParam its
// window); the parent decides what it does.
#pragma once
#include <windows.h>

#include <string>

#include "res/resource.h"
#include "ui/controls/HyperLink.h"
#include "ui/popup/Item.h"

namespace ui {

class LinkItem : public Item {
 public:
  LinkItem(const std::wstring& text, bool centred);
  ~LinkItem() override;

  HWND CreateRow(HWND parent, const RECT& rect);
  void SetBackgroundBrush(HBRUSH brush) { mBackground = brush; }
  void SetTopLinePen(HPEN pen) { mTopLine = pen; }
  CHyperLink& Link() { return mLink; }
  // A recycled row shows another text (or the same), under a new binding.
  void SetText(const std::wstring& text);
  // Names what the row shows now: a click posted before the row was recycled carries an
  // older binding, so the parent can tell it from a click on the new text.
  UINT_PTR Binding() const { return mBinding; }

  VMPtr GetVM() const override { return nullptr; }
  std::wstring GetName() const override { return mText; }
  const std::wstring& Text() const { return mText; }
  bool IsExpandable() const override { return false; }

 protected:
  void Layout() override;
  void CreateChildren() override;
  void DestroyChildren() override;
  void DrawContent(HDC dc, const RECT& client) override;
  void PaintPlacedChildren(Placed how, const PlacedDrawing& drawing) override;
  std::vector<HWND> ChildWindows() const override { return {mLink.Hwnd()}; }
  void OnExpandedChanged() override {}
  void OnCommand(WPARAM wParam, LPARAM lParam) override;
  bool OnKeyDown(UINT) override { return false; }
  void HandleTimer(UINT_PTR) override {}
  bool CanToggleAt(POINT) override { return false; }
  void SetBackground(HBRUSH) override {}

  // The link fills behind its text with what the row answers here: the row's own colour.
  ZW_BEGIN_MSG_MAP()
    ZW_MESSAGE_HANDLER(WM_CTLCOLORSTATIC, OnControlColour)
    ZW_CHAIN_MSG_MAP(Item)
  ZW_END_MSG_MAP()
  LRESULT OnControlColour(UINT, WPARAM, LPARAM, BOOL&) {
    return reinterpret_cast<LRESULT>(mBackground ? mBackground : GetStockObject(WHITE_BRUSH));
  }

 private:
  HFONT mFont = nullptr;
  HPEN mTopLine = nullptr;
  HBRUSH mBackground = nullptr;
  CHyperLink mLink;
  int mTextHeight = 0;  // of one line in the link's fonts, measured once
  std::wstring mText;
  const bool mCentred;
  UINT_PTR mBinding;
};

}  // namespace ui
