#include "dialog/frmVell_COM.h"
#include "host/host_error.h"
#include "numbering/update_from_normal.h"
#include "support/globals.h"
#include "support/modCommonErrorMsgs.h"

namespace tarnwell::dialog {

namespace {

constexpr const char* kCrLf = "\r\n";

}  // namespace

void frmVell_COM::cmdUpdate_Click() {
  using platform::Icon;
  auto& ui = platform_.ui;
  numbering::ListTemplateReport& report = copy_run_.Report();
  report.Clear();
  update_error_ = 0;

  for (int32_t i = 0; i < lstTargetDocs.ListCount(); ++i) {
    if (!lstTargetDocs.Selected(i)) continue;
    const std::string& entry = lstTargetDocs.List(i);
    // The Normal template is never updated from itself.
    if (entry.find("Normal template") != std::string::npos || entry.find("Normal.dot") != std::string::npos) return;
    break;
  }
  const std::string entry = lstTargetDocs.Text();
  if (lstTargetDocs.ListIndex() < 0 || entry.find_first_not_of(' ') == std::string::npos) {
    ui.MessageBox("Target document?", "What document are you updating?", Icon::Question, platform::Buttons::OK);
    cmdCancel.enabled = true;
    SetStatusText(StatusBar1.simple_text);
    return;
  }
  const platform::Answer answer = ui.MessageBox(
      "Overwrite styles and numbering?",
      std::string("You are about to update styles and numbering in the selected document with the styles and "
                  "numbering in your Normal template.") +
          kCrLf + kCrLf + "To continue, click OK, otherwise click Cancel.",
      Icon::Question, platform::Buttons::OKCancel);
  if (answer == platform::Answer::Cancel) return;

  auto enable = [this](bool on) {
    cmdCancel.enabled = on;
    cmdCopy.enabled = on;
    lstSourceDocs.enabled = on;
    lstStyles.enabled = on;
    lstTargetDocs.enabled = on;
  };
  try {
    const host::Document target = support::gWordApp.GetDocuments().Item(DocEntryFullName(entry));
    enable(false);
    const host::Template normal = support::gWordApp.NormalTemplate();
    SetStatusText("Copying styles");
    target.ref().call("CopyStylesFromTemplate", {normal.Name()});
    SetStatusText("");
    numbering::CopyNormalListTemplates(
        ui, normal, target, [this](const std::string& text) { SetStatusText(text); }, &report);
    ui.MessageBox("Update from Normal.dot complete",
                  "Styles and numbering in " + target.Name() + " have been updated.", Icon::Information,
                  platform::Buttons::OK);
  } catch (const host::HostError& e) {
    update_error_ = e.number();
    support::fncShowErrorMsg(ui, "Error: Update from Normal", support::ErrInfo::From(e));
  }
  SetStatusText("");
  enable(true);
  Tag = "OK";
  Hide();
}

}  // namespace tarnwell::dialog
