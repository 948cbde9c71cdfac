#pragma once
// One run of the command as the add-in host: an embedded Word with the
// given documents open, the add-in connected to it, and the dialog opened
// by clicking the add-in's button on the Format menu, as a Word user would.

#include <functional>
#include <iosfwd>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "addin/Connect.h"
#include "cli/commands.h"
#include "cli/terminal_ui.h"
#include "copyrun/dependencies.h"
#include "dialog/frmVell_COM.h"
#include "engine/application.h"
#include "host/word.h"
#include "platform/fakes.h"
#include "posix/posix_platform.h"

namespace tarnwell::cli {

// The host's files as the add-in sees them beside the embedded Word: what
// Word's organizer still holds for a file is written before the file is
// read or copied, and dropped once the file is deleted or replaced.
class OrganizerAwareFiles : public platform::Files {
 public:
  OrganizerAwareFiles(platform::Files& inner, engine::Application& word) : inner_(inner), word_(word) {}
  std::vector<platform::FileEntry> List(const std::string& folder) override;
  bool Delete(const std::string& path) override;
  bool Copy(const std::string& from, const std::string& to) override;
  bool Exists(const std::string& path) override { return inner_.Exists(path); }
  std::string OwnFolder() override { return inner_.OwnFolder(); }

 private:
  platform::Files& inner_;
  engine::Application& word_;
};

// The processes as the add-in counts Word's: in the command's home Word is
// the engine inside this process, the one Word process there is, whatever
// other programs' executables are called.
class EmbeddedWordProcesses : public platform::Processes {
 public:
  explicit EmbeddedWordProcesses(platform::Processes& inner);
  std::vector<uint32_t> Ids() override { return {self_}; }
  std::optional<std::string> ExecutablePath(uint32_t id) override;
  bool CreateNamedMutex(const std::string& name) override { return inner_.CreateNamedMutex(name); }

 private:
  platform::Processes& inner_;
  uint32_t self_;
};

// The special folders; with a documents folder set by the command (a dry
// run's), no local application data, so Word's scratch files there stay.
class ChosenDocumentsFolder : public platform::SpecialFolders {
 public:
  ChosenDocumentsFolder(platform::SpecialFolders& inner, std::string documents)
      : inner_(inner), documents_(std::move(documents)) {}
  std::string Get(platform::WindowHandle owner, int32_t csidl) override {
    if (documents_.empty()) return inner_.Get(owner, csidl);
    if (csidl == platform::kCsidlPersonal) return documents_;
    return csidl == platform::kCsidlLocalAppData ? std::string() : inner_.Get(owner, csidl);
  }

 private:
  platform::SpecialFolders& inner_;
  std::string documents_;
};

// The user's settings as read; what is saved is kept in memory only.
class SettingsInMemory : public platform::Settings {
 public:
  explicit SettingsInMemory(platform::Settings& inner) : inner_(inner) {}
  void Save(const std::string& app, const std::string& section, const std::string& key,
            const std::string& value) override {
    saved_[app + "/" + section + "/" + key] = value;
  }
  std::optional<std::string> Get(const std::string& app, const std::string& section,
                                 const std::string& key) override {
    if (auto it = saved_.find(app + "/" + section + "/" + key); it != saved_.end()) return it->second;
    return inner_.Get(app, section, key);
  }

 private:
  platform::Settings& inner_;
  std::map<std::string, std::string> saved_;
};

class HostSession {
 public:
  HostSession(const GlobalOptions& g, std::ostream& err, std::istream& in);
  ~HostSession();

  // Opens the files in order (none: a blank document, as Word starts);
  // returns them as Word holds them.
  std::vector<host::Document> Open(const std::vector<std::string>& files);

  // Connects the add-in, clicks "&Tarnwell" and lets user play the dialog
  // while it is shown. False when the dialog never became visible (its load
  // failed and reported why) or the button was not there.
  bool ShowDialog(const std::function<void(dialog::frmVell_COM&)>& user);

  // Answers the dependencies dialog; without it, OK with all offered.
  std::function<void(copyrun::frmVellDependencies_COM&)> on_dependencies;

  host::Application& word() { return word_; }
  platform::Platform& platform() { return platform_; }
  TerminalUi& ui() { return ui_; }

 private:
  std::ostream& err_;
  TerminalUi ui_;
  posix::PosixPlatform& Posix(bool pace);
  std::unique_ptr<posix::PosixPlatform> posix_owner_;
  posix::PosixPlatform& posix_;
  host::Application word_;
  OrganizerAwareFiles files_;
  EmbeddedWordProcesses processes_;
  ChosenDocumentsFolder folders_;
  platform::FakeRegistry registry_in_memory_;
  SettingsInMemory settings_in_memory_;
  platform::Platform platform_;
  std::unique_ptr<addin::Connect> connect_;
  bool connected_ = false;
};

// The line of a document list that stands for file: its full name matches
// the file's path; -1 when none does.
int32_t FindDocumentEntry(const dialog::ListBox& list, const std::string& file);

// A path as absolute, with links and dot segments resolved where they exist,
// so two spellings of one file compare equal; the path as given when not.
std::string CanonicalPath(const std::string& path);

}  // namespace tarnwell::cli
