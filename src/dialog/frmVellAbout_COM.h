#pragma once
// The About box as a model: its caption, image, label and OK button. The
// Win32 view draws it; the command prints its text for --version.

#include <cstdint>
#include <string>

#include "dialog/controls.h"
#include "platform/ui.h"

namespace tarnwell::dialog {

inline constexpr const char* kVersion = "2.3.30";

// "Quillon Tarnwell", a blank line, "Version 2.3.30", lines ended by CR LF.
std::string AboutText();

struct frmVellAboutControls {
  std::string Caption = "About";
  Image imgAbout{"Quillon Tarnwell"};
  Label lblAbout;
  Button cmdOK{"OK"};
};

class frmVellAbout_COM : public platform::ModalDialog, public frmVellAboutControls {
 public:
  // Starts from the design-time controls and sets the label to the About
  // text, so every showing reads the same.
  void Load() override;
  bool Visible() const override { return visible_; }
  void cmdOK_Click() { visible_ = false; }
  // From the window menu or close box the box hides and closes.
  void QueryUnload(int32_t UnloadMode, bool& Cancel);
  void Close(int32_t unload_mode = kUnloadFormControlMenu);
  void Unload();

 private:
  bool visible_ = false;
};

}  // namespace tarnwell::dialog
