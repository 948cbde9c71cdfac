#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <istream>
#include <ostream>
#include <set>

#include "cli/app.h"
#include "cli/commands.h"
#include "cli/document_guard.h"
#include "cli/dry_run.h"
#include "cli/json_report.h"
#include "cli/save_as.h"
#include "cli/suggest.h"
#include "cli/session.h"
#include "copyrun/copy_run.h"
#include "dialog/frmVell_COM.h"
#include "ooxml/package.h"
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
  if (g.json) {
    auto documents = nlohmann::json::array();
    for (const auto& e : entries) {
      auto tab = e.find('\t');
      documents.push_back({{"name", e.substr(0, tab)}, {"full_name", tab == std::string::npos ? "" : e.substr(tab + 1)}});
    }
    PrintJson(out, {{"documents", documents}, {"messages", MessagesJson(session.ui())}});
    return kExitDone;
  }
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
  if (g.json) {
    PrintJson(out, {{"source", request.from_normal ? g.normal_template : request.file},
                    {"from_normal", request.from_normal},
                    {"type", request.type},
                    {"styles", names},
                    {"messages", MessagesJson(session.ui())}});
    return kExitDone;
  }
  for (const auto& n : names) out << n << '\n';
  return kExitDone;
}

}  // namespace tarnwell::cli

namespace tarnwell::cli {

namespace {

namespace fs = std::filesystem;

bool SameFile(const std::string& a, const std::string& b) {
  std::error_code ec;
  return fs::weakly_canonical(fs::absolute(a), ec) == fs::weakly_canonical(fs::absolute(b), ec) && !ec;
}

int32_t FindNormalEntry(const dialog::ListBox& list) {
  for (int32_t i = 0; i < list.ListCount(); ++i)
    if (dialog::DocEntryName(list.List(i)) == dialog::kNormalTemplateEntryName) return i;
  return -1;
}

// The scratch documents a run may leave in the documents folder; the command
// removes the ones it made.
const char* const kScratchNames[] = {"TARNWELLTEMPDOC.doc", "PELLMARTEMPDOC.doc", "NormalTemplateStyles_Vell.doc"};

bool FileHoldsReturnMark(const std::string& path) {
  auto package = ooxml::Package::Open(path);
  for (const auto& part : package.Names()) {
    if (package.Get(part).find(copyrun::kReturnBookmark) != std::string::npos) return true;
  }
  return false;
}

// A failed run leaves its documents as it saved them last, perhaps with the
// bookmark that marks the user's place; the command closes them unsaved, so
// such a file is put back as saved, without the bookmark.
void DropReturnMarkOnDisk(host::Application& word, std::ostream& err) {
  for (auto& doc : word.GetDocuments().all()) {
    std::string file;
    try {
      if (doc.Path().empty()) continue;
      file = doc.FullName();
      if (!FileHoldsReturnMark(file)) continue;
      doc.Close(0);
      host::Document saved = word.GetDocuments().Open(file);
      auto marks = saved.ref().get("Bookmarks").as_object();
      if (host::deref(marks).call("Exists", {copyrun::kReturnBookmark}).as_bool()) {
        host::deref(host::deref(marks).call("Item", {copyrun::kReturnBookmark}).as_object()).call("Delete");
        saved.Save();
      }
      saved.Close(0);
    } catch (const host::HostError& e) {
      err << "tarnwell: " << file << ": " << e.description() << "\n";
    }
  }
}

// The styles the target defines before the run, to tell added from
// overwritten ones. The Normal template is read apart, as the run opens it
// itself.
std::set<std::string> TargetStyles(const GlobalOptions& g, const host::Document& target) {
  std::set<std::string> names;
  auto collect = [&](const host::Document& doc) {
    for (const auto& style : doc.GetStyles().all()) names.insert(style.NameLocal());
  };
  if (target) {
    collect(target);
  } else if (fs::exists(g.normal_template)) {
    auto word = NewWord(g);
    auto normal = word.GetDocuments().Open(g.normal_template);
    collect(normal);
    normal.Close(0);
  }
  return names;
}

// Plays the dependencies dialog, which opens with every style ticked; false
// is its Cancel.
bool ChooseDependencies(copyrun::frmVellDependencies_COM& deps, const std::string& mode,
                        TerminalUi::Answering answering, TerminalUi& ui, std::ostream& err, std::istream& in) {
  struct Offered {
    copyrun::ChoiceList* list;
    size_t index;
    const char* group;
  };
  std::vector<Offered> offered;
  for (size_t i = 0; i < deps.lstBased.items.size(); ++i) offered.push_back({&deps.lstBased, i, "based-on style"});
  for (size_t i = 0; i < deps.lstFollow.items.size(); ++i) offered.push_back({&deps.lstFollow, i, "follow-on style"});
  auto tick = [&](size_t from, bool on) {
    for (size_t i = from; i < offered.size(); ++i) offered[i].list->selected[offered[i].index] = on;
  };
  tick(0, mode != "none");
  if (mode != "ask") return true;
  if (answering != TerminalUi::Answering::AskTerminal) {
    err << "tarnwell: --deps ask: " << (answering == TerminalUi::Answering::AssumeYes ? "--yes" : "no terminal")
        << ", so every style offered is taken (" << offered.size() << ")\n";
    return true;
  }
  ui.EndStatusLine();
  err << deps.Caption << ": " << ForTerminal(deps.lblInstrux) << "\n"
      << "  (y: copy it, n: leave it, a: all the rest, d: none of the rest, q: cancel the copy)\n";
  for (size_t i = 0; i < offered.size(); ++i) {
    for (;;) {
      err << "  copy " << offered[i].group << " \"" << offered[i].list->items[offered[i].index] << "\"? [Y/n/a/d/q] "
          << std::flush;
      std::string line;
      if (!std::getline(in, line)) return false;
      line = Normalized(line);
      if (line.empty() || line == "y" || line == "yes") break;
      if (line == "n" || line == "no") {
        offered[i].list->selected[offered[i].index] = false;
        break;
      }
      if (line == "a" || line == "d") {
        tick(i, line == "a");
        return true;
      }
      if (line == "q") return false;
      err << "  Please answer y, n, a, d or q.\n";
    }
  }
  return true;
}

// Why a style the user named is not in the list, and what to do instead.
std::string NotListed(const std::string& name, const CopyRequest& request, const std::vector<std::string>& listed,
                      const host::Document& source) {
  std::string why = "no " + request.type + " style \"" + name + "\" is listed for the source";
  if (source) {
    for (const auto& style : source.GetStyles().all()) {
      if (style.NameLocal() != name) continue;
      static const char* const kTypes[] = {"", "Paragraph", "Character", "Table", "List"};
      auto type = static_cast<size_t>(style.Type());
      if (type < std::size(kTypes) && kTypes[type] != request.type)
        return why + ": it is a " + kTypes[type] + " style: add --type " + kTypes[type];
    }
  }
  if (auto near = Closest(name, listed); !near.empty()) return why + "; did you mean \"" + near + "\"?";
  return why + "; 'tarnwell styles " + (request.from_normal ? std::string("--from-normal") : request.source) +
         " --type " + request.type + "' lists them";
}

// The copy as the dialog plays it; with dry, on its private copies, and
// reported with the real files' names.
int RunCopy(const GlobalOptions& g, const CopyRequest& request, std::ostream& out, std::ostream& err,
            std::istream& in, DryRun* dry) {
  HostSession session(g, err, in);
  // Progress is for a person watching; a script gets it only when asked.
  session.ui().status_in_place = &err == &std::cerr && isatty(STDERR_FILENO);
  session.ui().show_status = session.ui().status_in_place || g.verbose;

  std::vector<std::string> files;
  if (!request.from_normal) files.push_back(request.source);
  if (!request.to_normal) files.push_back(request.target);
  // The run saves both documents; the Normal template only as the target.
  auto written = files;
  if (request.to_normal) written.push_back(g.normal_template);
  // A dry run writes only its private copies, which no one else can hold.
  DocumentGuard guard;
  if (!dry && !guard.Take(written, {.wait = !g.no_wait, .force = g.force, .run_lock = g.run_lock, .quiet = g.quiet}, err)) return kExitRefused;
  auto docs = session.Open(files);

  const bool terminal = g.answering == TerminalUi::Answering::AskTerminal;
  SaveAsAnswers save_as(session.ui(), err, in, terminal, request.from_normal ? host::Document(nullptr) : docs[0],
                        request.to_normal ? host::Document(nullptr) : docs.back(), request.save_source_as,
                        request.save_target_as);
  session.ui().choose_file = [&](const platform::SaveAsRequest& r) {
    std::string path = save_as.Choose(r);
    // Checked as the real run would check it, then saved among the dry
    // run's copies.
    if (dry && !path.empty()) path = dry->Place(path);
    return path;
  };

  std::vector<std::string> confirmed, declined;
  session.on_dependencies = [&](copyrun::frmVellDependencies_COM& deps) {
    if (!ChooseDependencies(deps, request.deps, g.answering, session.ui(), err, in)) {
      deps.cmdCancel_Click();
      return;
    }
    for (const auto* list : {&deps.lstBased, &deps.lstFollow})
      for (size_t i = 0; i < list->items.size(); ++i) (list->selected[i] ? confirmed : declined).push_back(list->items[i]);
    deps.cmdOK_Click();
  };
  const std::set<std::string> target_before = TargetStyles(g, request.to_normal ? host::Document(nullptr) : docs.back());

  // Scratch documents already there belong to someone else.
  std::vector<fs::path> scratch_before;
  auto scratch_paths = [&] {
    std::vector<fs::path> paths;
    for (const char* name : kScratchNames) paths.push_back(fs::path(support::gDocsFolder) / name);
    return paths;
  };

  // The list templates the run copied or renamed, for the summary.
  numbering::ListTemplateReport list_templates;
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
        return refuse(NotListed(name, request, items, request.from_normal ? host::Document(nullptr) : docs[0]),
                      kExitRefused);
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
    list_templates = form.ListTemplateReport();
    if (form.Tag == "OK") {
      result = kExitDone;
    } else if (form.Visible() || form.Tag == "Cancel") {
      result = kExitRefused;
      if (form.Visible()) form.cmdCancel_Click();
    } else {
      result = kExitRunFailed;
    }
  });
  if (result == kExitRunFailed) DropReturnMarkOnDisk(session.word(), err);
  for (auto& p : scratch_paths()) {
    if (std::find(scratch_before.begin(), scratch_before.end(), p) != scratch_before.end()) continue;
    std::error_code ec;
    fs::remove(p, ec);
  }
  if (!shown) return kExitRefused;
  auto real = [&](const std::string& file) { return dry ? dry->Real(file) : file; };
  // The file written: where a save-as put the target, if it did.
  auto written_to = [&] { return real(request.to_normal ? g.normal_template : docs.back().FullName()); };
  if (g.json) {
    const bool done = result == kExitDone;
    if (done) save_as.ReportUnused();
    auto copied = nlohmann::json::array();
    std::vector<std::string> names = request.styles;
    names.insert(names.end(), confirmed.begin(), confirmed.end());
    for (const auto& name : names)
      if (done)
        copied.push_back(
            {{"name", name}, {"type", Normalized(request.type)}, {"overwritten", target_before.count(name) > 0}});
    PrintJson(out, {{"dry_run", dry != nullptr},
                    {"done", done},
                    {"exit_code", result},
                    {"source", request.from_normal ? real(g.normal_template) : real(request.source)},
                    {"target", request.to_normal ? real(g.normal_template) : real(request.target)},
                    {"copied", copied},
                    {"dependencies", {{"added", done ? confirmed : std::vector<std::string>{}}, {"declined", declined}}},
                    {"list_templates", ListTemplatesJson(list_templates)},
                    {"written", done ? std::vector<std::string>{written_to()} : std::vector<std::string>{}},
                    {"messages", MessagesJson(session.ui())}});
    return result;
  }
  if (result == kExitDone && !g.quiet) {
    save_as.ReportUnused();
    out << (dry ? "Would copy" : "Copied")
        << (confirmed.empty() ? "" : " (with the styles they depend on, as confirmed)") << ":\n";
    std::vector<std::string> copied = request.styles;
    copied.insert(copied.end(), confirmed.begin(), confirmed.end());
    for (const auto& name : copied) out << "  " << name << (target_before.count(name) ? "  overwritten" : "") << "\n";
    for (const auto& name : declined) out << "Declined: " << name << "\n";
    for (const auto& line : list_templates.Lines()) out << line << "\n";
    out << (dry ? "Would write: " : "Written: ") << written_to() << "\n";
    if (dry) out << "Dry run: no file was changed.\n";
  }
  return result;
}

}  // namespace

int Copy(const GlobalOptions& g, const CopyRequest& request, std::ostream& out, std::ostream& err,
         std::istream& in) {
  if (!request.dry_run) return RunCopy(g, request, out, err, in, nullptr);
  DryRun dry(g);
  CopyRequest mine = request;
  mine.dry_run = false;
  if (!request.from_normal) mine.source = dry.Stage(request.source);
  if (!request.to_normal)
    mine.target = request.from_normal || !SameFile(request.source, request.target) ? dry.Stage(request.target)
                                                                                  : mine.source;
  return RunCopy(dry.options(), mine, out, err, in, &dry);
}

}  // namespace tarnwell::cli
