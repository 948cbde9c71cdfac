#pragma once
// What the system shows the user: message boxes, modal dialogs, the save-as
// dialog, the help viewer, and text measurement for list layout.

#include <cstdint>
#include <string>
#include <vector>

namespace tarnwell::platform {

using WindowHandle = std::uintptr_t;

// Values as Windows' MessageBox takes and returns them.
enum class Icon : int32_t { None = 0, Critical = 16, Question = 32, Exclamation = 48, Information = 64 };
enum class Buttons : int32_t { OK = 0, OKCancel = 1, AbortRetryIgnore = 2, YesNoCancel = 3, YesNo = 4, RetryCancel = 5 };
enum class Answer : int32_t { OK = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7 };

// A dialog model as the UI service shows it. The model owns its state and
// handlers; a view (or the command line) drives them.
class ModalDialog {
 public:
  virtual ~ModalDialog() = default;
  // Runs the dialog's load; the showing ends when the model is hidden.
  virtual void Load() = 0;
  virtual bool Visible() const = 0;
  // The window that a platform view gave the model, 0 when it has none.
  virtual WindowHandle Hwnd() const { return 0; }
};

struct SaveAsRequest {
  int32_t flags = 0;
  std::string initial_dir;
  std::string filter;  // description NUL pattern NUL pairs
  int32_t filter_index = 1;
  std::string default_ext;
  std::string file_name;
  std::string title;
  WindowHandle owner = 0;
  bool open = true;  // false: a Save As dialog
};
struct FileDialogResult {
  bool ok = false;  // false: cancelled or failed
  std::string path;
  int32_t flags = 0;
};

class Ui {
 public:
  virtual ~Ui() = default;
  virtual Answer MessageBox(const std::string& title, const std::string& text, Icon icon,
                            Buttons buttons) = 0;
  // Shows the dialog modally: runs its Load, then returns once it is hidden.
  virtual void ShowModal(ModalDialog& dialog) = 0;
  virtual FileDialogResult FileDialog(const SaveAsRequest& request) = 0;
  virtual void ShowHelp(const std::string& path, int32_t context_id, WindowHandle caller) = 0;
  // Width of text in the dialog's font, in pixels (a view without pixels may
  // count characters).
  virtual int32_t TextWidth(const std::string& text) = 0;
  // Sends a list-box message (tab stops, horizontal extent) to a view's list.
  // Tab stops come as the stops alone; the view sends their count apart.
  virtual void ListMessage(const std::string& list_name, uint32_t message, const std::vector<int32_t>& args) = 0;
  virtual bool ForceForeground(WindowHandle window) = 0;
  // Shows a progress text (the status bar of a dialog, or a terminal line).
  virtual void Status(const std::string& text) = 0;
  // Finds a top-level window by class name; 0 when there is none.
  virtual WindowHandle FindWindowByClass(const std::string& class_name) = 0;
};

inline constexpr uint32_t kLbSetTabStops = 0x192;
inline constexpr uint32_t kLbSetHorizontalExtent = 0x194;

}  // namespace tarnwell::platform
