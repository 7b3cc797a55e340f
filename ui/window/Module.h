// Process-wide state of the window framework: the module whose resources and window
// classes the windows use.
#pragma once
#include <windows.h>

namespace ui {

class Module {
 public:
  // Called once at start-up, before any window is created.
  static void Init(HINSTANCE instance);
  // The module given to Init, or the executable's module when Init was not called.
  static HINSTANCE Instance();
};

}  // namespace ui
