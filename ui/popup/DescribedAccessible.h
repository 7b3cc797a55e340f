// A window whose picture says more than its text (a drawn mark) tells screen readers the
// same in words: its client area answers WM_GETOBJECT with the system's own accessible
// object for it, with the description replaced.
#pragma once
#include <windows.h>

#include <string>

namespace ui {

// For WM_GETOBJECT with OBJID_CLIENT: the answer that carries description; 0 (let the
// default procedure answer) when description is empty or the object cannot be made.
LRESULT AnswerWithDescription(HWND hwnd, WPARAM wParam, const std::wstring& description);
// Tells screen readers that the description changed.
void NotifyDescriptionChanged(HWND hwnd);

}  // namespace ui
