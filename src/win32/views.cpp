#include "win32/views.h"

#include "copyrun/dependencies.h"
#include "dialog/frmVell_COM.h"
#include "host/host_error.h"
#include "win32/dialog_view.h"

namespace tarnwell::win32 {

void ShowView(Win32Ui& ui, platform::ModalDialog& dialog) {
  if (auto* main = dynamic_cast<dialog::frmVell_COM*>(&dialog)) {
    ShowVellView(ui, *main);
  } else if (auto* dependencies = dynamic_cast<copyrun::frmVellDependencies_COM*>(&dialog)) {
    ShowDependenciesView(ui, *dependencies);
  } else if (auto* about = dynamic_cast<dialog::frmVellAbout_COM*>(&dialog)) {
    ShowAboutView(ui, *about);
  } else {
    throw host::HostError(host::kErrInvalidProcedureCall, "This dialog has no window to show it in");
  }
}

}  // namespace tarnwell::win32
