#pragma once
// Plays the user's part in a dialog shown modally on this thread (see
// views.h): a thread timer runs one step per tick from inside the dialog's
// own message loop. Steps post their input, so none runs inside a handler.

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace tarnwell::win32::testing {

class ViewDriver {
 public:
  // A step returns false to be tried again on the next tick (a window it
  // waits for is not up yet), true when it has done its part.
  using Step = std::function<bool()>;
  // Arms the timer; the steps run once a dialog's loop dispatches it.
  // After timeout_ms every dialog of the thread is closed, so a test that
  // goes wrong fails (its steps unfinished) instead of waiting for ever.
  explicit ViewDriver(std::vector<Step> steps, UINT timeout_ms = 15000);
  ~ViewDriver();
  ViewDriver(const ViewDriver&) = delete;
  ViewDriver& operator=(const ViewDriver&) = delete;

  // Every step has done its part.
  bool finished() const { return next_ == steps_.size(); }

 private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
  void Run();

  std::vector<Step> steps_;
  size_t next_ = 0;
  DWORD deadline_;
  UINT_PTR timer_ = 0;
  bool in_tick_ = false;
};

// A step that lets the dialogs' loop run for ticks ticks: what a window
// has painted reaches the screen only once the loop has been idle.
ViewDriver::Step Pause(int ticks);

// A visible dialog of this thread with this caption, nullptr when none.
HWND FindDialog(const std::wstring& caption);
// A visible dialog of this thread owned by owner, nullptr when none.
HWND FindOwnedDialog(HWND owner);

// Input as the user gives it, posted to the dialog's controls.
void PostSelectLine(HWND dialog, int list_id, int line);
void PostSetSelected(HWND dialog, int list_id, const std::vector<int>& lines, bool selected, int caret = -1);
void PostChoose(HWND dialog, int combo_id, int index);
void PostClick(HWND dialog, int button_id);
void PostCloseBox(HWND dialog);
// Escape, pressed wherever the focus is.
void PostEscape(HWND dialog);
// A step that clicks the mouse in halves: the press on one tick, the release
// on the next, so that what the press posts runs in between as it would for
// a real mouse. dialog is read when the step runs.
ViewDriver::Step MouseClick(const HWND& dialog, int control_id);

// What the window shows.
std::vector<std::string> ListLines(HWND dialog, int list_id);
std::vector<int> SelectedLines(HWND dialog, int list_id);
std::string Text(HWND window);
std::string StatusText(HWND dialog, int status_id);

}  // namespace tarnwell::win32::testing
