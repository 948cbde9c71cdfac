#include <ostream>

#include "cli/app.h"
#include "cli/commands.h"
#include "cli/session.h"
#include "dialog/frmVell_COM.h"

namespace tarnwell::cli {

int Docs(const GlobalOptions& g, const std::vector<std::string>& files, std::ostream& out, std::ostream& err,
         std::istream& in) {
  HostSession session(g, err, in);
  session.Open(files);
  std::vector<std::string> entries;
  bool shown = session.ShowDialog([&](dialog::frmVell_COM& form) {
    entries = form.lstSourceDocs.items();
    form.cmdCancel_Click();
  });
  if (!shown) return kExitRefused;
  for (const auto& e : entries) out << e << '\n';
  return kExitDone;
}

int Styles(const GlobalOptions& g, const StylesRequest& request, std::ostream& out, std::ostream& err,
           std::istream& in) {
  HostSession session(g, err, in);
  std::vector<std::string> files;
  if (!request.file.empty()) files.push_back(request.file);
  session.Open(files);

  int result = kExitDone;
  std::vector<std::string> names;
  bool shown = session.ShowDialog([&](dialog::frmVell_COM& form) {
    // Pick the style type first, as the list fills on the source click.
    int32_t type_index = -1;
    for (int32_t i = 0; i < form.cmbStyleTypes.ListCount(); ++i)
      if (form.cmbStyleTypes.List(i) == request.type) type_index = i;
    if (type_index < 0) {
      err << "tarnwell: Word " << g.version << " offers no \"" << request.type
          << "\" style type here (offered:";
      for (const auto& t : form.cmbStyleTypes.items()) err << ' ' << t;
      err << ")\n";
      result = kExitUsage;
      form.cmdCancel_Click();
      return;
    }
    form.cmbStyleTypes.SetListIndex(type_index);

    int32_t source = -1;
    if (request.from_normal) {
      for (int32_t i = 0; i < form.lstSourceDocs.ListCount(); ++i)
        if (dialog::DocEntryName(form.lstSourceDocs.List(i)) == dialog::kNormalTemplateEntryName) source = i;
    } else {
      source = FindDocumentEntry(form.lstSourceDocs, request.file);
    }
    if (source < 0) {
      err << "tarnwell: the source is not in the dialog's document list\n";
      result = kExitRefused;
      form.cmdCancel_Click();
      return;
    }
    form.lstSourceDocs.SetListIndex(source);
    form.lstSourceDocs_Click();
    names = form.lstStyles.items();
    form.cmdCancel_Click();
  });
  if (!shown) return kExitRefused;
  if (result != kExitDone) return result;
  for (const auto& n : names) out << n << '\n';
  return kExitDone;
}

}  // namespace tarnwell::cli
