#pragma once
// The platform services of Windows, bundled for the add-in DLL.

#include <windows.h>
// The interface has a member of this name; call the function as ::MessageBoxW.
#undef MessageBox

#include <functional>
#include <map>
#include <optional>
#include <string>

#include "platform/system.h"
#include "platform/ui.h"

namespace tarnwell::win32 {

class Win32Files : public platform::Files {
 public:
  std::vector<platform::FileEntry> List(const std::string& folder) override;
  bool Delete(const std::string& path) override;
  bool Copy(const std::string& from, const std::string& to) override;
  bool Exists(const std::string& path) override;
  std::string OwnFolder() override;
};

class Win32Registry : public platform::Registry {
 public:
  Key CreateKey(platform::RegistryRoot root, const std::string& key_name) override;
  int32_t SetValue(Key key, const std::string& value_name, uint32_t type, const std::vector<uint8_t>& data) override;
  void CloseKey(Key key) override;
  static HKEY RootKey(platform::RegistryRoot root);
};

class Win32Processes : public platform::Processes {
 public:
  std::vector<uint32_t> Ids() override;
  std::optional<std::string> ExecutablePath(uint32_t id) override;
  bool CreateNamedMutex(const std::string& name) override;
};

class Win32SpecialFolders : public platform::SpecialFolders {
 public:
  std::string Get(platform::WindowHandle owner, int32_t csidl) override;
};

// VB's per-user settings store: HKCU\Software\VB and VBA Program
// Settings\<app>\<section>, string values.
class Win32Settings : public platform::Settings {
 public:
  static constexpr const char* kRoot = "Software\\VB and VBA Program Settings\\";
  void Save(const std::string& app, const std::string& section, const std::string& key,
            const std::string& value) override;
  std::optional<std::string> Get(const std::string& app, const std::string& section,
                                 const std::string& key) override;
};

class Win32Clock : public platform::Clock {
 public:
  std::chrono::system_clock::time_point Now() override { return std::chrono::system_clock::now(); }
  // A named manual-reset waitable timer and MsgWaitForMultipleObjects, with
  // messages pumped between wakes.
  void WaitSeconds(int32_t seconds) override;
  void Sleep(int32_t milliseconds) override { ::Sleep(static_cast<DWORD>(milliseconds < 0 ? 0 : milliseconds)); }
  void PumpMessages() override;
  // The timer's name: this module's file name without extension + "Timer".
  static std::string TimerName();
};

class Win32Ui : public platform::Ui {
 public:
  platform::Answer MessageBox(const std::string& title, const std::string& text, platform::Icon icon,
                              platform::Buttons buttons) override;
  void ShowModal(platform::ModalDialog& dialog) override;
  platform::FileDialogResult FileDialog(const platform::SaveAsRequest& request) override;
  void ShowHelp(const std::string& path, int32_t context_id, platform::WindowHandle caller) override;
  int32_t TextWidth(const std::string& text) override;
  void ListMessage(const std::string& list_name, uint32_t message, const std::vector<int32_t>& args) override;
  bool ForceForeground(platform::WindowHandle window) override;
  void Status(const std::string& text) override;
  platform::WindowHandle FindWindowByClass(const std::string& class_name) override;

  // A view registers its window, lists (by model name) and status bar while
  // it is shown; message boxes are owned by that window.
  HWND owner = nullptr;
  HWND status_bar = nullptr;
  std::map<std::string, HWND> lists;
  // Shows a dialog model in a window; set by the views. Without one, a
  // modal showing is refused with a HostError.
  std::function<void(Win32Ui&, platform::ModalDialog&)> show_view;
  // For test hosts: answers message boxes instead of showing one, since a
  // real one blocks a machine without a user.
  std::function<platform::Answer(const std::string&, const std::string&, platform::Icon, platform::Buttons)>
      answer_box;

  // Every help request as the viewer gets it: file, command (15 a topic by
  // context id, 1 the contents), context id and calling window.
  struct HelpCall {
    std::string path;
    uint32_t command;
    int32_t context_id;
    platform::WindowHandle caller;
  };
  std::vector<HelpCall> help_calls;
  // For test hosts: takes the request instead of the help viewer, whose
  // window would outlive the test.
  std::function<void(const HelpCall&)> help_viewer;
};

struct Win32Platform {
  Win32Ui ui;
  Win32Files files;
  Win32Registry registry;
  Win32Processes processes;
  Win32SpecialFolders folders;
  Win32Settings settings;
  Win32Clock clock;
  platform::Platform platform() { return platform::Platform{ui, files, registry, processes, folders, settings, clock}; }
};

// The module (DLL or program) that holds this code.
HMODULE ThisModule();

// Registry work on the calls Windows XP already has, for the 32-bit DLL.
// Each answers a Win32 error code, ERROR_SUCCESS when done.
// Creates the key when it is missing, as RegSetKeyValueW does.
LONG SetRegistryValue(HKEY root, const std::wstring& key, const wchar_t* name, DWORD type, const void* data,
                      DWORD bytes);
// The key with all its subkeys; ERROR_FILE_NOT_FOUND when there is no key.
LONG DeleteRegistryTree(HKEY root, const std::wstring& key);
// A REG_SZ value, or a REG_EXPAND_SZ one expanded, as RegGetValueW with
// RRF_RT_REG_SZ reads it; stored text need not end in its NUL.
std::optional<std::wstring> ReadRegistryString(HKEY root, const std::wstring& key, const wchar_t* name);

}  // namespace tarnwell::win32
