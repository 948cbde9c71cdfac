#pragma once
// Bringing a window to the front even when another thread's window has the
// input focus.

#include "platform/ui.h"

namespace tarnwell::dialog {

// True when the window is (or became) the foreground window; a minimised
// window is restored, any other shown.
bool fncForceForeground(platform::Ui& ui, platform::WindowHandle hWnd);

}  // namespace tarnwell::dialog
