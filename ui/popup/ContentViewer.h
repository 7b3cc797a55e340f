// The scrolling list in the middle of the popup: Favorites, Recently Used, then one
// section per server, each a header and its rows. It keeps a fixed pool of VM row windows
// and binds them to the VMs in view during layout; large server sections fold into
// ranges and the search filters by name words, both by the section model (SectionModel.h);
// type-ahead moves the focus.
#pragma once
#include <windows.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "backend/OlvarkServer.h"
#include "ui/controls/BufferedScrollBar.h"
#include "ui/popup/Header.h"
#include "ui/popup/LinkItem.h"
#include "ui/popup/ListCanvas.h"
#include "ui/popup/SectionModel.h"
#include "ui/popup/SignalLinks.h"
#include "ui/popup/VMItem.h"
#include "ui/window/Messages.h"
#include "ui/window/Window.h"

class State;

namespace ui {

class ContentViewer : public WindowImpl {
 public:
  static constexpr UINT_PTR kTypeAheadTimer = 1;
  // Makes the link rows a large server will need while its VMs are searched, one per tick.
  static constexpr UINT_PTR kSpareLinkTimer = 2;
  // Goes on with the rebuilds that wait for their link texts (see PrepareLinkTexts).
  static constexpr UINT_PTR kPendingRebuildTimer = 3;
  // Lays out a large listing the tick after its entries were made (see RebuildSection).
  static constexpr UINT_PTR kListingLayoutTimer = 4;

  // state: the servers' owner, with the Favorites and Recently Used views.
  explicit ContentViewer(State& state);
  ~ContentViewer() override;

  HWND CreateViewer(HWND parent, const RECT& rect);
  void AddServerSection(const OlvarkServerPtr& server, bool startup);
  void SetFilter(const std::wstring& text);
  // The popup hides: no row stays hovered.
  void ClearHot();
  // Focuses the VM's row in Favorites and scrolls it into view; false when Favorites does
  // not show it (no longer a favorite, or filtered out).
  bool FocusFavorite(const VM* vm);
  // The power-state mark before each VM's name.
  void SetPowerMarksShown(bool shown);
  // Builds the section of this header again from its collection (also what a collection's
  // change asks for).
  void RebuildSection(Header* header);

  // What the list shows, for tests and benchmarks.
  const std::vector<std::unique_ptr<Section>>& Sections() const { return mSections; }
  size_t PoolSize() const { return mPool.size(); }
  bool RebuildPending(const Header* header) const { return mPendingRebuilds.count(header) != 0; }
  const std::vector<std::unique_ptr<VMItem>>& Pool() const { return mPool; }
  const Header* FocusHeader() const { return mFocus.header; }
  const VM* FocusVM() const { return mFocus.vm.get(); }
  // The window the headers, links and rows are children of.
  HWND RowParent() const { return mCanvas.Hwnd(); }
  bool IsScrollBarShown() const { return mScrollBarShown; }
  int ScrollPosition() const;
  bool NoMatch() const { return mNoMatch; }
  const std::wstring& SearchText() const { return mSearchText; }

 protected:
  const wchar_t* ClassName() const override { return L"Zandor Wickerlyn Content Viewer Window"; }
  WindowClassInfo GetClassInfo() const override {
    WindowClassInfo info;
    info.style = CS_OWNDC;  // as the rows (see Item): no cache DC to find at each paint
    return info;
  }

  ZW_BEGIN_MSG_MAP()
    ZW_MESSAGE_HANDLER(WM_CREATE, OnCreate)
    ZW_MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
    ZW_MESSAGE_HANDLER(WM_SIZE, OnRelayoutMessage)
    ZW_MESSAGE_HANDLER(WM_RELAYOUT, OnRelayoutMessage)
    ZW_MESSAGE_HANDLER(WM_PAINT, OnPaint)
    ZW_MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
    ZW_MESSAGE_HANDLER(WM_CHAR, OnChar)
    ZW_MESSAGE_HANDLER(WM_KEYDOWN, OnKeyDown)
    ZW_MESSAGE_HANDLER(WM_GETDLGCODE, OnGetDlgCode)
    ZW_MESSAGE_HANDLER(WM_NAVIGATE_KEY, OnNavigateKey)
    ZW_MESSAGE_HANDLER(WM_ITEM_FOCUSED, OnItemFocused)
    ZW_MESSAGE_HANDLER(WM_ITEM_UNFOCUSED, OnItemUnfocused)
    ZW_MESSAGE_HANDLER(WM_TIMER, OnTimer)
    ZW_MESSAGE_HANDLER(WM_MOUSEWHEEL, OnMouseWheel)
    ZW_MESSAGE_HANDLER(WM_VSCROLL, OnVScroll)
    ZW_MESSAGE_HANDLER(WM_FAVORITE_CHANGED, OnFavoriteChanged)
    ZW_MESSAGE_HANDLER(WM_RECENT_ADDED, OnRecentAdded)
    ZW_MESSAGE_HANDLER(WM_REMOVE_SERVER, OnRemoveServer)
    ZW_MESSAGE_HANDLER(WM_HIDE_POPUP, OnHidePopup)
    ZW_MESSAGE_HANDLER(WM_LINK_CLICKED, OnLinkClicked)
    ZW_REFLECT_NOTIFICATIONS()
  ZW_END_MSG_MAP()

 private:
  struct Focus {
    Header* header = nullptr;
    VMPtr vm;
    bool expanded = false;
  };

  LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnRelayoutMessage(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnPaint(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnEraseBackground(UINT, WPARAM, LPARAM, BOOL&) { return 1; }
  LRESULT OnChar(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnKeyDown(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnGetDlgCode(UINT, WPARAM, LPARAM, BOOL&) { return DLGC_WANTALLKEYS | DLGC_WANTCHARS; }
  LRESULT OnNavigateKey(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnItemFocused(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnItemUnfocused(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnTimer(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnMouseWheel(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnVScroll(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnFavoriteChanged(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnRecentAdded(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnRemoveServer(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnHidePopup(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnLinkClicked(UINT, WPARAM, LPARAM, BOOL&);

  Section* AppendSection(std::unique_ptr<Header> header);
  Section* FindSection(const Header* header) const;
  void ConnectRebuild(const VMCollectionPtr& collection, Header* header);
  void ClearSection(Section& section);
  void HideSpareLinks();
  void RelayoutEntry();
  void Relayout(bool compute);
  void Compute();
  // Puts the rows in view at their places. scrolled: the canvas was moved with its bits
  // already (ScrollTo), so only what came into view is painted.
  void Place(bool scrolled = false);
  // Moves the view to the scroll bar's position: by moving the canvas with its bits.
  void ScrollTo(int top);
  static bool InView(int y, int h, int top, int viewHeight);
  void ScrollIntoView(int y, int h);
  void ScrollSectionIntoView(const Section& section);
  // The layout a large listing left for the next tick, then its scroll into view.
  void LayOutListing();
  // Entries from which a listing's layout waits for the next tick.
  static constexpr size_t kLayoutApartEntries = 1000;
  void ScrollBy(int delta);
  void SetScrollPosition(int position);
  int ClientHeight() const;
  // Several views, so that most steps of the wheel only move the canvas.
  int CanvasHeight() const;
  void ApplyFilter();
  void SetFocusTo(Header* header, const VMPtr& vm);
  void ClearFocus();
  void ScrollFocusIntoView();
  void InsertByName(Section& section, const VMPtr& vm);
  void TypeAhead(wchar_t ch);
  std::unique_ptr<LinkItem> MakeLink(const std::wstring& text);
  std::unique_ptr<LinkItem> NewLink(const std::wstring& text);
  // The spare link rows the sections being searched may need: those that hold none yet.
  size_t SpareLinksWanted() const;
  void MakeSpareLinksAhead();
  // Gives spare links, a few per call, the texts the paged listing of vms needs that no
  // link of the section or spare shows yet; true once none is missing. A rebuild that
  // waits for them keeps the section as it was and goes on at the next timer tick, after
  // input and paints: a new listing of a large server changes some twenty texts.
  bool PrepareLinkTexts(const Section& section, const VMList& vms);
  void ContinuePendingRebuilds();

  State& mState;
  Header* mFavoritesHeader = nullptr;  // owned by their sections
  Header* mRecentHeader = nullptr;
  std::vector<std::unique_ptr<Section>> mSections;
  ListCanvas mCanvas;
  int mCanvasTop = 0;  // the list's y at the canvas's top
  BufferedScrollBar mScrollBarControl;
  HWND mScrollBar = nullptr;  // the control's window
  bool mScrollBarShown = false;
  int mPlacedTop = 0;  // the scroll position of the last Place
  bool mMessagePainted = false;  // the last Place painted the explanation or "no match"
  std::set<const Header*> mNoAutoScroll;
  Focus mFocus;
  HFONT mFont = nullptr;
  std::wstring mNotConnectedText;
  HBRUSH mHoverFrame = nullptr;
  HBRUSH mHoverFill = nullptr;
  HBRUSH mSelectionFrame = nullptr;
  HBRUSH mSelectionFill = nullptr;
  bool mLayoutSuspended = false;
  // A rebuild that a collection's change asked for leaves its paints to the message loop,
  // one window at a time, so that no single message holds the thread for them all.
  bool mPaintLater = false;
  bool mSpareLinkTimer = false;
  // A large listing's entries are made, its layout waits for the next tick; and the
  // section to bring into view then, if its listing asked for it.
  bool mLayoutDue = false;
  const Header* mScrollDue = nullptr;
  std::set<const Header*> mPendingRebuilds;
  const Header* mPreparing = nullptr;  // the pending listing whose link texts are being set
  bool mTypeAheadFailed = false;
  std::wstring mTypeAhead;
  std::wstring mSearchText;
  bool mNoMatch = false;
  std::wstring mNoMatchText;
  std::vector<std::unique_ptr<VMItem>> mPool;
  // Link rows of earlier rebuilds, hidden, for the next one: creating windows is the
  // costly part of a rebuild.
  std::vector<std::unique_ptr<LinkItem>> mSpareLinks;
};

}  // namespace ui
