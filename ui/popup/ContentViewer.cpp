#include "ui/popup/ContentViewer.h"

#include <windowsx.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <iterator>

#include "log/Log.h"
#include "res/resource.h"
#include "services/StringResource.h"
#include "services/TextConversion.h"
#include "state/State.h"
#include "ui/popup/PlacedDrawing.h"
#include "ui/popup/PlacementPass.h"
#include "ui/popup/PopupParts.h"
#include "ui/window/LayoutMetrics.h"
#include "ui/window/Messages.h"
#include "ui/window/Module.h"

namespace ui {
ContentViewer::ContentViewer(State& state) : mState(state) {}

ContentViewer::~ContentViewer() {
  for (auto& section : mSections) section->links.reset();
  DestroyWindow();
}

HWND ContentViewer::CreateViewer(HWND parent, const RECT& rect) {
  return Create(parent, nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, rect);
}

int ContentViewer::ClientHeight() const {
  RECT client;
  GetClientRect(Hwnd(), &client);
  return client.bottom;
}

int ContentViewer::CanvasHeight() const { return 8 * std::max(ClientHeight(), utils::LINE_HEIGHT); }

int ContentViewer::ScrollPosition() const {
  if (!mScrollBar) return 0;
  SCROLLINFO info = {sizeof info, SIF_POS};
  GetScrollInfo(mScrollBar, SB_CTL, &info);
  return info.nPos;
}

std::unique_ptr<LinkItem> ContentViewer::MakeLink(const std::wstring& text) {
  if (!mSpareLinks.empty()) {
    // One that shows this text already (a rebuild of the same list) costs no window
    // operation; any other is given the text.
    auto same = std::find_if(mSpareLinks.begin(), mSpareLinks.end(),
                             [&](const std::unique_ptr<LinkItem>& link) { return link->Text() == text; });
    if (same == mSpareLinks.end()) same = std::prev(mSpareLinks.end());
    std::unique_ptr<LinkItem> spare = std::move(*same);
    mSpareLinks.erase(same);
    spare->SetText(text);
    return spare;
  }
  return NewLink(text);
}

std::unique_ptr<LinkItem> ContentViewer::NewLink(const std::wstring& text) {
  auto link = std::make_unique<LinkItem>(text, false);
  link->SetBackgroundBrush(static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  link->Create(mCanvas.Hwnd(), text.c_str(), WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0,
               RECT{0, 0, 10, utils::LINE_HEIGHT});
  return link;
}

Section* ContentViewer::AppendSection(std::unique_ptr<Header> header) {
  auto section = std::make_unique<Section>();
  section->header = std::move(header);
  mSections.push_back(std::move(section));
  return mSections.back().get();
}

Section* ContentViewer::FindSection(const Header* header) const {
  for (const auto& section : mSections) {
    if (section->header.get() == header) return section.get();
  }
  return nullptr;
}

void ContentViewer::ConnectRebuild(const VMCollectionPtr& collection, Header* header) {
  Section* section = FindSection(header);
  if (!section) return;
  section->links = std::make_unique<SignalLinks>();
  section->links->SetWindow(Hwnd());
  section->links->Connect(collection, collection->mChanged, [this, header] {
    const bool paintLater = mPaintLater;
    mPaintLater = true;
    RebuildSection(header);
    mPaintLater = paintLater;
  });
}

size_t ContentViewer::SpareLinksWanted() const {
  size_t wanted = 0;
  for (const auto& section : mSections) {
    const int state = section->header->GetCollection()->GetState();
    const bool searching = state == VMCollection::STATE_LOGGING_IN || state == VMCollection::STATE_ENUMERATING;
    if (searching && section->header->GroupsLargeLists() && !section->showAll) wanted += kMaxPages + 1;
  }
  return wanted;
}

void ContentViewer::MakeSpareLinksAhead() {
  // Creating a window is the costly part of a first listing (several milliseconds each
  // under Wine); made while the search runs, one per timer tick, they cost the listing
  // nothing, and the timer's low priority lets input and paints go first.
  if (mSpareLinkTimer || mSpareLinks.size() >= SpareLinksWanted()) return;
  mSpareLinkTimer = SetTimer(Hwnd(), kSpareLinkTimer, 0, nullptr) != 0;
}

LRESULT ContentViewer::OnCreate(UINT, WPARAM, LPARAM, BOOL&) {
  mFont = CreatePopupFont();
  mNotConnectedText = utils::LoadStringResource(IDS_NOT_CONNECTED);
  mNoMatchText = utils::LoadStringResource(IDS_NO_MATCH);
  mHoverFrame = CreateSolidBrush(RGB(185, 215, 252));
  mHoverFill = CreateSolidBrush(RGB(244, 249, 255));
  mSelectionFrame = CreateSolidBrush(RGB(132, 172, 221));
  mSelectionFill = CreateSolidBrush(RGB(218, 235, 255));
  mCanvas.CreateCanvas(Hwnd());
  mScrollBar = mScrollBarControl.CreateVertical(Hwnd());

  struct Fixed {
    UINT title;
    VMCollectionPtr collection;
    Header** slot;
  };
  const Fixed fixed[] = {{IDS_FAVORITES, mState.GetFavorites(), &mFavoritesHeader},
                         {IDS_RECENTLY_USED, mState.GetRecent(), &mRecentHeader}};
  for (const Fixed& f : fixed) {
    auto header = std::make_unique<Header>(utils::LoadStringResource(f.title), f.collection, false, false, false,
                                           std::wstring());
    Header* raw = header.get();
    AppendSection(std::move(header));
    raw->Create(mCanvas.Hwnd(), raw->GetTitle().c_str(), WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0,
                RECT{0, 0, 10, 10});
    *f.slot = raw;
    ConnectRebuild(f.collection, raw);
  }

  const size_t poolSize = static_cast<size_t>(std::max(0, ClientHeight()) / utils::LINE_HEIGHT + 3);
  for (size_t i = 0; i < poolSize; ++i) {
    auto row = std::make_unique<VMItem>();
    row->SetColors(mFont, mHoverFrame, mHoverFill, mSelectionFrame, mSelectionFill);
    row->Create(mCanvas.Hwnd(), L"", WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, RECT{0, 0, 10, utils::LINE_HEIGHT});
    mPool.push_back(std::move(row));
  }
  RebuildSection(mFavoritesHeader);
  RebuildSection(mRecentHeader);
  RelayoutEntry();
  return 0;
}

LRESULT ContentViewer::OnDestroy(UINT, WPARAM, LPARAM, BOOL&) {
  for (auto& section : mSections) {
    section->links.reset();
    ClearSection(*section);
    section->header.reset();
  }
  mSections.clear();
  mFavoritesHeader = mRecentHeader = nullptr;
  mPool.clear();
  mSpareLinks.clear();
  for (HBRUSH* brush : {&mHoverFrame, &mHoverFill, &mSelectionFrame, &mSelectionFill}) {
    if (*brush) DeleteObject(*brush);
    *brush = nullptr;
  }
  if (mFont) DeleteObject(mFont);
  mFont = nullptr;
  mScrollBarControl.DestroyWindow();
  mScrollBar = nullptr;
  mCanvas.DestroyWindow();
  return 0;
}

void ContentViewer::AddServerSection(const OlvarkServerPtr& server, bool startup) {
  if (!server || !IsWindow()) return;
  auto header = std::make_unique<Header>(utils::ToWideString(server->GetName()), server, true, true, true,
                                         utils::LoadStringResource(IDS_SEARCHING_INVENTORY));
  Header* raw = header.get();
  if (startup) mNoAutoScroll.insert(raw);
  raw->Create(mCanvas.Hwnd(), raw->GetTitle().c_str(), WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0,
              RECT{0, 0, 10, 10});
  AppendSection(std::move(header));
  ConnectRebuild(server, raw);
  RebuildSection(raw);
  RelayoutEntry();
  // Servers restored at start-up leave the view at the top; one the user adds comes into it.
  if (startup) return;
  if (Section* section = FindSection(raw)) ScrollIntoView(section->headerY, raw->GetHeight());
}

void ContentViewer::ClearSection(Section& section) {
  // Spares stay where they are until the next placing: one that the rebuild takes again
  // is then neither hidden nor shown (HideSpareLinks hides the rest).
  auto keep = [this](std::unique_ptr<LinkItem> link) {
    if (link) mSpareLinks.push_back(std::move(link));
  };
  keep(std::move(section.showAll));
  for (SectionPage& page : section.pages) keep(std::move(page.link));
  section.pages.clear();
  section.entries.clear();
}

bool ContentViewer::PrepareLinkTexts(const Section& section, const VMList& vms) {
  const std::vector<size_t> pages = PageSizes(vms.size());
  if (pages.empty()) return true;
  const std::vector<std::wstring> texts =
      PagedLinkTexts(pages, vms.size(), [&vms](size_t vm) { return vms[vm]->GetWideName(); });
  std::multiset<std::wstring> missing(texts.begin(), texts.end());
  auto shown = [&missing](const LinkItem* link) {
    auto it = link ? missing.find(link->Text()) : missing.end();
    if (it == missing.end()) return false;
    missing.erase(it);
    return true;
  };
  shown(section.showAll.get());
  for (const SectionPage& page : section.pages) shown(page.link.get());
  std::vector<LinkItem*> free;
  for (const auto& spare : mSpareLinks) {
    if (!shown(spare.get())) free.push_back(spare.get());
  }
  // A few milliseconds of window work per call under Wine: a new text costs about one, a
  // new window about four.
  constexpr int kWorkPerCall = 4, kTextWork = 1, kWindowWork = 4;
  int work = 0;
  for (auto it = missing.begin(); it != missing.end(); it = missing.erase(it)) {
    if (work >= kWorkPerCall) return false;
    if (!free.empty()) {
      free.back()->SetText(*it);
      free.pop_back();
      work += kTextWork;
    } else {
      mSpareLinks.push_back(NewLink(*it));
      work += kWindowWork;
    }
  }
  return true;
}

void ContentViewer::ContinuePendingRebuilds() {
  std::set<const Header*> pending;
  pending.swap(mPendingRebuilds);
  const bool paintLater = mPaintLater;
  mPaintLater = true;
  for (const auto& section : mSections) {
    if (pending.count(section->header.get())) RebuildSection(section->header.get());
  }
  mPaintLater = paintLater;
  if (mPendingRebuilds.empty()) KillTimer(Hwnd(), kPendingRebuildTimer);
}

void ContentViewer::RebuildSection(Header* header) {
  Section* section = FindSection(header);
  if (!section || !header->IsWindow()) return;
  const VMCollectionPtr& collection = header->GetCollection();
  const int state = collection->GetState();
  // Only a change of the collection waits; a rebuild the user or a test asks for is whole
  // at once. The section is built from the list as it is when the texts are ready.
  // One listing prepares its texts at a time: two would take the same spare links back
  // from each other on every tick, and neither would ever be listed.
  if (mPaintLater && state == VMCollection::STATE_ENUMERATED && header->GroupsLargeLists() &&
      ((mPreparing && mPreparing != header) || !PrepareLinkTexts(*section, collection->GetVMs()))) {
    if (!mPreparing) mPreparing = header;
    if (mPendingRebuilds.empty()) SetTimer(Hwnd(), kPendingRebuildTimer, 0, nullptr);
    mPendingRebuilds.insert(header);
    return;
  }
  if (mPreparing == header) mPreparing = nullptr;
  mPendingRebuilds.erase(header);
  KnownEntries known(section->entries);
  ClearSection(*section);
  const bool serverHeader = header != mFavoritesHeader && header != mRecentHeader;
  if (serverHeader) MakeSpareLinksAhead();
  if (state == VMCollection::STATE_ENUMERATED) {
    VMList vms = collection->GetVMs();
    const std::vector<size_t> pages = header->GroupsLargeLists() ? PageSizes(vms.size()) : std::vector<size_t>();
    if (pages.empty()) {
      section->entries.reserve(vms.size());
      for (const VMPtr& vm : vms) section->entries.push_back(known.Take(vm, true));
    } else {
      section->entries.reserve(vms.size() + pages.size() + 1);
      FillPagedSection(
          *section, pages, vms.size(), [&](size_t vm) { return vms[vm]->GetWideName(); },
          [this](const std::wstring& text) { return MakeLink(text); },
          [&](size_t vm) { return known.Take(vms[vm], false); });
    }
    if (serverHeader) {
      mLayoutSuspended = true;
      mState.GetFavorites()->Refresh();
      mState.GetRecent()->Refresh();
      mLayoutSuspended = false;
    }
  }
  if (!mSearchText.empty() && !mLayoutSuspended) ApplyFilter();
  // Only the end of an enumeration moves the view, not a repeated report of the same state.
  const bool ended = state != section->lastState &&
                     (state == VMCollection::STATE_ENUMERATED || state == VMCollection::STATE_ENUM_FAILED);
  section->lastState = state;
  const bool intoView = serverHeader && !header->IsCollapsed() && ended && !mNoAutoScroll.erase(header);
  // A large listing that the message loop paints is laid out at the next tick: making
  // tens of thousands of entries and placing its rows afresh are each a few milliseconds,
  // and together they would hold the thread for most of a frame.
  if (mPaintLater && section->entries.size() >= kLayoutApartEntries) {
    mLayoutDue = true;
    if (intoView) mScrollDue = header;
    SetTimer(Hwnd(), kListingLayoutTimer, 0, nullptr);
    return;
  }
  RelayoutEntry();
  if (intoView) ScrollSectionIntoView(*section);
}

void ContentViewer::ScrollSectionIntoView(const Section& section) {
  int height = section.header->GetHeight();
  for (const SectionEntry& entry : section.entries) height += entry.height;
  ScrollIntoView(section.headerY, height);
}

void ContentViewer::LayOutListing() {
  KillTimer(Hwnd(), kListingLayoutTimer);
  const Header* scrollDue = mScrollDue;
  mScrollDue = nullptr;
  if (mLayoutDue) {
    const bool paintLater = mPaintLater;
    mPaintLater = true;
    RelayoutEntry();
    mPaintLater = paintLater;
  }
  if (const Section* section = FindSection(scrollDue)) ScrollSectionIntoView(*section);
}

void ContentViewer::RelayoutEntry() {
  if (mLayoutSuspended || !mFavoritesHeader || !mRecentHeader || !mFavoritesHeader->IsWindow() ||
      !mRecentHeader->IsWindow() || mPool.empty()) {
    return;
  }
  if (mSections.size() == 2) {
    ShowWindow(mFavoritesHeader->Hwnd(), SW_HIDE);
    ShowWindow(mRecentHeader->Hwnd(), SW_HIDE);
    ShowWindow(mScrollBar, SW_HIDE);
    ShowWindow(mCanvas.Hwnd(), SW_HIDE);
    SetScrollPos(mScrollBar, SB_CTL, 0, TRUE);
    mScrollBarShown = false;
    for (auto& row : mPool) {
      ShowWindow(row->Hwnd(), SW_HIDE);
      row->Reset();
    }
    HideSpareLinks();
    InvalidateRect(Hwnd(), nullptr, FALSE);
    UpdateWindow(Hwnd());
    mMessagePainted = true;
    return;
  }
  Relayout(true);
}

void ContentViewer::Relayout(bool compute) {
  if (compute) {
    Compute();
    mLayoutDue = false;
  }
  Place();
}

namespace {
// What a scroll bar shows: its place, its thumb and the state of its parts.
struct ScrollBarLook {
  SCROLLBARINFO info = {sizeof(SCROLLBARINFO)};
  bool known = false;  // an unknown look is never the same: the bar repaints
  bool operator==(const ScrollBarLook& other) const {
    return known && other.known && EqualRect(&info.rcScrollBar, &other.info.rcScrollBar) &&
           info.xyThumbTop == other.info.xyThumbTop && info.xyThumbBottom == other.info.xyThumbBottom &&
           std::equal(std::begin(info.rgstate), std::end(info.rgstate), std::begin(other.info.rgstate));
  }
};

ScrollBarLook LookOf(HWND bar) {
  ScrollBarLook look;
  look.known = GetScrollBarInfo(bar, OBJID_CLIENT, &look.info) != FALSE;
  return look;
}
}  // namespace

void ContentViewer::Compute() {
  int bottom = 0;  // of what is laid out so far
  const int R = utils::LINE_HEIGHT;
  for (auto& section : mSections) {
    if (!section->headerShown) continue;
    section->headerY = bottom;
    bottom += section->header->GetHeight();
    if (section->header->IsCollapsed()) continue;
    const bool focusSection = section->header.get() == mFocus.header;
    for (SectionEntry& entry : section->entries) {
      if (!entry.visible) continue;
      entry.y = bottom;
      entry.height = (entry.kind == SectionEntry::VM_ROW && focusSection && entry.vm == mFocus.vm && mFocus.expanded)
                         ? 2 * R
                         : R;
      bottom += entry.height;
    }
  }
  RECT client;
  GetClientRect(Hwnd(), &client);
  mScrollBarShown = bottom > client.bottom;
  if (mScrollBarShown) {
    const int width = GetSystemMetrics(SM_CXVSCROLL);
    PlaceChild(mScrollBar, client.right - width, 0, width, client.bottom, true);
    // The bar redraws only when its range or page really changed.
    SCROLLINFO now = {sizeof now, SIF_RANGE | SIF_PAGE};
    GetScrollInfo(mScrollBar, SB_CTL, &now);
    if (now.nMin != 0 || now.nMax != bottom - 1 || now.nPage != static_cast<UINT>(client.bottom)) {
      // Drawn with the rest of the view when it is placed, not once more now.
      SCROLLINFO info = {sizeof info, SIF_RANGE | SIF_PAGE, 0, bottom - 1, static_cast<UINT>(client.bottom)};
      SetScrollInfo(mScrollBar, SB_CTL, &info, FALSE);
      InvalidateRect(mScrollBar, nullptr, TRUE);
    }
  } else {
    HideChild(mScrollBar);
    if (GetScrollPos(mScrollBar, SB_CTL) != 0) SetScrollPos(mScrollBar, SB_CTL, 0, FALSE);
  }
}

bool ContentViewer::InView(int y, int h, int top, int viewHeight) {
  return (y > top && y < top + viewHeight) || (y + h > top && y + h < top + viewHeight);
}

namespace {
// The focus as a layout pass sees it: asked when first needed, and again only after the
// pass moved it (each ask is a round trip under Wine, and a pass hides a dozen children).
class FocusSeen {
 public:
  HWND Get() {
    if (!mKnown) mFocus = GetFocus();
    mKnown = true;
    return mFocus;
  }
  void Moved() { mKnown = false; }

 private:
  HWND mFocus = nullptr;
  bool mKnown = false;
};
}  // namespace

void ContentViewer::Place(bool scrolled) {
  const int top = mScrollBarShown ? ScrollPosition() : 0;
  mPlacedTop = top;
  const int viewHeight = ClientHeight();
  RECT client;
  GetClientRect(Hwnd(), &client);
  const int width = client.right - (mScrollBarShown ? GetSystemMetrics(SM_CXVSCROLL) : 0);
  // The canvas covers the view; a view that leaves it moves it, centred on the view. The
  // explanation and "no match" are the list's own paint, which it would cover.
  const int canvasHeight = CanvasHeight();
  if (top < mCanvasTop || top + viewHeight > mCanvasTop + canvasHeight) {
    mCanvasTop = std::max(0, top - (canvasHeight - viewHeight) / 2);
  }
  const int origin = mCanvasTop;
  const bool message = mSections.size() <= 2 || mNoMatch;
  if (message) {
    HideChild(mCanvas.Hwnd());
  } else {
    PlaceChild(mCanvas.Hwnd(), 0, origin - top, width, canvasHeight, true);
  }
  const RECT view = {0, top - origin, width, top - origin + viewHeight};
  // Headers and links have a window each; VM rows in view are gathered for the pool.
  struct Wanted {
    Header* header;
    const SectionEntry* entry;
    VMItem* row;
  };
  std::vector<Wanted> wanted;
  FocusSeen focus;
  const auto hide = [&focus](HWND child) {
    if (HasVisibleStyle(child) && HideChild(child, focus.Get())) focus.Moved();
  };
  // What goes is hidden as the pass finds it; what stays or comes is placed once all that
  // goes is hidden, and a header, link or row placed afresh is painted with its children
  // at the end, so the paint that follows does not look for it (a round trip each).
  PlacementPass pass(width, view, mPaintLater);
  Header* headerToFocus = nullptr;
  for (auto& section : mSections) {
    Header* header = section->header.get();
    const bool headerInView = section->headerShown && InView(section->headerY, header->GetHeight(), top, viewHeight);
    if (!headerInView) {
      hide(header->Hwnd());
    } else {
      pass.Add(header, header->Hwnd(), section->headerY - origin, header->GetHeight());
      if (header == mFocus.header && !mFocus.vm) headerToFocus = header;
    }
    if (!section->headerShown || header->IsCollapsed()) {
      for (SectionEntry& entry : section->entries) {
        if (entry.kind == SectionEntry::LINK_ROW) hide(entry.link->Hwnd());
      }
      continue;
    }
    for (SectionEntry& entry : section->entries) {
      const bool placed = entry.visible && InView(entry.y, entry.height, top, viewHeight);
      if (entry.kind == SectionEntry::LINK_ROW) {
        if (!placed) {
          hide(entry.link->Hwnd());
        } else {
          pass.Add(entry.link, entry.link->Hwnd(), entry.y - origin, entry.height);
        }
      } else if (placed && std::dynamic_pointer_cast<QorVM>(entry.vm)) {
        wanted.push_back({header, &entry, nullptr});
      }
    }
  }
  // 1. A row keeps its VM where that VM's entry is still at the row's place, and the focused
  // row keeps it wherever its entry is. Every other bound row is free for an entry: one
  // now at its place is bound there, so a step that changes what is listed changes texts
  // rather than moving windows.
  auto wantedOf = [&](const VMItem& row) -> Wanted* {
    for (Wanted& w : wanted) {
      if (!w.row && w.entry->vm == row.GetVM() && reinterpret_cast<UINT_PTR>(w.header) == row.GetTag()) return &w;
    }
    return nullptr;
  };
  std::vector<VMItem*> free;
  for (auto& row : mPool) {
    const VMPtr vm = row->GetVM();
    if (!vm) {
      free.push_back(row.get());
      continue;
    }
    const bool focusRow = reinterpret_cast<UINT_PTR>(mFocus.header) == row->GetTag() && vm == mFocus.vm;
    Wanted* w = wantedOf(*row);
    if (w && (focusRow || IsAt(row->Hwnd(), 0, w->entry->y - origin, width, w->entry->height))) {
      w->row = row.get();
      continue;
    }
    if (focusRow && focus.Get() == row->Hwnd()) {
      SetFocus(Hwnd());
      focus.Moved();
    }
    free.push_back(row.get());
  }
  // 2. The entries left take a free row: first one at their place, then one that shows
  // their VM already, then any (a bound one before a hidden one: it is shown already).
  std::stable_partition(free.begin(), free.end(), [](VMItem* row) { return row->GetVM() != nullptr; });
  auto take = [&free](const std::function<bool(VMItem*)>& fits) -> VMItem* {
    auto it = std::find_if(free.begin(), free.end(), fits);
    if (it == free.end()) return nullptr;
    VMItem* row = *it;
    free.erase(it);
    return row;
  };
  for (Wanted& w : wanted) {
    if (w.row) continue;
    const int y = w.entry->y - origin;
    w.row = take([&](VMItem* row) { return IsAt(row->Hwnd(), 0, y, width, w.entry->height); });
    if (!w.row) w.row = take([&](VMItem* row) { return row->GetVM() == w.entry->vm; });
    if (!w.row) w.row = take([](VMItem*) { return true; });
  }
  // 3. Rows no entry took hide and give their binding back (hidden first, so that nothing
  // of theirs repaints on the way out); then the rows are bound, and all is placed.
  for (VMItem* row : free) {
    hide(row->Hwnd());
    if (row->GetVM()) row->Reset();
  }
  for (auto& link : mSpareLinks) hide(link->Hwnd());
  std::vector<std::pair<VMItem*, size_t>> rows;
  for (const Wanted& w : wanted) {
    if (!w.row) continue;  // the pool covers the view; never move a row not found
    const bool focused = w.header == mFocus.header && w.entry->vm == mFocus.vm;
    const UINT_PTR tag = reinterpret_cast<UINT_PTR>(w.header);
    w.row->HoldPaint();
    w.row->Bind(std::static_pointer_cast<QorVM>(w.entry->vm), tag, focused, focused && mFocus.expanded);
    if (focused) focus.Moved();  // the row takes it
    rows.emplace_back(w.row, pass.Add(w.row, w.row->Hwnd(), w.entry->y - origin, w.entry->height));
  }
  pass.PlaceAll();
  if (headerToFocus && focus.Get() != headerToFocus->Hwnd()) {
    SetFocus(headerToFocus->Hwnd());
    focus.Moved();
  }
  // A row rebound where it stands is drawn now, unless the list's paints wait for the
  // message loop (a listing's rebuild); one placed afresh is drawn with the others. Several
  // are drawn through one DC of the canvas, which costs a few round trips under Wine where
  // each row's own DC, once it moved, costs one; a row's own DC stays as its move left it.
  size_t toDraw = pass.PlacedCount();
  for (const auto& [row, index] : rows) toDraw += pass.HowPlaced(index) == Placed::kUnmoved && row->IsPaintDue();
  constexpr size_t kThroughTheCanvasFrom = 3;
  const PlacedDrawing drawing(mCanvas.Hwnd(),
                              !mPaintLater && toDraw >= kThroughTheCanvasFrom ? mCanvas.DCOverRows() : nullptr);
  for (const auto& [row, index] : rows) {
    row->ReleasePaint(pass.HowPlaced(index) != Placed::kUnmoved ? Item::HeldPaint::kLeftToTheSystem
                      : mPaintLater                             ? Item::HeldPaint::kInvalidated
                                                                : Item::HeldPaint::kDrawnNow,
                      drawing);
  }
  if (scrolled) {
    if (!mPaintLater) pass.PaintPlaced(drawing);
    RedrawWindow(Hwnd(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    return;
  }
  // The list's own paint (its message) changes only with the message; the rest paints
  // what the steps above invalidated.
  if (message || message != mMessagePainted) InvalidateRect(Hwnd(), nullptr, FALSE);
  mMessagePainted = message;
  if (mPaintLater) return;
  pass.PaintPlaced(drawing);
  UpdateWindow(Hwnd());
}

void ContentViewer::HideSpareLinks() {
  for (auto& link : mSpareLinks) {
    HideChild(link->Hwnd());
  }
}

LRESULT ContentViewer::OnRelayoutMessage(UINT, WPARAM, LPARAM, BOOL&) {
  RelayoutEntry();
  return 0;
}

LRESULT ContentViewer::OnPaint(UINT, WPARAM, LPARAM, BOOL&) {
  PaintWhole([this](HDC dc) {
    const RECT client = PaintWhiteClient(Hwnd(), dc);
    if (mSections.size() > 2 && !mNoMatch) return;
    const int m = utils::MARGIN;
    HGDIOBJ old = SelectObject(dc, mFont);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(87, 87, 87));
    RECT text = {m, 2 * m, client.right - m, client.bottom};
    const std::wstring& message = mSections.size() <= 2 ? mNotConnectedText : mNoMatchText;
    DrawTextW(dc, message.c_str(), -1, &text, DT_CENTER | DT_WORDBREAK | DT_NOPREFIX);
    SelectObject(dc, old);
  });
  return 0;
}

void ContentViewer::ScrollIntoView(int y, int h) {
  if (!mScrollBarShown) return;
  const int top = ScrollPosition(), viewHeight = ClientHeight();
  if (top <= y && y + h <= top + viewHeight) return;
  int position = y;
  if (y >= top && h <= viewHeight) position = y - viewHeight + h;
  SetScrollPosition(position);
}

void ContentViewer::SetScrollPosition(int position) {
  // The wheel or a key at an end of the list moves nothing: then neither the bar repaints
  // nor the rows are placed again (the bar's paint alone costs milliseconds under Wine).
  SCROLLINFO info = {sizeof info, SIF_RANGE | SIF_PAGE | SIF_POS};
  GetScrollInfo(mScrollBar, SB_CTL, &info);
  const int last = std::max(info.nMin, info.nMax - std::max(static_cast<int>(info.nPage) - 1, 0));
  if (std::clamp(position, info.nMin, last) == info.nPos && mPlacedTop == info.nPos) return;
  // Over a long list a notch moves the thumb by less than a pixel: the bar repaints only
  // when it looks different.
  const ScrollBarLook before = LookOf(mScrollBar);
  SetScrollPos(mScrollBar, SB_CTL, position, FALSE);
  if (!(LookOf(mScrollBar) == before)) RepaintNow(mScrollBar);
  SendMessageW(Hwnd(), WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 0), 0);
}

void ContentViewer::ScrollBy(int delta) {
  if (mScrollBarShown) SetScrollPosition(ScrollPosition() + delta);
}

LRESULT ContentViewer::OnVScroll(UINT, WPARAM wParam, LPARAM lParam, BOOL&) {
  SCROLLINFO info = {sizeof info, SIF_ALL};
  GetScrollInfo(mScrollBar, SB_CTL, &info);
  int position = info.nPos;
  switch (LOWORD(wParam)) {
    case SB_LINEUP: position -= 10; break;
    case SB_LINEDOWN: position += 10; break;
    case SB_PAGEUP: position -= static_cast<int>(info.nPage); break;
    case SB_PAGEDOWN: position += static_cast<int>(info.nPage); break;
    case SB_THUMBTRACK:
      // Sent by the viewer itself (no scroll bar in lParam) after writing the position.
      if (lParam) position = info.nTrackPos;
      break;
    case SB_TOP: position = info.nMin; break;
    case SB_BOTTOM: position = info.nMax; break;
    default: break;
  }
  if (position != info.nPos) SetScrollPos(mScrollBar, SB_CTL, position, TRUE);
  ScrollTo(ScrollPosition());
  return 0;
}

void ContentViewer::ScrollTo(int top) {
  const int delta = mPlacedTop - top;
  RECT client;
  GetClientRect(Hwnd(), &client);
  if (mLayoutDue) {
    Relayout(true);  // a listing's entries not laid out yet
    return;
  }
  const bool onCanvas = top >= mCanvasTop && top + client.bottom <= mCanvasTop + CanvasHeight();
  if (delta == 0 || std::abs(delta) >= client.bottom || !mScrollBarShown || !onCanvas ||
      !HasVisibleStyle(mCanvas.Hwnd())) {
    Relayout(false);
    return;
  }
  // The canvas moves with its pixels, and the rows that stay in view with it: one window
  // moved, not each row. Only the strip that comes into view is bound and painted.
  SetWindowPos(mCanvas.Hwnd(), nullptr, 0, mCanvasTop - top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  Place(true);
}

LRESULT ContentViewer::OnMouseWheel(UINT, WPARAM wParam, LPARAM, BOOL&) {
  if (mScrollBarShown) SetScrollPosition(ScrollPosition() - GET_WHEEL_DELTA_WPARAM(wParam));
  return 0;
}

void ContentViewer::SetFocusTo(Header* header, const VMPtr& vm) {
  mFocus.header = header;
  mFocus.vm = vm;
  mFocus.expanded = false;
}

void ContentViewer::ClearFocus() { mFocus = Focus(); }

void ContentViewer::ScrollFocusIntoView() {
  Section* section = FindSection(mFocus.header);
  if (!section) return;
  if (!mFocus.vm) {
    ScrollIntoView(section->headerY, mFocus.header->GetHeight());
    return;
  }
  for (const SectionEntry& entry : section->entries) {
    if (entry.kind == SectionEntry::VM_ROW && entry.vm == mFocus.vm) {
      ScrollIntoView(entry.y, entry.height);
      return;
    }
  }
}

LRESULT ContentViewer::OnItemFocused(UINT, WPARAM wParam, LPARAM lParam, BOOL&) {
  auto* header = reinterpret_cast<Header*>(wParam);
  if (!FindSection(header)) return 0;  // a header that is gone
  auto* row = lParam ? dynamic_cast<VMItem*>(WindowImpl::FromHandle(reinterpret_cast<HWND>(lParam))) : nullptr;
  mFocus.header = header;
  mFocus.vm = row ? row->GetVM() : nullptr;
  mFocus.expanded = row && row->IsExpanded();
  RelayoutEntry();
  if (!row) {
    if (Section* section = FindSection(header)) ScrollIntoView(section->headerY, header->MeasureLine());
  } else {
    ScrollFocusIntoView();
  }
  return 0;
}

LRESULT ContentViewer::OnItemUnfocused(UINT, WPARAM wParam, LPARAM lParam, BOOL&) {
  HWND now = GetFocus();
  if (now == Hwnd() || (now && IsChild(Hwnd(), now))) return 0;
  if (!wParam) return 0;
  auto* row = lParam ? dynamic_cast<VMItem*>(WindowImpl::FromHandle(reinterpret_cast<HWND>(lParam))) : nullptr;
  VMPtr vm = row ? row->GetVM() : nullptr;
  if (reinterpret_cast<Header*>(wParam) == mFocus.header && vm == mFocus.vm) ClearFocus();
  RelayoutEntry();
  return 0;
}

LRESULT ContentViewer::OnNavigateKey(UINT, WPARAM wParam, LPARAM, BOOL&) {
  if (mSections.empty()) return 0;
  const UINT key = static_cast<UINT>(wParam);
  auto candidate = [](const Section& s, const SectionEntry& e) {
    return e.kind == SectionEntry::VM_ROW && e.visible && !s.header->IsCollapsed();
  };
  auto lastCandidate = [&](Section& s) -> VMPtr {
    for (auto it = s.entries.rbegin(); it != s.entries.rend(); ++it) {
      if (candidate(s, *it)) return it->vm;
    }
    return nullptr;
  };
  bool changed = false;
  switch (key) {
    case VK_ESCAPE:
      PostMessageW(GetParent(Hwnd()), WM_HIDE_POPUP, 0, 0);
      return 0;
    case VK_HOME:
      ClearFocus();
      for (auto& s : mSections) {
        if (s->headerShown) {
          SetFocusTo(s->header.get(), nullptr);
          changed = true;
          break;
        }
      }
      if (!changed) return 0;
      break;
    case VK_END:
      for (auto it = mSections.rbegin(); it != mSections.rend(); ++it) {
        if ((*it)->headerShown) {
          SetFocusTo((*it)->header.get(), lastCandidate(**it));
          changed = true;
          break;
        }
      }
      break;
    case VK_LEFT:
      if (mFocus.header && mFocus.header->IsWindow()) SetFocus(mFocus.header->Hwnd());
      return 0;
    case VK_DOWN: {
      bool met = false;
      for (size_t i = 0; i < mSections.size() && !changed; ++i) {
        Section& s = *mSections[i];
        if (!s.headerShown) continue;
        if (met) {  // the next shown section's header
          SetFocusTo(s.header.get(), nullptr);
          changed = true;
          break;
        }
        if (s.header.get() != mFocus.header) continue;
        met = true;
        bool passed = !mFocus.vm;
        for (SectionEntry& e : s.entries) {
          if (!passed) {
            if (e.kind == SectionEntry::VM_ROW && e.vm == mFocus.vm) passed = true;
            continue;
          }
          if (candidate(s, e)) {
            SetFocusTo(s.header.get(), e.vm);
            changed = true;
            break;
          }
        }
      }
      break;
    }
    case VK_UP: {
      for (size_t i = mSections.size(); i-- > 0 && !changed;) {
        Section& s = *mSections[i];
        if (!s.headerShown || s.header.get() != mFocus.header) continue;
        if (mFocus.vm) {
          VMPtr previous;
          for (SectionEntry& e : s.entries) {
            if (e.kind == SectionEntry::VM_ROW && e.vm == mFocus.vm) break;
            if (candidate(s, e)) previous = e.vm;
          }
          SetFocusTo(s.header.get(), previous);
          changed = true;
          break;
        }
        for (size_t j = i; j-- > 0;) {
          Section& before = *mSections[j];
          if (!before.headerShown) continue;
          SetFocusTo(before.header.get(), lastCandidate(before));
          changed = true;
          break;
        }
        break;
      }
      break;
    }
    default:
      return 0;
  }
  if (!changed) return 0;
  mFocus.expanded = false;
  RelayoutEntry();
  ScrollFocusIntoView();
  return 0;
}

LRESULT ContentViewer::OnKeyDown(UINT, WPARAM wParam, LPARAM lParam, BOOL&) {
  const UINT key = static_cast<UINT>(wParam);
  if (mFocus.header && !mFocus.vm) {
    if (Section* section = FindSection(mFocus.header)) {
      ScrollIntoView(section->headerY, mFocus.header->GetHeight());
      SendMessageW(mFocus.header->Hwnd(), WM_KEYDOWN, wParam, lParam);
    } else {
      ClearFocus();
    }
  } else if (mFocus.header && mFocus.vm) {
    Section* section = FindSection(mFocus.header);
    const SectionEntry* found = nullptr;
    if (section) {
      for (const SectionEntry& e : section->entries) {
        if (e.kind == SectionEntry::VM_ROW && e.vm == mFocus.vm && e.visible) found = &e;
      }
    }
    if (!found) {
      ClearFocus();  // its VM is gone
    } else {
      ScrollIntoView(found->y, found->height);
      for (auto& row : mPool) {
        if (row->GetVM() == mFocus.vm && row->GetTag() == reinterpret_cast<UINT_PTR>(mFocus.header)) {
          SendMessageW(row->Hwnd(), WM_KEYDOWN, wParam, lParam);
          break;
        }
      }
    }
  }
  if (!mFocus.header) {
    switch (key) {
      case VK_HOME:
      case VK_UP:
      case VK_DOWN:
      case VK_LEFT:
      case VK_RIGHT: SendMessageW(Hwnd(), WM_NAVIGATE_KEY, VK_HOME, 0); break;
      case VK_END:
      case VK_ESCAPE: SendMessageW(Hwnd(), WM_NAVIGATE_KEY, key, 0); break;
      default: break;
    }
  }
  return 0;
}

void ContentViewer::InsertByName(Section& section, const VMPtr& vm) {
  SectionEntry entry = MakeVMEntry(vm, true);
  auto at = std::find_if(section.entries.begin(), section.entries.end(), [&](const SectionEntry& e) {
    return e.kind == SectionEntry::VM_ROW && CompareNames(e.Name(), entry.Name()) > 0;
  });
  section.entries.insert(at, std::move(entry));
}

namespace {
// Whether an entry takes room in the list: a collapsed section, a hidden header or the
// search can keep it out, and then its y means nothing.
bool TakesRoom(const Section& section, const SectionEntry& entry) {
  return section.headerShown && entry.visible && !section.header->IsCollapsed();
}
}  // namespace

LRESULT ContentViewer::OnFavoriteChanged(UINT, WPARAM wParam, LPARAM lParam, BOOL&) {
  Section* section = FindSection(mFavoritesHeader);
  auto* raw = reinterpret_cast<VM*>(wParam);
  if (!section || !raw) return 0;
  auto existing = std::find_if(section->entries.begin(), section->entries.end(),
                               [&](const SectionEntry& e) { return e.vm.get() == raw; });
  VMPtr vm;
  if (lParam == 0) {
    if (existing == section->entries.end()) return 0;
    vm = existing->vm;
  } else {
    if (existing != section->entries.end()) return 0;
    // The message names the VM by address: take it from a live list, never from the pointer alone.
    for (const VMPtr& favorite : mState.GetFavoriteVMs()) {
      if (favorite.get() == raw) vm = favorite;
    }
    if (!vm) return 0;
  }
  // The rows below keep their place on screen: they move by the row the list lost or
  // gained above them, and not at all when that row took or takes no room.
  int delta = 0;
  if (lParam == 0) {
    if (TakesRoom(*section, *existing)) delta = -utils::LINE_HEIGHT;
    section->entries.erase(existing);
  } else {
    InsertByName(*section, vm);
  }
  if (!mSearchText.empty()) ApplyFilter();
  if (lParam != 0) {
    for (const SectionEntry& e : section->entries) {
      if (e.vm == vm && TakesRoom(*section, e)) delta = utils::LINE_HEIGHT;
    }
  }
  // From the position before the relayout: a shorter list clamps it there already.
  const int position = ScrollPosition();
  RelayoutEntry();
  if (mScrollBarShown && delta != 0) SetScrollPosition(position + delta);
  return 0;
}

LRESULT ContentViewer::OnRecentAdded(UINT, WPARAM wParam, LPARAM, BOOL&) {
  Section* section = FindSection(mRecentHeader);
  auto* raw = reinterpret_cast<VM*>(wParam);
  if (!section || !raw) return 0;
  for (const SectionEntry& e : section->entries) {
    if (e.vm.get() == raw) return 0;
  }
  VMPtr vm;
  for (const VMPtr& recent : mState.GetRecentVMs()) {
    if (recent.get() == raw) vm = recent;
  }
  if (!vm) return 0;
  InsertByName(*section, vm);
  if (!mSearchText.empty()) ApplyFilter();
  RelayoutEntry();
  const SectionEntry* added = nullptr;
  const SectionEntry* focused = nullptr;
  for (const auto& s : mSections) {
    for (const SectionEntry& e : s->entries) {
      if (s.get() == section && e.vm == vm && TakesRoom(*s, e)) added = &e;
      if (s->header.get() == mFocus.header && mFocus.vm && e.vm == mFocus.vm && TakesRoom(*s, e)) focused = &e;
    }
  }
  if (added && focused && added->y < focused->y) ScrollBy(utils::LINE_HEIGHT);
  return 0;
}

LRESULT ContentViewer::OnRemoveServer(UINT, WPARAM wParam, LPARAM, BOOL&) {
  auto* header = reinterpret_cast<Header*>(wParam);
  auto it = std::find_if(mSections.begin(), mSections.end(),
                         [&](const std::unique_ptr<Section>& s) { return s->header.get() == header; });
  if (it == mSections.end() || header == mFavoritesHeader || header == mRecentHeader) return 0;
  Section& section = **it;
  // No row may stay bound to a VM of the server that goes.
  for (auto& row : mPool) {
    if (row->GetTag() == reinterpret_cast<UINT_PTR>(header)) {
      ShowWindow(row->Hwnd(), SW_HIDE);
      row->Reset();
    }
  }
  ClearSection(section);
  VMCollectionPtr server = header->GetCollection();
  mNoAutoScroll.erase(header);
  mPendingRebuilds.erase(header);
  if (mPreparing == header) mPreparing = nullptr;
  if (mScrollDue == header) mScrollDue = nullptr;
  section.links.reset();
  section.header.reset();  // the header's connections and window go with it
  mState.RemoveServer(server.get());
  server.reset();
  ClearFocus();
  SetFocus(Hwnd());
  mSections.erase(it);
  mState.GetFavorites()->Refresh();
  mState.GetRecent()->Refresh();
  mLayoutSuspended = true;
  RebuildSection(mFavoritesHeader);
  mLayoutSuspended = false;
  RebuildSection(mRecentHeader);
  return 0;
}

LRESULT ContentViewer::OnHidePopup(UINT msg, WPARAM wParam, LPARAM lParam, BOOL&) {
  PostMessageW(GetParent(Hwnd()), msg, wParam, lParam);
  return 0;
}

// By binding, not by pointer: links are recycled across rebuilds, and a click posted
// before one must not reveal whatever range its row shows now.
LRESULT ContentViewer::OnLinkClicked(UINT, WPARAM wParam, LPARAM, BOOL&) {
  const UINT_PTR binding = wParam;
  for (auto& s : mSections) {
    Section& section = *s;
    if (section.showAll && section.showAll->Binding() == binding) {
      RevealAllPages(section);
      for (const SectionEntry& e : section.entries) {
        if (e.kind == SectionEntry::VM_ROW && e.visible) {
          SetFocusTo(section.header.get(), e.vm);
          break;
        }
      }
      RelayoutEntry();
      return 0;
    }
    for (SectionPage& page : section.pages) {
      if (!page.link || page.link->Binding() != binding) continue;
      RevealPage(section, page);
      SetFocusTo(section.header.get(), section.entries[page.first].vm);
      RelayoutEntry();
      return 0;
    }
  }
  return 0;
}

void ContentViewer::SetFilter(const std::wstring& text) {
  mSearchText = text;
  if (GetScrollPos(mScrollBar, SB_CTL) != 0) SetScrollPos(mScrollBar, SB_CTL, 0, TRUE);
  ApplyFilter();
  RelayoutEntry();
}

void ContentViewer::ApplyFilter() { mNoMatch = ApplySearch(mSections, mSearchText); }

void ContentViewer::ClearHot() {
  for (auto& row : mPool) row->ClearHover();
}

bool ContentViewer::FocusFavorite(const VM* vm) {
  Section* section = FindSection(mFavoritesHeader);
  if (!section || !vm || mFavoritesHeader->IsCollapsed()) return false;
  for (const SectionEntry& entry : section->entries) {
    if (entry.kind != SectionEntry::VM_ROW || entry.vm.get() != vm || !entry.visible) continue;
    SetFocusTo(mFavoritesHeader, entry.vm);
    RelayoutEntry();
    ScrollIntoView(entry.y, entry.height);
    return true;
  }
  return false;
}

void ContentViewer::SetPowerMarksShown(bool shown) {
  for (auto& row : mPool) row->SetPowerMarksShown(shown);
}

LRESULT ContentViewer::OnChar(UINT, WPARAM wParam, LPARAM, BOOL&) {
  TypeAhead(static_cast<wchar_t>(wParam));
  return 0;
}

LRESULT ContentViewer::OnTimer(UINT, WPARAM wParam, LPARAM, BOOL&) {
  if (wParam == kListingLayoutTimer) {
    LayOutListing();
    return 0;
  }
  if (wParam == kPendingRebuildTimer) {
    ContinuePendingRebuilds();
    return 0;
  }
  if (wParam == kSpareLinkTimer && mSpareLinks.size() < SpareLinksWanted()) {
    std::unique_ptr<LinkItem> link = NewLink(std::wstring());
    if (link->IsWindow()) {
      mSpareLinks.push_back(std::move(link));
      return 0;
    }
    Log("%s: A spare link row could not be created (error %lu); the listing makes its own.\n",
        "ContentViewer::OnTimer", GetLastError());
  }
  if (wParam == kSpareLinkTimer) mSpareLinkTimer = false;
  KillTimer(Hwnd(), wParam);
  if (wParam == kTypeAheadTimer) {
    mTypeAhead.clear();
    mTypeAheadFailed = false;
  }
  return 0;
}

void ContentViewer::TypeAhead(wchar_t ch) {
  KillTimer(Hwnd(), kTypeAheadTimer);
  if (!mTypeAheadFailed && ch >= L' ') {
    const bool continuing = !mTypeAhead.empty();
    mTypeAhead += ch;
    size_t startSection = 0, f = 0;
    if (mFocus.header) {
      for (size_t i = 0; i < mSections.size(); ++i) {
        if (mSections[i]->header.get() != mFocus.header) continue;
        startSection = i;
        if (mFocus.vm) {
          for (size_t j = 0; j < mSections[i]->entries.size(); ++j) {
            if (mSections[i]->entries[j].kind == SectionEntry::VM_ROW && mSections[i]->entries[j].vm == mFocus.vm) f = j;
          }
        }
      }
    }
    const bool inclusive = !mFocus.vm || continuing;
    auto matches = [&](const Section& s, const SectionEntry& e) {
      return e.kind == SectionEntry::VM_ROW && e.visible && !s.header->IsCollapsed() &&
             StartsWithIgnoringCase(e.Name(), mTypeAhead);
    };
    Section* foundSection = nullptr;
    const SectionEntry* found = nullptr;
    // Forward from the start point, then round from the top back to it.
    for (size_t i = startSection; i < mSections.size() && !found; ++i) {
      const Section& s = *mSections[i];
      size_t from = i == startSection ? (inclusive ? f : f + 1) : 0;
      for (size_t j = from; j < s.entries.size(); ++j) {
        if (matches(s, s.entries[j])) {
          found = &s.entries[j];
          foundSection = mSections[i].get();
          break;
        }
      }
    }
    for (size_t i = 0; i <= startSection && i < mSections.size() && !found; ++i) {
      const Section& s = *mSections[i];
      size_t to = i == startSection ? (inclusive ? f + 1 : f) : s.entries.size();
      for (size_t j = 0; j < to && j < s.entries.size(); ++j) {
        if (matches(s, s.entries[j])) {
          found = &s.entries[j];
          foundSection = mSections[i].get();
          break;
        }
      }
    }
    mTypeAheadFailed = !found;
    if (found) {
      SetFocusTo(foundSection->header.get(), found->vm);
      RelayoutEntry();
      ScrollIntoView(found->y, found->height);
    }
  }
  SetTimer(Hwnd(), kTypeAheadTimer, 500, nullptr);
}

}  // namespace ui
