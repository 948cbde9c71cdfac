#include "dialog/modHelpLinks.h"

#include <exception>

#include "host/host_error.h"
#include "support/modCommonErrorMsgs.h"

namespace tarnwell::dialog {

std::string HelpPath(platform::Files& files, const std::string& file) {
  std::string folder = files.OwnFolder();
  char separator = '\\';
  if (!folder.empty() && (folder.back() == '/' || folder.back() == '\\')) {
    separator = folder.back();
    folder.pop_back();
  }
  std::string name = file;
  if (!name.empty() && name.front() == '\\') name.front() = separator;
  return folder + name;
}

void fncShowHelp(platform::Platform& platform, const std::string& file, int32_t contextId,
                 platform::WindowHandle hwndCaller) {
  try {
    platform.ui.ShowHelp(HelpPath(platform.files, file), contextId < 1 ? 0 : contextId, hwndCaller);
  } catch (const host::HostError& e) {
    // Without a viewer there is nothing to open; the dialog stays up.
    support::fncShowErrorMsg(platform.ui, "", support::ErrInfo::From(e));
  }
}

void fncShowAbout(platform::Ui& ui, frmVellAbout_COM& about) {
  try {
    ui.ShowModal(about);
  } catch (const std::exception&) {
    // An About box that cannot be shown is not worth a message.
  }
  if (about.Visible()) about.Unload();
}

}  // namespace tarnwell::dialog
