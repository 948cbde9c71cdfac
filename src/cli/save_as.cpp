#include "cli/save_as.h"

#include <cstdlib>
#include <filesystem>
#include <istream>
#include <ostream>

namespace tarnwell::cli {

namespace fs = std::filesystem;

namespace {

// The save-as dialog's flag that asks before a file is replaced.
constexpr int32_t kOverwritePrompt = 2;

bool NeedsNewName(const host::Document& doc) {
  return doc && (doc.Path().empty() || doc.ref().get("ReadOnly").as_bool());
}

}  // namespace

std::string AsTyped(const std::string& path, const std::string& document_name) {
  std::string out = path;
  if (out == "~" || out.rfind("~/", 0) == 0) {
    if (const char* home = std::getenv("HOME"); home && *home) out = home + out.substr(1);
  }
  fs::path p(out);
  if (!out.empty() && out.back() != '/' && !p.has_extension()) {
    std::string ext = fs::path(document_name).extension().string();
    out += ext.empty() ? ".docx" : ext;
  }
  return out;
}

SaveAsAnswers::SaveAsAnswers(TerminalUi& ui, std::ostream& err, std::istream& in, bool terminal,
                             host::Document source, host::Document target, std::string source_as,
                             std::string target_as)
    : ui_(ui),
      err_(err),
      in_(in),
      terminal_(terminal),
      source_(std::move(source)),
      target_(std::move(target)),
      source_as_{"--save-source-as", std::move(source_as)},
      target_as_{"--save-target-as", std::move(target_as)} {}

bool SaveAsAnswers::SourceAsking() const { return NeedsNewName(source_); }

std::string SaveAsAnswers::Choose(const platform::SaveAsRequest& request) {
  const bool source = SourceAsking();
  Given& given = source ? source_as_ : target_as_;
  const host::Document& doc = source ? source_ : target_;
  const std::string name = doc ? doc.Name() : request.file_name;
  for (;;) {
    std::string path;
    if (!given.path.empty() && !given.used) {
      // Once only: a path Word refused is not offered again.
      given.used = true;
      path = given.path;
    } else if (terminal_) {
      ui_.EndStatusLine();
      err_ << "Save the " << (source ? "source" : "target") << " \"" << request.file_name
           << "\" as (a path; empty to cancel): " << std::flush;
      if (!std::getline(in_, path)) path.clear();
    }
    if (path.empty()) return "";
    path = AsTyped(path, name);
    if (!(request.flags & kOverwritePrompt) || Replace(path)) return path;
    if (!terminal_) return "";
  }
}

bool SaveAsAnswers::Replace(const std::string& path) {
  std::error_code ec;
  if (!fs::exists(path, ec)) return true;
  // An open document's file is Word's to decide on: a document may be saved
  // over its own file, never over another's.
  for (const host::Document* d : {&source_, &target_}) {
    if (*d && !d->Path().empty() && fs::equivalent(d->FullName(), path, ec)) return true;
  }
  return ui_.MessageBox("Confirm Save As", path + " already exists.\r\nDo you want to replace it?",
                        platform::Icon::Exclamation, platform::Buttons::YesNo) == platform::Answer::Yes;
}

void SaveAsAnswers::ReportUnused() const {
  for (const auto* given : {&source_as_, &target_as_}) {
    if (given->path.empty() || given->used) continue;
    const host::Document& doc = given == &source_as_ ? source_ : target_;
    err_ << "tarnwell: " << given->option << " was not used: " << (doc ? doc.FullName() : std::string("the document"))
         << " was saved in place\n";
  }
}

}  // namespace tarnwell::cli
