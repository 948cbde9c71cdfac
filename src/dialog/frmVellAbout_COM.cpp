#include "dialog/frmVellAbout_COM.h"

namespace tarnwell::dialog {

std::string AboutText() { return std::string("Quillon Tarnwell\r\n\r\nVersion ") + kVersion; }

void frmVellAbout_COM::Load() {
  static_cast<frmVellAboutControls&>(*this) = frmVellAboutControls{};
  lblAbout.caption = AboutText();
  visible_ = true;
}

void frmVellAbout_COM::QueryUnload(int32_t UnloadMode, bool& /*Cancel*/) {
  if (UnloadMode == kUnloadFormControlMenu) Unload();
}

void frmVellAbout_COM::Close(int32_t unload_mode) {
  bool cancel = false;
  QueryUnload(unload_mode, cancel);
  if (!cancel) Unload();
}

void frmVellAbout_COM::Unload() {
  visible_ = false;
  static_cast<frmVellAboutControls&>(*this) = frmVellAboutControls{};
}

}  // namespace tarnwell::dialog
