// The popup's search box: an edit that shows a grey hint while it is empty and
// unfocused, and turns Enter and Escape into messages for its parent.
#pragma once
#include <windows.h>

#include <string>

#include "ui/window/Messages.h"
#include "ui/window/Window.h"

namespace ui {

class HintEdit : public WindowImpl {
 public:
  HintEdit();
  ~HintEdit() override;

  void SetHintText(const std::wstring& text);
  const std::wstring& HintText() const { return mHint; }
  HFONT Font() const { return mFont; }

 protected:
  const wchar_t* ClassName() const override { return L"Zandor Wickerlyn Hint Edit Window Class"; }
  WindowClassInfo GetClassInfo() const override;

  ZW_BEGIN_MSG_MAP()
    ZW_MESSAGE_HANDLER(WM_CREATE, OnCreate)
    ZW_MESSAGE_HANDLER(WM_CHAR, OnChar)
    ZW_MESSAGE_HANDLER(WM_SETTEXT, OnSetText)
    ZW_MESSAGE_HANDLER(OCM_BASE + WM_COMMAND, OnReflectedCommand)
    ZW_MESSAGE_HANDLER(WM_PAINT, OnPaint)
    ZW_MESSAGE_HANDLER(WM_SETFOCUS, OnFocusChange)
    ZW_MESSAGE_HANDLER(WM_KILLFOCUS, OnFocusChange)
  ZW_END_MSG_MAP()

 private:
  LRESULT OnCreate(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
  LRESULT OnChar(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
  LRESULT OnSetText(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
  LRESULT OnReflectedCommand(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
  LRESULT OnPaint(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
  LRESULT OnFocusChange(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);

  void DrawHint();

  std::wstring mHint;
  HFONT mFont = nullptr;
};

}  // namespace ui
