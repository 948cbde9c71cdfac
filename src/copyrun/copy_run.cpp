#include "copyrun/copy_run.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "copyrun/modFlushBuffers.h"
#include "copyrun/modSetWaitableTimer.h"
#include "host/host_error.h"
#include "numbering/activation.h"
#include "numbering/normal_docs.h"
#include "support/globals.h"
#include "support/modCommonErrorMsgs.h"
#include "support/modSaveAsOpenDialog.h"
#include "transfer/single_style.h"

namespace tarnwell::copyrun {
namespace {

using platform::Answer;
using platform::Buttons;
using platform::Icon;

constexpr const char* kCrLf = "\r\n";

std::string Trim(const std::string& s) {
  const auto b = s.find_first_not_of(' ');
  if (b == std::string::npos) return "";
  return s.substr(b, s.find_last_not_of(' ') - b + 1);
}

// The second tab-separated field, trimmed: a document's full name.
std::string FullNameOf(const std::string& entry) {
  const auto tab = entry.find('\t');
  if (tab == std::string::npos) return "";
  const auto next = entry.find('\t', tab + 1);
  return Trim(entry.substr(tab + 1, next == std::string::npos ? std::string::npos : next - tab - 1));
}

// Word gives a folder without its trailing separator; join as the host does.
std::string JoinPath(const std::string& folder, const std::string& name) {
  const char sep = folder.find('\\') == std::string::npos && folder.find('/') != std::string::npos ? '/' : '\\';
  return folder + sep + name;
}

bool IsReadOnlyFile(const std::string& path) {
  std::error_code ec;
  const auto st = std::filesystem::status(path, ec);
  if (ec || !std::filesystem::exists(st)) return false;
  return (st.permissions() & std::filesystem::perms::owner_write) == std::filesystem::perms::none;
}

host::ObjectPtr Bookmarks(const host::Document& doc) { return doc.ref().get("Bookmarks").as_object(); }

bool HasReturnMark(const host::Document& doc);

bool HasReturnMark(const host::Document& doc) {
  return host::deref(Bookmarks(doc)).call("Exists", {kReturnBookmark}).as_bool();
}

bool IsMemoryFull(int32_t n) {
  return n == host::kErrOutOfMemory || n == host::kErrWordBuffersFull || n == host::kErrCommandFailed ||
         n == host::kErrUnspecified || n == host::kErrWordAutomation;
}

}  // namespace

std::string DoubleAmpersands(const std::string& text) {
  std::string out;
  for (char c : text) {
    out.push_back(c);
    if (c == '&') out.push_back('&');
  }
  return out;
}

void ReportCopyError(platform::Ui& ui, const std::string& styleName, int32_t errorNumber,
                     const std::string& description) {
  ui.MessageBox("Copy error",
                "There was a problem copying style " + styleName + "." + kCrLf + kCrLf + "Error:  " + kCrLf + kCrLf +
                    std::to_string(errorNumber) + " " + description,
                Icon::Critical, Buttons::OKCancel);
}

Answer CopyRun::Message(const std::string& title, const std::string& text, Icon icon, Buttons buttons) {
  return platform_.ui.MessageBox(title, text, icon, buttons);
}

void CopyRun::Flush(const host::Document& doc) { FlushWordBuffers(platform_.clock, support::gWordApp, doc); }

void CopyRun::Foreground() { platform_.ui.ForceForeground(dialog_.DialogHwnd()); }

void CopyRun::cmdCopy_Click() {
  // Waits pump messages, so the button can be clicked again mid-run.
  if (running_) return;
  running_ = true;
  report_.Clear();
  try {
    Run();
  } catch (const Ended&) {
  }
  running_ = false;
  source_ = {};
  target_ = {};
  selected_.clear();
  based_.clear();
  follow_.clear();
  copy_.clear();
  relink_.clear();
}

void CopyRun::Step(const std::function<void()>& step) {
  try {
    step();
  } catch (const host::HostError& e) {
    if (e.number() == host::kErrStyleNameInUse || e.number() == host::kErrNoSuchStyle) return;
    Fail(support::ErrInfo::From(e));
  }
}

void CopyRun::Fail(const support::ErrInfo& err) {
  const int32_t n = err.number;
  if (IsMemoryFull(n)) {
    Message("Word memory full",
            std::string("Error:  Word buffers full") + kCrLf + kCrLf +
                "Word's edit buffer has reached capacity.  Word has a limited ability to handle automation "
                "instructions. " +
                kCrLf + kCrLf + "Please save and close your documents, then restart Word to flush Word's buffers.",
            Icon::Critical);
  } else if (n == host::kErrServerFault) {
    Message("Cannot copy " + fast_copy_name_,
            "There is a problem copying style " + fast_copy_name_ +
                ".  The source document or template may be corrupt.  Copying cannot continue.",
            Icon::Exclamation);
  } else {
    support::fncShowErrorMsg(platform_.ui, "", err);
    Status("");
  }
  CleanUp();
  throw Ended{};
}

void CopyRun::CleanUp() {
  auto& app = support::gWordApp;
  auto& active = support::gActiveDoc;
  support::SkipErrors([&] {
    if (active && HasReturnMark(active)) {
      const host::ObjectPtr mark = host::deref(Bookmarks(active)).call("Item", {kReturnBookmark}).as_object();
      host::deref(mark).call("Delete");
    }
  });
  support::SkipErrors([&] { numbering::fncCloseNormalStylesDoc(platform_); });
  dialog_.SetCancelEnabled(true);
  dialog_.HideDialog();
  source_ = {};
  target_ = {};
  active = {};
  if (app) {
    support::SkipErrors([&] { app.SetPagination(true); });
    support::SkipErrors([&] { app.SetScreenUpdating(true); });
    support::SkipErrors([&] { app.ScreenRefresh(); });
  }
}

void CopyRun::Refuse() {
  dialog_.SetCancelEnabled(true);
  dialog_.SetStatusText("");
}

void CopyRun::Run() {
  auto& app = support::gWordApp;
  // Phase 1: start.
  target_is_normal_ = false;
  scratch_path_.clear();
  fast_copy_name_.clear();
  const bool v07 = support::gWordVersion == "07";
  ext1_ = v07 ? ".docx" : ".doc";
  ext2_ = v07 ? ".dotx" : ".dot";
  dialog_.UnloadAbout();
  dialog_.SetCancelEnabled(false);

  // Phase 2: checks and saving.
  if (!CheckAndSave()) return;

  // Phase 3: preparation.
  Foreground();
  Step([&] {
    // Documents.Item by name gives the first document of that name; when
    // two open documents share it (in different folders), the active one
    // itself is meant.
    const host::Document active = app.ActiveDocument();
    const std::string name = active.Name();
    const auto docs = app.GetDocuments().all();
    const auto named =
        std::count_if(docs.begin(), docs.end(), [&](const host::Document& d) { return d.Name() == name; });
    support::gActiveDoc = named > 1 ? active : app.GetDocuments().Item(name);
  });
  Step([&] {
    const host::ObjectPtr range = host::deref(app.Selection()).get("Range").as_object();
    Status("Please wait ...");
    host::deref(Bookmarks(support::gActiveDoc)).call("Add", {kReturnBookmark, range});
  });
  const auto wait = [this](int32_t s) { WaitSeconds(platform_.clock, s); };
  bool activated = false;
  Step([&] { activated = numbering::fncActivateStyles(platform_, source_, wait); });
  if (!activated) {
    // The pass has reported its own failure; saying more would repeat it.
    CleanUp();
    return;
  }
  Step([&] { Flush(source_); });

  // Phase 4: the selected list.
  Status("Preparing list of styles to copy ...");
  for (int32_t i = 0; i < dialog_.StylesCount(); ++i) {
    if (!dialog_.StyleSelected(i)) continue;
    Step([&] {
      const host::Style style = source_.GetStyles().Item(dialog_.StyleItem(i));
      const std::string name = style.NameLocal();
      if (name != "Table Normal" && name != "No List") selected_.push_back(name);
      const std::string base = style.BaseStyle();
      if (!base.empty() && base != "Table Normal" && base != "No List") based_.push_back(base);
      const std::string next = style.NextParagraphStyle();
      if (!next.empty() && next != "Table Normal" && name != "No List") follow_.push_back(next);
    });
  }
  TidyList(selected_);
  TidyList(based_);
  TidyList(follow_);

  // Phase 5: dependencies and the copy list.
  bool cancelled = false;
  Dependencies(cancelled);
  if (cancelled) return;
  Step([&] { activated = numbering::fncActivateStyles(platform_, target_, wait); });
  if (!activated) {
    CleanUp();  // reported by the pass itself, as above
    return;
  }
  Step([&] { Flush(target_); });

  // Phases 6 to 8: the fast copy when a scratch document can be had.
  if (ChooseFastCopy()) {
    FastCopy();
  } else {
    SlowCopy();
  }

  // Phase 9: saving.
  Status("Saving documents...");
  Step([&] { source_.Save(); });
  Pump();
  Step([&] { target_.Save(); });
  Foreground();

  CopyNumbering();
  Finish();
}

bool CopyRun::CheckAndSave() {
  auto& app = support::gWordApp;
  if (dialog_.SourceListIndex() < 0 || Trim(dialog_.SourceText()).empty()) {
    Message("Source document?", "What document are you copying from?", Icon::Question);
    Refuse();
    return false;
  }
  if (dialog_.TargetListIndex() < 0 || Trim(dialog_.TargetText()).empty()) {
    Message("Target document?", "What document are you copying to?", Icon::Question);
    Refuse();
    return false;
  }
  const std::string source_name = FullNameOf(dialog_.SourceText());
  const std::string target_name = FullNameOf(dialog_.TargetText());
  if (source_name == target_name) {
    Message("Sorry...", "You can't copy to the same document.  Please choose a different target document.",
            Icon::Exclamation);
    Refuse();
    return false;
  }
  if (dialog_.StylesListIndex() < 0 || Trim(dialog_.StylesText()).empty()) {
    Message("Style(s)?", "What style(s) do you want to copy?", Icon::Question);
    Refuse();
    return false;
  }
  Pump();
  platform_.clock.Sleep(100);

  const auto open_named = [&](const std::string& name) -> host::Document {
    for (const auto& doc : app.GetDocuments().all()) {
      if (doc.Name() == name) return doc;
    }
    return {};
  };
  Step([&] {
    source_ = source_name == "Normal template" ? app.GetDocuments().Item(numbering::kNormalStylesDocName)
                                               : app.GetDocuments().Item(source_name);
  });
  target_is_normal_ = false;
  support::gNormalDotOpened = false;
  Step([&] {
    if (target_name == "Normal template") {
      target_is_normal_ = true;
      target_ = open_named(numbering::kNormalDotName);
      if (!target_) {
        target_ = app.NormalTemplate().OpenAsDocument();
        support::gNormalDotOpened = true;
      }
    } else {
      target_ = app.GetDocuments().Item(target_name);
    }
  });

  const Answer answer = Message(
      "Save documents?",
      std::string("Your documents need to be saved before styles can be copied.  ") +
          "You can't undo copying styles so if you need to make a safety " +
          "copy of your document, please do so now." + kCrLf + kCrLf +
          "Click OK to save your source and target documents now, or click " + "Cancel to cancel.",
      Icon::Information, Buttons::OKCancel);
  if (answer == Answer::Cancel) {
    source_ = {};
    target_ = {};
    dialog_.CancelClick();
    return false;
  }
  if (!SaveOne(source_, "Your source document is read only.  You must save it under a new name to continue.",
               "Source")) {
    return false;
  }
  return SaveOne(target_, "Your Target document is read only.  You must save it under a new name to continue.",
                 "Target");
}

bool CopyRun::SaveOne(const host::Document& doc, const std::string& readOnlyMessage, const std::string& label) {
  for (;;) {
    std::string proposed;
    bool has_path = false;
    bool read_only = false;
    Step([&] {
      proposed = doc.Name();
      const std::string path = doc.Path();
      has_path = !path.empty();
      read_only = has_path && IsReadOnlyFile(JoinPath(path, doc.Name()));
    });
    if (has_path && read_only) {
      Message("Read only document", readOnlyMessage, Icon::Information);
      proposed = "NewDocument";
    } else if (has_path) {
      Step([&] { doc.Save(); });
      dialog_.ShowDialog();
      return true;
    }
    std::string filter = support::fncAddFilterItem("", "Documents (*" + ext1_ + ")", "*" + ext1_);
    filter = support::fncAddFilterItem(filter, "Templates (*" + ext2_ + ")", "*" + ext2_);
    filter = support::fncAddFilterItem(filter, "All files (*.*)", "*.*");
    int32_t flags = 3;
    const std::string chosen = support::fncShowFileDialog(platform_.ui, &flags, support::gDocsFolder, filter, 1, "",
                                                          proposed, "", dialog_.DialogHwnd(), false);
    if (chosen.empty()) {
      Message("Save before continuing", "Both documents must be saved in order to continue.", Icon::Information);
      dialog_.SetCancelEnabled(true);
      source_ = {};
      target_ = {};
      dialog_.ShowDialog();
      return false;
    }
    if (fncSaveDocumentAs(doc, chosen, label)) {
      dialog_.ShowDialog();
      return true;
    }
  }
}

bool CopyRun::fncSaveDocumentAs(const host::Document& doc, const std::string& fileName, const std::string&) {
  try {
    doc.SaveAs(fileName);
    return true;
  } catch (const host::HostError&) {
    Message("Invalid filename", fileName + " does not appear to be a valid filename.  Please try again.",
            Icon::Exclamation, Buttons::OKCancel);
    return false;
  }
}

void CopyRun::Dependencies(bool& cancelled) {
  Status("Checking dependencies ...");
  Step([&] { CompleteDependencies(source_, selected_, based_, follow_); });
  Status("");
  Step([&] { Flush(source_); });
  Step([&] { Flush(target_); });
  WaitSeconds(platform_.clock, 1);
  Pump();
  Status("Please wait, preparing...");
  copy_ = selected_;
  TidyList(copy_);
  relink_ = copy_;
  if (based_.empty() && follow_.empty()) return;
  if (!ConfirmDependencies(platform_.ui, based_, follow_)) {
    Status("");
    dialog_.SetCancelEnabled(true);
    // The bookmark stays until the main dialog's Cancel removes it.
    Step([&] { numbering::fncCloseNormalStylesDoc(platform_); });
    if (support::gNormalDotOpened) Step([&] { numbering::fncCloseNormalDot(host::Value(true)); });
    cancelled = true;
    return;
  }
  copy_.insert(copy_.end(), based_.begin(), based_.end());
  copy_.insert(copy_.end(), follow_.begin(), follow_.end());
}

std::string CopyRun::fncPrepareScratchCopy() {
  auto& files = platform_.files;
  const std::string path = support::gDocsFolder + kFastScratchName;
  if (files.Exists(path)) files.Delete(path);
  const std::string original = files.OwnFolder() + kScratchTemplateName;
  if (!files.Exists(original)) return "";
  if (!files.Copy(original, path)) return "";
  return path;
}

std::string CopyRun::fncCreateScratchDocument() {
  host::Document doc = support::gWordApp.GetDocuments().Add();
  Pump();
  const std::string path = support::gDocsFolder + kCreatedScratchName;
  doc.SaveAs(path);
  Pump();
  doc.Close(0);
  doc = {};
  Pump();
  platform_.clock.Sleep(50);
  return path;
}

bool CopyRun::ChooseFastCopy() {
  // Asked for by the user, the slow copy is no problem to report.
  if (method_ == CopyMethod::Slow) return false;
  // Any failure while setting up the scratch document means the slow copy,
  // not the end of the run.
  try {
    scratch_path_ = fncPrepareScratchCopy();
    Pump();
    if (scratch_path_.empty() || !platform_.files.Exists(scratch_path_)) {
      scratch_path_ = fncCreateScratchDocument();
      Pump();
    }
    source_.Save();
    target_.Save();
    Foreground();
    Pump();
  } catch (const host::HostError&) {
    scratch_path_.clear();
  }
  if (!scratch_path_.empty()) return true;
  Message("Slow copy", "There was a problem with fast copy.  Slow copy will be used instead.", Icon::Information);
  return false;
}

void CopyRun::FastCopy() {
  for (const auto& name : copy_) {
    support::SkipErrors([&] { target_.GetStyles().Add(name); });
  }
  // The organizer brings only the style named and rebases a copy whose base
  // its destination lacks; the scratch document it passes through holds
  // every style of the list too, so that links between them survive.
  support::SkipErrors([&] {
    host::Document scratch = support::gWordApp.GetDocuments().Open(scratch_path_);
    for (const auto& name : copy_) {
      support::SkipErrors([&] { scratch.GetStyles().Add(name); });
    }
    support::SkipErrors([&] { scratch.Save(); });
    scratch.Close();
  });
  std::string source_path, target_path;
  Step([&] {
    source_path = JoinPath(source_.Path(), source_.Name());
    target_path = JoinPath(target_.Path(), target_.Name());
  });
  for (const auto& name : copy_) {
    fast_copy_name_ = name;
    Status("Copying style:  " + DoubleAmpersands(name));
    Step([&] { transfer::fncFastCopyStyle(support::gWordApp, source_path, scratch_path_, target_path, name); });
  }
  WaitSeconds(platform_.clock, 1);
  for (const auto& name : relink_) {
    Step([&] {
      target_.GetStyles().Item(name).SetNextParagraphStyle(source_.GetStyles().Item(name).NextParagraphStyle());
    });
  }
  Step([&] { Flush(target_); });
}

void CopyRun::SlowCopy() {
  Step([&] { Flush(target_); });
  for (const auto& name : copy_) {
    Status("(Slow copy) Copying style:  " + DoubleAmpersands(name));
    Step([&] { transfer::fncEnsureStyle(source_, target_, name); });
  }
  transfer::TransferContext ctx{
      platform_,
      support::gWordApp,
      [this](const std::string& style, int32_t number, const std::string& description) {
        ReportCopyError(platform_.ui, style, number, description);
      },
      [this](const host::Document& doc) { Flush(doc); },
      [this](const host::Document& doc) { FlushWordBuffersScreenOff(platform_.clock, support::gWordApp, doc); },
      [this](int32_t s) { WaitSeconds(platform_.clock, s); },
      nullptr,
  };
  int32_t pause_mark = kSlowCopyPauseEvery;
  for (int32_t i = 0; i < static_cast<int32_t>(copy_.size()); ++i) {
    const std::string& name = copy_[static_cast<size_t>(i)];
    if (i == pause_mark) {
      Status("(Slow copy) Waiting for Word");
      WaitSeconds(platform_.clock, 2);
      Pump();
      pause_mark += kSlowCopyPauseEvery;
    }
    Status("(Slow copy) Copying style:  " + name);
    Step([&] { transfer::fncTransferStyle(ctx, source_, target_, name); });
  }
  WaitSeconds(platform_.clock, 3);
  Pump();
}

void CopyRun::CopyNumbering() {
  // Phase 10: which list templates travel with the copied styles.
  numbering::NumberingCollection collection(platform_.ui, source_, target_, &report_);
  collection.on_name_refused = [this](const host::ObjectPtr& source_lt, const host::ObjectPtr& target_lt,
                                      const std::string& candidate) {
    std::string name =
        numbering::fncUniqueLTName(platform_.ui, source_.obj(), target_, source_lt, target_lt, candidate, &report_);
    if (name == numbering::kUniqueNameFailed) {
      CleanUp();
      throw Ended{};
    }
    return name;
  };
  for (const auto& name : copy_) {
    Status("Collecting numbering information");
    Step([&] {
      try {
        collection.Collect(name);
      } catch (const host::HostError& e) {
        if (e.number() != host::kErrNumberingCollection) throw;
        Message("Problem encountered", "There was a problem copying numbering for " + name + ".", Icon::Critical);
      }
    });
    Status("");
  }

  // Phase 11: each collected template, rebuilt in the target.
  NameList templates = collection.List();
  TidyList(templates);
  for (const auto& name : templates) {
    Status("Copying list template:  " + name);
    const int32_t result = numbering::fncCopyLT(platform_.ui, source_.obj(), target_, name, &report_);
    if (result != 0) Step([&] { throw host::HostError(result, report_.last_error); });
    Step([&] { Flush(source_); });
    Step([&] { Flush(target_); });
  }
  Status("");
}

void CopyRun::Finish() {
  auto& app = support::gWordApp;
  Step([&] { app.SetPagination(true); });
  Step([&] { app.SetScreenUpdating(true); });
  Step([&] { app.ScreenRefresh(); });
  Step([&] {
    if (HasReturnMark(support::gActiveDoc)) {
      const host::ObjectPtr mark =
          host::deref(Bookmarks(support::gActiveDoc)).call("Item", {kReturnBookmark}).as_object();
      host::deref(mark).call("Select");
      host::deref(mark).call("Delete");
    }
  });
  Step([&] { target_.Save(); });
  Step([&] {
    if (target_is_normal_ && target_.Name() == numbering::kNormalDotName) {
      target_.Close(0);
    } else if (support::gNormalDotOpened) {
      target_.Close(0);
    }
  });
  Step([&] { source_.Save(); });
  if (!scratch_path_.empty() && platform_.files.Exists(scratch_path_)) platform_.files.Delete(scratch_path_);
  selected_.clear();
  based_.clear();
  follow_.clear();
  copy_.clear();
  relink_.clear();
  source_ = {};
  target_ = {};
  support::gActiveDoc = {};
  dialog_.SetTag("OK");
  dialog_.HideDialog();
  Message("Done",
          std::string("Copying complete.") + kCrLf + kCrLf +
              "Note that if your numbering has not copied correctly you should check " +
              "your source document to make sure numbering is correctly defined.  " + kCrLf + kCrLf +
              "Use Quillon Marrowby to make sure that your numbering styles are " + "defined correctly.",
          Icon::Information);
  app = {};
}

}  // namespace tarnwell::copyrun
