#pragma once
// In-memory platform services for tests. Each records what happened, so a
// test asserts on the record instead of scripting expectations.

#include <deque>
#include <functional>
#include <map>
#include <set>

#include "platform/system.h"
#include "platform/ui.h"

namespace tarnwell::platform {

class FakeUi : public Ui {
 public:
  struct Shown {
    std::string title, text;
    Icon icon;
    Buttons buttons;
    Answer answer;
  };
  // Answers given to message boxes in turn; when they run out, the first
  // button's answer (OK, Abort, Yes or Retry) is given.
  std::deque<Answer> answers;
  std::vector<Shown> shown;
  // Plays the user while a dialog is shown modally: called after Load while
  // the dialog is visible; if it returns with the dialog still visible the
  // showing ends as if the dialog were closed.
  std::function<void(ModalDialog&)> user;
  int modal_showings = 0;
  // Save-as/open dialogs: answered from this queue; empty means cancelled.
  std::deque<std::string> file_answers;
  std::vector<SaveAsRequest> file_requests;
  std::vector<std::pair<std::string, int32_t>> help_shown;
  std::vector<std::string> statuses;
  struct ListMsg {
    std::string list;
    uint32_t message;
    std::vector<int32_t> args;
  };
  std::vector<ListMsg> list_messages;
  std::vector<WindowHandle> foregrounded;
  std::map<std::string, WindowHandle> windows;  // by class name

  Answer MessageBox(const std::string& title, const std::string& text, Icon icon, Buttons buttons) override;
  void ShowModal(ModalDialog& dialog) override;
  FileDialogResult FileDialog(const SaveAsRequest& request) override;
  void ShowHelp(const std::string& path, int32_t context_id, WindowHandle caller) override;
  // One unit per character, as a view without pixels measures.
  int32_t TextWidth(const std::string& text) override;
  void ListMessage(const std::string& list_name, uint32_t message, const std::vector<int32_t>& args) override;
  bool ForceForeground(WindowHandle window) override;
  void Status(const std::string& text) override;
  WindowHandle FindWindowByClass(const std::string& class_name) override;
};

// Folders as a map of path to entries. Paths are used as given, so tests may
// use either separator.
class FakeFiles : public Files {
 public:
  std::map<std::string, std::vector<FileEntry>> folders;
  std::set<std::string> undeletable;  // full paths whose deletion fails
  std::vector<std::string> deleted;
  std::string own_folder = "/opt/tarnwell/";

  // Adds a file to a folder (folder ends with a separator).
  void AddFile(const std::string& folder, FileEntry entry);
  std::vector<FileEntry> List(const std::string& folder) override;
  bool Delete(const std::string& path) override;
  bool Copy(const std::string& from, const std::string& to) override;
  bool Exists(const std::string& path) override;
  std::string OwnFolder() override { return own_folder; }
};

class FakeRegistry : public Registry {
 public:
  struct Stored {
    uint32_t type;
    std::vector<uint8_t> data;
  };
  // "HKCU\\Software\\...\\Options" -> value name -> data
  std::map<std::string, std::map<std::string, Stored>> keys;
  std::set<std::string> refused_keys;  // keys that cannot be created
  std::vector<std::string> writes;     // "key\\name" in order

  Key CreateKey(RegistryRoot root, const std::string& key_name) override;
  int32_t SetValue(Key key, const std::string& value_name, uint32_t type, const std::vector<uint8_t>& data) override;
  void CloseKey(Key key) override;

 private:
  std::map<Key, std::string> open_;
  Key next_ = 1;
};

class FakeProcesses : public Processes {
 public:
  // id -> executable path; nothing when the process cannot be opened.
  std::map<uint32_t, std::optional<std::string>> running;
  std::vector<std::string> mutexes;

  std::vector<uint32_t> Ids() override;
  std::optional<std::string> ExecutablePath(uint32_t id) override;
  bool CreateNamedMutex(const std::string& name) override;
};

class FakeSpecialFolders : public SpecialFolders {
 public:
  std::map<int32_t, std::string> folders;  // csidl -> path; missing = failure
  std::string Get(WindowHandle owner, int32_t csidl) override;
};

class FakeSettings : public Settings {
 public:
  std::map<std::string, std::string> values;  // "app/section/key" -> value
  void Save(const std::string& app, const std::string& section, const std::string& key,
            const std::string& value) override;
  std::optional<std::string> Get(const std::string& app, const std::string& section,
                                 const std::string& key) override;
};

// Records waits and sleeps instead of spending them; time stands still
// unless a test moves it.
class FakeClock : public Clock {
 public:
  std::chrono::system_clock::time_point now{};
  // Every pacing event in order: "wait 2", "sleep 50", "pump".
  std::vector<std::string> events;

  std::chrono::system_clock::time_point Now() override { return now; }
  void WaitSeconds(int32_t seconds) override;
  void Sleep(int32_t milliseconds) override;
  void PumpMessages() override;
};

struct FakePlatform {
  FakeUi ui;
  FakeFiles files;
  FakeRegistry registry;
  FakeProcesses processes;
  FakeSpecialFolders folders;
  FakeSettings settings;
  FakeClock clock;
  Platform platform() { return Platform{ui, files, registry, processes, folders, settings, clock}; }
};

}  // namespace tarnwell::platform
