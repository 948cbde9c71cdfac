#include <unistd.h>

#include <algorithm>
#include <deque>
#include <filesystem>
#include <istream>
#include <ostream>

#include "cli/app.h"
#include "cli/commands.h"
#include "cli/session.h"
#include "dialog/frmVell_COM.h"
#include "support/globals.h"

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

namespace tarnwell::cli {

namespace {

namespace fs = std::filesystem;

int32_t FindNormalEntry(const dialog::ListBox& list) {
  for (int32_t i = 0; i < list.ListCount(); ++i)
    if (dialog::DocEntryName(list.List(i)) == dialog::kNormalTemplateEntryName) return i;
  return -1;
}

// The scratch documents a run may leave in the documents folder; the command
// removes the ones it made.
const char* const kScratchNames[] = {"TARNWELLTEMPDOC.doc", "PELLMARTEMPDOC.doc", "NormalTemplateStyles_Vell.doc"};

}  // namespace

int Copy(const GlobalOptions& g, const CopyRequest& request, std::ostream& out, std::ostream& err,
         std::istream& in) {
  HostSession session(g, err, in);
  session.ui().show_status = true;
  session.ui().status_in_place = g.answering != TerminalUi::Answering::NoTerminal && isatty(STDERR_FILENO);

  std::vector<std::string> files;
  if (!request.from_normal) files.push_back(request.source);
  if (!request.to_normal) files.push_back(request.target);
  auto docs = session.Open(files);

  // The save-as dialog: each given answer is used once, for the document the
  // run saves under a new name (never saved, or read-only).
  std::deque<std::string> save_answers;
  auto needs_new_name = [](host::Document& d) { return d.Path().empty() || d.ref().get("ReadOnly").as_bool(); };
  if (!request.from_normal && needs_new_name(docs[0]) && !request.save_source_as.empty())
    save_answers.push_back(request.save_source_as);
  if (!request.to_normal && needs_new_name(docs.back()) && !request.save_target_as.empty())
    save_answers.push_back(request.save_target_as);
  const bool terminal = g.answering == TerminalUi::Answering::AskTerminal;
  session.ui().choose_file = [&](const platform::SaveAsRequest& r) -> std::string {
    if (!save_answers.empty()) {
      auto path = save_answers.front();
      save_answers.pop_front();
      return path;
    }
    if (!terminal) return "";
    session.ui().EndStatusLine();
    err << "Save \"" << r.file_name << "\" as (a path; empty to cancel): " << std::flush;
    std::string line;
    std::getline(in, line);
    return line;
  };

  session.on_dependencies = [&](copyrun::frmVellDependencies_COM& deps) {
    auto choose_all = [](copyrun::ChoiceList& list, bool on) { list.selected.assign(list.items.size(), on); };
    std::string mode = request.deps;
    if (mode == "ask" && !terminal) mode = "all";
    if (mode == "none") {
      choose_all(deps.lstBased, false);
      choose_all(deps.lstFollow, false);
    } else if (mode == "ask") {
      session.ui().EndStatusLine();
      err << deps.Caption << ": " << ForTerminal(deps.lblInstrux) << "\n";
      auto ask = [&](copyrun::ChoiceList& list, const char* group) {
        for (size_t i = 0; i < list.items.size(); ++i) {
          err << "  copy " << group << " \"" << list.items[i] << "\"? [Y/n] " << std::flush;
          std::string line;
          if (!std::getline(in, line)) line = "n";
          list.selected[i] = line.empty() || line[0] == 'y' || line[0] == 'Y';
        }
      };
      ask(deps.lstBased, "based-on style");
      ask(deps.lstFollow, "follow-on style");
    }
    deps.cmdOK_Click();
  };

  // Scratch documents already there belong to someone else.
  std::vector<fs::path> scratch_before;
  auto scratch_paths = [&] {
    std::vector<fs::path> paths;
    for (const char* name : kScratchNames) paths.push_back(fs::path(support::gDocsFolder) / name);
    return paths;
  };

  int result = kExitDone;
  bool shown = session.ShowDialog([&](dialog::frmVell_COM& form) {
    for (auto& p : scratch_paths())
      if (fs::exists(p)) scratch_before.push_back(p);
    auto refuse = [&](const std::string& why, int code) {
      err << "tarnwell: " << why << "\n";
      result = code;
      form.cmdCancel_Click();
    };
    int32_t type_index = -1;
    for (int32_t i = 0; i < form.cmbStyleTypes.ListCount(); ++i)
      if (form.cmbStyleTypes.List(i) == request.type) type_index = i;
    if (type_index < 0) return refuse("Word " + g.version + " offers no \"" + request.type + "\" style type", kExitUsage);
    form.cmbStyleTypes.SetListIndex(type_index);

    int32_t source = request.from_normal ? FindNormalEntry(form.lstSourceDocs)
                                         : FindDocumentEntry(form.lstSourceDocs, request.source);
    int32_t target = request.to_normal ? FindNormalEntry(form.lstTargetDocs)
                                       : FindDocumentEntry(form.lstTargetDocs, request.target);
    if (source < 0 || target < 0) return refuse("a document is not in the dialog's lists", kExitRefused);
    form.lstSourceDocs.SetListIndex(source);
    form.lstSourceDocs_Click();
    form.lstTargetDocs.SetListIndex(target);
    form.lstTargetDocs_Click();
    for (const auto& name : request.styles) {
      const auto& items = form.lstStyles.items();
      auto it = std::find(items.begin(), items.end(), name);
      if (it == items.end())
        return refuse("no " + request.type + " style \"" + name + "\" is listed for the source", kExitRefused);
      auto index = static_cast<int32_t>(it - items.begin());
      form.lstStyles.SetSelected(index, true);
      if (form.lstStyles.ListIndex() < 0) form.lstStyles.SetListIndex(index);
    }
    form.lstStyles_Click();
    bool keep_focus = false;
    form.lstStyles_Validate(keep_focus);
    if (keep_focus) return refuse("too many table styles chosen at once", kExitRefused);

    if (request.method == "slow") form.CopyRunner().SetMethod(copyrun::CopyMethod::Slow);
    form.cmdCopy_Click();
    session.ui().EndStatusLine();
    if (form.Tag == "OK") {
      result = kExitDone;
    } else if (form.Visible() || form.Tag == "Cancel") {
      result = kExitRefused;
      if (form.Visible()) form.cmdCancel_Click();
    } else {
      result = kExitRunFailed;
    }
  });
  for (auto& p : scratch_paths()) {
    if (std::find(scratch_before.begin(), scratch_before.end(), p) != scratch_before.end()) continue;
    std::error_code ec;
    fs::remove(p, ec);
  }
  if (!shown) return kExitRefused;
  if (result == kExitDone) {
    out << "Copied into " << (request.to_normal ? std::string("the Normal template") : request.target) << ":";
    for (const auto& s : request.styles) out << " \"" << s << "\"";
    out << " (with the styles they depend on, as confirmed)\n";
  }
  return result;
}

}  // namespace tarnwell::cli
