// Running code on the UI thread: a back-end thread posts a heap copy of a slot to a
// window with WM_RUN_ON_UI_THREAD; the window runs it once and frees it.
#pragma once
#include <windows.h>

#include <sigc++/functors/slot.h>

namespace ui {

// Copies the slot to the heap and posts it to the window. False, with nothing left
// behind, when the window is gone or the post fails.
bool PostToWindow(HWND hwnd, const sigc::slot<void>& slot);

// Runs a posted slot once, unless it is empty or blocked (its target object died),
// then frees it. Called by the receiving window for WM_RUN_ON_UI_THREAD.
void RunPostedSlot(WPARAM wParam);

// Frees the slots still queued for a window that is being destroyed, so none leaks. A quit
// message already posted stays queued.
void DiscardPostedSlots(HWND hwnd);

}  // namespace ui
