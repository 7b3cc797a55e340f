#include "ui/window/Module.h"

namespace ui {
namespace {
HINSTANCE gInstance = nullptr;
}

void Module::Init(HINSTANCE instance) { gInstance = instance; }

HINSTANCE Module::Instance() { return gInstance ? gInstance : GetModuleHandleW(nullptr); }

}  // namespace ui
