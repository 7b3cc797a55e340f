// The row that shows one VM: its name and favorite star, and when expanded the server's
// login state, the VM's open state, the power buttons and Connect. Rows are recycled by
// the content viewer: Bind attaches one to a VM, Reset frees it for the next.
#pragma once
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "backend/QorVM.h"
#include "ui/controls/HoverBtn.h"
#include "ui/popup/Item.h"
#include "ui/popup/PowerButtons.h"
#include "ui/popup/PowerMark.h"

namespace ui {

class VMItem : public Item {
 public:
  static constexpr UINT_PTR kPollTimer = 2;
  static constexpr uint32_t kUnknownPowerState = 0xFFFFFFFF;
  static constexpr UINT kMarkTool = 8;

  VMItem();
  ~VMItem() override;

  HWND CreateRow(HWND parent, const RECT& rect);
  // Binds the row to vm under tag (its section), first letting go of another VM it shows.
  void Bind(const std::shared_ptr<QorVM>& vm, UINT_PTR tag, bool takeFocus, bool expanded);
  // Lets go of the VM: the row shows nothing.
  void Reset();

  VMPtr GetVM() const override { return mVM; }
  std::wstring GetName() const override { return mName; }
  bool IsExpandable() const override { return true; }

  bool IsStatusShown() const { return mStatusShown; }
  const std::wstring& GetStatusText() const { return mStatusText; }
  uint32_t GetLastPowerState() const { return mLastPowerState; }
  bool IsPolling() const { return mPolling; }
  // The power-state mark before the name (for an open VM whose state is known).
  void SetPowerMarksShown(bool shown);
  PowerMark GetPowerMark() const { return mMark; }
  // Where the mark stands, in the row's client area.
  static RECT MarkBox();

  void UIThreadLoginStateChanged();
  void UIThreadVMOpenStateChanged();
  void UIThreadOpenDone();
  void UIThreadPowerStateChanged();
  void UIThreadFavoriteChanged();

 protected:
  void Layout() override;
  void CreateChildren() override;
  void DestroyChildren() override;
  void DrawContent(HDC dc, const RECT& client) override;
  void PaintPlacedChildren(Placed how, const PlacedDrawing& drawing) override;
  std::vector<HWND> SystemControls() const override;
  std::vector<HWND> ChildWindows() const override;
  void OnExpandedChanged() override;
  void OnCommand(WPARAM wParam, LPARAM lParam) override;
  bool OnKeyDown(UINT key) override;
  void HandleTimer(UINT_PTR id) override;
  bool CanToggleAt(POINT point) override;
  void SetBackground(HBRUSH brush) override;
  std::wstring AccessibleDescription() const override;

 private:
  enum Power { kOn, kOnHeld, kOff, kOffHeld, kSuspend, kSuspendHeld, kReset, kPowerCount };
  std::shared_ptr<QorVMCollection> Server() const;
  // Cuts the VM's signals and forgets its state, leaving the window text.
  void Unbind();
  void StartPoll(UINT ms);
  void StopPoll();
  void ShowControl(HWND control, bool shown);
  // Login, Retry or Connect at the right of the second line (hidden while collapsed).
  void PlaceOnSecondLine(HWND control);
  void SetPowerPair(Power plain, Power held, const PowerPair& shown);
  void PowerCommand(UINT id);
  // Still in its server's list and open: a power operation may go to it.
  static bool IsListedAndOpen(const QorVM& vm);
  void StarCommand();
  void Login();
  void MarkUsed();
  // The mark for what is known now; repaints it and its words when they change.
  void UpdateMark();

  std::wstring mName;
  HoverBtn mStar;
  bool mStatusShown = false;
  std::wstring mStatusText;
  std::shared_ptr<QorVM> mVM;
  std::shared_ptr<QorVMCollection> mServer;  // kept while bound: its signal is connected
  HWND mLogin = nullptr;
  HWND mRetry = nullptr;
  HWND mConnect = nullptr;
  HWND mTooltip = nullptr;
  HWND mPower[kPowerCount] = {};
  uint32_t mLastPowerState = kUnknownPowerState;
  bool mPolling = false;
  bool mPowerConnected = false;
  bool mMarksShown = false;
  PowerMark mMark = PowerMark::kNone;
};

}  // namespace ui
