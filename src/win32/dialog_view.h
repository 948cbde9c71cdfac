#pragma once
// What the two views share: a resource dialog shown modally for a model,
// with the model's handlers run so that nothing escapes through a window
// procedure, and the UI's window registrations restored afterwards.

#include <exception>
#include <functional>
#include <string>
#include <vector>

#include "dialog/controls.h"
#include "win32/platform_win32.h"

namespace tarnwell::win32 {

class DialogView {
 public:
  DialogView(Win32Ui& ui, platform::ModalDialog& model, int template_id)
      : ui_(ui), model_(model), template_id_(template_id) {}
  virtual ~DialogView() = default;
  DialogView(const DialogView&) = delete;
  DialogView& operator=(const DialogView&) = delete;

  void Run();

 protected:
  HWND hwnd() const { return hwnd_; }
  HWND item(int id) const { return GetDlgItem(hwnd_, id); }
  Win32Ui& ui() { return ui_; }

  // Before the model's load: hands the window to the model and registers
  // the lists and status bar with the UI.
  virtual void Attach() {}
  // After the window has gone.
  virtual void Detach() {}
  virtual void Draw() = 0;
  virtual void Command(int id, int code, HWND control) = 0;
  // The close box or the window menu's Close.
  virtual void CloseBox() = 0;
  // Any other message; true when handled, with the procedure's result.
  virtual bool Other(UINT /*message*/, WPARAM, LPARAM, INT_PTR& /*result*/) { return false; }

  // Runs a model handler. Afterwards the window shows the model again, or
  // the showing ends when the model has hidden. What the handler raises
  // ends the showing; Run raises it again.
  void Handle(const std::function<void()>& handler);

  // id 0 is the dialog's own caption.
  void SetText(int id, const std::string& text);
  // Brings a list box to the model's lines (refilled only when they differ,
  // so the scroll position survives a redraw) and its selection.
  void DrawList(int id, const std::vector<std::string>& items, std::vector<std::string>& shown);

 private:
  static INT_PTR CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  void End();

  static constexpr UINT_PTR kRedrawTimer = 1;

  Win32Ui& ui_;
  platform::ModalDialog& model_;
  int template_id_;
  HWND hwnd_ = nullptr;
  bool ended_ = false;
  int running_ = 0;  // handlers under way, nested ones counted
  std::exception_ptr error_;
};

// The About image: a round emblem with an "i", drawn into an owner-drawn
// static control.
void DrawAboutEmblem(const DRAWITEMSTRUCT& draw);

// Word's main window among this thread's windows, nullptr when there is none.
HWND WordWindowOfThisThread();

}  // namespace tarnwell::win32

namespace tarnwell::dialog {
class frmVell_COM;
class frmVellAbout_COM;
}
namespace tarnwell::copyrun {
class frmVellDependencies_COM;
}

namespace tarnwell::win32 {
void ShowVellView(Win32Ui& ui, dialog::frmVell_COM& model);
void ShowDependenciesView(Win32Ui& ui, copyrun::frmVellDependencies_COM& model);
void ShowAboutView(Win32Ui& ui, dialog::frmVellAbout_COM& model);
}  // namespace tarnwell::win32
