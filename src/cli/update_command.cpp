#include <ostream>

#include "cli/app.h"
#include "cli/commands.h"
#include "cli/document_guard.h"
#include "cli/dry_run.h"
#include "cli/json_report.h"
#include "cli/session.h"
#include "dialog/frmVell_COM.h"

namespace tarnwell::cli {

namespace {

// The update as the dialog plays it; with dry, on its private copy.
int RunUpdate(const GlobalOptions& g, const std::string& target, std::ostream& out, std::ostream& err,
              std::istream& in, const DryRun* dry) {
  DocumentGuard guard;
  if (!dry && !guard.Take({target}, {.wait = !g.no_wait, .force = g.force, .run_lock = g.run_lock, .quiet = g.quiet}, err)) return kExitRefused;
  HostSession session(g, err, in);
  session.ui().show_status = g.verbose;
  auto docs = session.Open({target});

  int result = kExitDone;
  numbering::ListTemplateReport report;
  bool shown = session.ShowDialog([&](dialog::frmVell_COM& form) {
    int32_t entry = FindDocumentEntry(form.lstTargetDocs, target);
    if (entry < 0) {
      err << "tarnwell: the target is not in the dialog's document list\n";
      result = kExitRefused;
      form.cmdCancel_Click();
      return;
    }
    form.lstTargetDocs.SetListIndex(entry);
    form.lstTargetDocs_Click();
    if (!form.cmdUpdate.visible || !form.cmdUpdate.enabled) {
      err << "tarnwell: Word " << g.version << " offers no update from the Normal template (XP and 03 do)\n";
      result = kExitUsage;
      form.cmdCancel_Click();
      return;
    }
    form.cmdUpdate_Click();
    session.ui().EndStatusLine();
    report = form.ListTemplateReport();
    if (form.Visible()) {
      // The confirmation was declined: nothing changed.
      result = kExitRefused;
      form.cmdCancel_Click();
    } else if (form.UpdateError() != 0) {
      result = kExitRunFailed;
    }
  });
  if (!shown) return kExitRefused;
  // The dialog saves nothing; the command has no later moment to.
  if (result == kExitDone) docs[0].Save();
  const std::string real = dry ? dry->Real(target) : target;
  if (g.json) {
    PrintJson(out, {{"dry_run", dry != nullptr},
                    {"done", result == kExitDone},
                    {"exit_code", result},
                    {"target", real},
                    {"list_templates", ListTemplatesJson(report)},
                    {"written", result == kExitDone ? std::vector<std::string>{real} : std::vector<std::string>{}},
                    {"messages", MessagesJson(session.ui())}});
    return result;
  }
  if (result != kExitDone) return result;
  out << (dry ? "Would update " : "Updated ") << real << " from the Normal template\n";
  for (const auto& line : report.Lines()) out << line << '\n';
  if (dry) out << "Dry run: no file was changed.\n";
  return kExitDone;
}

}  // namespace

int Update(const GlobalOptions& g, const std::string& target, bool dry_run, std::ostream& out, std::ostream& err,
           std::istream& in) {
  if (!dry_run) return RunUpdate(g, target, out, err, in, nullptr);
  DryRun dry(g);
  const std::string mine = dry.Stage(target);
  return RunUpdate(dry.options(), mine, out, err, in, &dry);
}

}  // namespace tarnwell::cli
