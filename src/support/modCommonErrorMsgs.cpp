#include "support/modCommonErrorMsgs.h"

#include "support/globals.h"

namespace tarnwell::support {

void fncShowErrorMsg(platform::Ui& ui, const std::string& title, const ErrInfo& err) {
  std::string text = "Error: " + std::to_string(err.number) + " " + err.description;
  ui.MessageBox(title.empty() ? std::string(kAddInTitle) : title, text, platform::Icon::None,
                platform::Buttons::OK);
}

}  // namespace tarnwell::support
