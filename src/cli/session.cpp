#include "cli/session.h"

#include <unistd.h>

#include <filesystem>
#include <ostream>

#include "addin/modCountProcess.h"
#include "dialog/frmVell_COM.h"
#include "engine/engine.h"
#include "host/click.h"
#include "host/collection.h"

namespace tarnwell::cli {

namespace fs = std::filesystem;

namespace {

std::unique_ptr<posix::PosixPlatform> PosixFor(bool pace) {
  auto p = std::make_unique<posix::PosixPlatform>();
  p->real_waits = pace;
  return p;
}

// A dry run's registry and settings keep what it writes in memory, leaving
// the registry store and the settings file as they were.
platform::Platform HostPlatform(platform::Platform p, platform::Files& files, platform::Processes& processes,
                                platform::SpecialFolders& folders, platform::Registry* dry_registry,
                                platform::Settings* dry_settings) {
  return platform::Platform{p.ui,    files, dry_registry ? *dry_registry : p.registry, processes, folders,
                            dry_settings ? *dry_settings : p.settings, p.clock};
}

// An organizer failure to write surfaces in Word's next call on the file;
// the host's own step goes on with what is on disk.
void TryFlush(engine::Application& word, const std::string& path) {
  try {
    word.FlushOrganizerFile(path);
  } catch (const host::HostError&) {
  }
}

// The Word calls that tell what a run does, for --verbose.
const char* WordStep(std::string_view cls, std::string_view member) {
  static const struct {
    const char* cls;
    const char* member;
    const char* step;
  } kSteps[] = {
      {"Documents", "Open", "opens a document"},
      {"Template", "OpenAsDocument", "opens the Normal template as a document"},
      {"Document", "Save", "saves a document"},
      {"Document", "SaveAs", "saves a document under a new name"},
      {"Document", "Close", "closes a document"},
      {"Application", "OrganizerCopy", "the organizer copies a style"},
      {"Range", "InsertParagraphAfter", "the activation pass adds its scratch paragraph"},
      {"Tables", "Add", "the activation pass adds its scratch table"},
  };
  for (const auto& s : kSteps)
    if (host::same_name(cls, s.cls) && host::same_name(member, s.member)) return s.step;
  return nullptr;
}

}  // namespace

std::vector<platform::FileEntry> OrganizerAwareFiles::List(const std::string& folder) {
  // Sizes and times must be those of the written files.
  try {
    word_.FlushOrganizerFiles();
  } catch (const host::HostError&) {
  }
  return inner_.List(folder);
}

bool OrganizerAwareFiles::Delete(const std::string& path) {
  bool deleted = inner_.Delete(path);
  // A deleted file takes the organizer's unwritten changes with it; one
  // that stays must show them.
  if (deleted) {
    word_.ForgetOrganizerFile(path);
  } else {
    TryFlush(word_, path);
  }
  return deleted;
}

bool OrganizerAwareFiles::Copy(const std::string& from, const std::string& to) {
  TryFlush(word_, from);
  bool copied = inner_.Copy(from, to);
  if (copied) word_.ForgetOrganizerFile(to);
  return copied;
}

EmbeddedWordProcesses::EmbeddedWordProcesses(platform::Processes& inner)
    : inner_(inner), self_(static_cast<uint32_t>(::getpid())) {}

std::optional<std::string> EmbeddedWordProcesses::ExecutablePath(uint32_t id) {
  if (id != self_) return std::nullopt;
  return std::string(addin::kWordExecutable);
}

posix::PosixPlatform& HostSession::Posix(bool pace) {
  posix_owner_ = PosixFor(pace);
  return *posix_owner_;
}

HostSession::HostSession(const GlobalOptions& g, std::ostream& err, std::istream& in)
    : err_(err),
      ui_(err, in, g.answering),
      posix_(Posix(g.pace)),
      word_(NewWord(g)),
      files_(posix_.files, dynamic_cast<engine::Application&>(word_.ref())),
      processes_(posix_.processes),
      folders_(posix_.folders, g.documents_folder),
      settings_in_memory_(posix_.settings),
      platform_(HostPlatform(posix_.platform(ui_), files_, processes_, folders_,
                             g.dry_run ? &registry_in_memory_ : nullptr, g.dry_run ? &settings_in_memory_ : nullptr)) {
  ui_.show_status = g.verbose;
  ui_.quiet = g.quiet;
  if (g.verbose) {
    dynamic_cast<engine::Application&>(word_.ref()).faults()->on_use = [this](std::string_view cls,
                                                                            std::string_view member) {
      if (const char* step = WordStep(cls, member)) {
        ui_.EndStatusLine();
        err_ << "  Word: " << step << " (" << cls << "." << member << ")\n";
      }
    };
  }
}

HostSession::~HostSession() {
  if (connected_) {
    try {
      connect_->AddinInstance_OnDisconnection(0, host::Value(host::Array{}));
    } catch (const host::HostError& e) {
      err_ << "tarnwell: disconnecting: " << e.description() << "\n";
    }
  }
}

std::vector<host::Document> HostSession::Open(const std::vector<std::string>& files) {
  std::vector<host::Document> docs;
  auto all = word_.GetDocuments();
  for (const auto& f : files) docs.push_back(all.Open(f));
  // Word started without a file opens a blank document, and without a
  // document open it offers no Format menu to reach the add-in.
  if (files.empty()) docs.push_back(all.Add());
  return docs;
}

bool HostSession::ShowDialog(const std::function<void(dialog::frmVell_COM&)>& user) {
  if (!connect_) {
    connect_ = std::make_unique<addin::Connect>(platform_);
    connect_->AddinInstance_OnConnection(word_.obj(), addin::ext_cm_Startup, nullptr, host::Value(host::Array{}));
    connect_->AddinInstance_OnStartupComplete(host::Value(host::Array{}));
    connected_ = true;
  }
  // The way in is the button on the Format menu, as for a Word user.
  auto format = host::item(host::deref(word_.ref().get("CommandBars").as_object()), "Format");
  std::shared_ptr<host::ClickSource> button;
  for (auto& control : host::items(host::deref(host::deref(format).get("Controls").as_object()))) {
    if (control->get("Caption").as_string() == addin::kVellButtonCaption) {
      button = std::dynamic_pointer_cast<host::ClickSource>(control);
      break;
    }
  }
  if (!button) {
    // The add-in reported why it could not make one; a button it made and
    // someone took away is another story.
    err_ << "tarnwell: the \"" << addin::kVellButtonCaption << "\" button is not on Word's Format menu: "
         << (connect_->mcbVellButton() ? "it was removed after the add-in put it there"
                                       : "the add-in could not put it there (see the error above)")
         << "\n";
    return false;
  }
  bool shown = false;
  ui_.user = [&](platform::ModalDialog& d) {
    if (auto* main = dynamic_cast<dialog::frmVell_COM*>(&d)) {
      shown = true;
      user(*main);
    } else if (auto* deps = dynamic_cast<copyrun::frmVellDependencies_COM*>(&d)) {
      if (on_dependencies) {
        on_dependencies(*deps);
      } else {
        deps->cmdOK_Click();
      }
    }
  };
  button->Click();
  ui_.user = nullptr;
  return shown;
}

int32_t FindDocumentEntry(const dialog::ListBox& list, const std::string& file) {
  std::string wanted = CanonicalPath(file);
  for (int32_t i = 0; i < list.ListCount(); ++i) {
    std::string full = dialog::DocEntryFullName(list.List(i));
    if (full == file || CanonicalPath(full) == wanted) return i;
  }
  return -1;
}

std::string CanonicalPath(const std::string& path) {
  std::error_code ec;
  auto p = fs::weakly_canonical(fs::absolute(path), ec);
  return ec ? path : p.string();
}

}  // namespace tarnwell::cli
