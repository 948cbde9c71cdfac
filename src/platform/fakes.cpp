#include "platform/fakes.h"

#include <algorithm>

namespace tarnwell::platform {

namespace {

// What a user pressing Enter would get: the box's first button.
Answer FirstButton(Buttons buttons) {
  switch (buttons) {
    case Buttons::AbortRetryIgnore:
      return Answer::Abort;
    case Buttons::YesNoCancel:
    case Buttons::YesNo:
      return Answer::Yes;
    case Buttons::RetryCancel:
      return Answer::Retry;
    case Buttons::OK:
    case Buttons::OKCancel:
      break;
  }
  return Answer::OK;
}

// Splits at the last separator of either kind; the folder keeps it.
std::pair<std::string, std::string> SplitPath(const std::string& path) {
  const auto cut = path.find_last_of("/\\");
  if (cut == std::string::npos) return {"", path};
  return {path.substr(0, cut + 1), path.substr(cut + 1)};
}

}  // namespace

Answer FakeUi::MessageBox(const std::string& title, const std::string& text, Icon icon, Buttons buttons) {
  Answer answer = FirstButton(buttons);
  if (!answers.empty()) {
    answer = answers.front();
    answers.pop_front();
  }
  shown.push_back(Shown{title, text, icon, buttons, answer});
  return answer;
}

void FakeUi::ShowModal(ModalDialog& dialog) {
  ++modal_showings;
  dialog.Load();
  // A load may hide the dialog itself (a failed start-up); then nobody
  // gets to play the user.
  if (user && dialog.Visible()) user(dialog);
}

FileDialogResult FakeUi::FileDialog(const SaveAsRequest& request) {
  file_requests.push_back(request);
  FileDialogResult result;
  if (file_answers.empty()) return result;
  result.path = file_answers.front();
  file_answers.pop_front();
  // An empty answer scripts a cancel in the middle of a queue.
  result.ok = !result.path.empty();
  result.flags = request.flags;
  return result;
}

void FakeUi::ShowHelp(const std::string& path, int32_t context_id, WindowHandle) {
  help_shown.emplace_back(path, context_id);
}

int32_t FakeUi::TextWidth(const std::string& text) {
  // Characters, not bytes: UTF-8 continuation bytes do not count.
  return static_cast<int32_t>(
      std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

void FakeUi::ListMessage(const std::string& list_name, uint32_t message, const std::vector<int32_t>& args) {
  list_messages.push_back(ListMsg{list_name, message, args});
}

bool FakeUi::ForceForeground(WindowHandle window) {
  foregrounded.push_back(window);
  return window != 0;
}

void FakeUi::Status(const std::string& text) { statuses.push_back(text); }

WindowHandle FakeUi::FindWindowByClass(const std::string& class_name) {
  const auto it = windows.find(class_name);
  return it == windows.end() ? 0 : it->second;
}

void FakeFiles::AddFile(const std::string& folder, FileEntry entry) {
  auto& entries = folders[folder];
  const auto same = std::find_if(entries.begin(), entries.end(),
                                 [&](const FileEntry& e) { return e.name == entry.name; });
  if (same != entries.end()) {
    *same = std::move(entry);
  } else {
    entries.push_back(std::move(entry));
  }
}

std::vector<FileEntry> FakeFiles::List(const std::string& folder) {
  const auto it = folders.find(folder);
  return it == folders.end() ? std::vector<FileEntry>{} : it->second;
}

bool FakeFiles::Delete(const std::string& path) {
  if (undeletable.count(path)) return false;
  const auto [folder, name] = SplitPath(path);
  const auto it = folders.find(folder);
  if (it == folders.end()) return false;
  auto& entries = it->second;
  const auto hit = std::find_if(entries.begin(), entries.end(),
                                [&n = name](const FileEntry& e) { return e.name == n && !e.directory; });
  if (hit == entries.end()) return false;
  entries.erase(hit);
  deleted.push_back(path);
  return true;
}

bool FakeFiles::Copy(const std::string& from, const std::string& to) {
  const auto [from_folder, from_name] = SplitPath(from);
  const auto it = folders.find(from_folder);
  if (it == folders.end()) return false;
  const auto src = std::find_if(it->second.begin(), it->second.end(),
                                [&n = from_name](const FileEntry& e) { return e.name == n && !e.directory; });
  if (src == it->second.end()) return false;
  const auto [to_folder, to_name] = SplitPath(to);
  if (to_name.empty()) return false;
  FileEntry copy = *src;
  copy.name = to_name;
  AddFile(to_folder, std::move(copy));
  return true;
}

bool FakeFiles::Exists(const std::string& path) {
  if (folders.count(path)) return true;
  const auto [folder, name] = SplitPath(path);
  const auto it = folders.find(folder);
  if (it == folders.end()) return false;
  return std::any_of(it->second.begin(), it->second.end(), [&n = name](const FileEntry& e) { return e.name == n; });
}

Registry::Key FakeRegistry::CreateKey(RegistryRoot root, const std::string& key_name) {
  const std::string full = RegistryRootName(root) + "\\" + key_name;
  if (refused_keys.count(full)) return 0;
  keys[full];  // an opened key exists even before a value is written
  const Key key = next_++;
  open_[key] = full;
  return key;
}

int32_t FakeRegistry::SetValue(Key key, const std::string& value_name, uint32_t type,
                               const std::vector<uint8_t>& data) {
  const auto it = open_.find(key);
  if (it == open_.end()) return 6;  // ERROR_INVALID_HANDLE, as the system answers a closed key
  keys[it->second][value_name] = Stored{type, data};
  writes.push_back(it->second + "\\" + value_name);
  return 0;
}

void FakeRegistry::CloseKey(Key key) { open_.erase(key); }

std::vector<uint32_t> FakeProcesses::Ids() {
  std::vector<uint32_t> ids;
  ids.reserve(running.size());
  for (const auto& [id, path] : running) ids.push_back(id);
  return ids;
}

std::optional<std::string> FakeProcesses::ExecutablePath(uint32_t id) {
  const auto it = running.find(id);
  return it == running.end() ? std::nullopt : it->second;
}

bool FakeProcesses::CreateNamedMutex(const std::string& name) {
  mutexes.push_back(name);
  return true;
}

std::string FakeSpecialFolders::Get(WindowHandle, int32_t csidl) {
  const auto it = folders.find(csidl);
  return it == folders.end() ? std::string{} : it->second;
}

void FakeSettings::Save(const std::string& app, const std::string& section, const std::string& key,
                        const std::string& value) {
  values[app + "/" + section + "/" + key] = value;
}

std::optional<std::string> FakeSettings::Get(const std::string& app, const std::string& section,
                                             const std::string& key) {
  const auto it = values.find(app + "/" + section + "/" + key);
  if (it == values.end()) return std::nullopt;
  return it->second;
}

void FakeClock::WaitSeconds(int32_t seconds) { events.push_back("wait " + std::to_string(seconds)); }

void FakeClock::Sleep(int32_t milliseconds) { events.push_back("sleep " + std::to_string(milliseconds)); }

void FakeClock::PumpMessages() { events.push_back("pump"); }

}  // namespace tarnwell::platform
