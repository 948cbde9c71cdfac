#include "dialog/modForceWindowRestore.h"

namespace tarnwell::dialog {

// Attaching to the foreground thread and restoring a minimised window are
// the platform's part.
bool fncForceForeground(platform::Ui& ui, platform::WindowHandle hWnd) { return ui.ForceForeground(hWnd); }

}  // namespace tarnwell::dialog
