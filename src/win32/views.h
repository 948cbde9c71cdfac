#pragma once
// The Win32 views of the dialog models: frmVell_COM, frmVellDependencies_COM
// and frmVellAbout_COM as resource dialogs (VellDLLCOM.rc, resource.h).
// A view maps window messages to the model's handlers and redraws from the
// model after each; it decides nothing itself. While a view is up it is the
// owner of the UI service's message boxes and file dialogs, and its lists
// and status bar receive the model's list messages and status texts.
//
// Driving a view from a test
// --------------------------
// ShowModal does not return until the model hides, so a test acts from
// inside the dialog's own modal loop: it arms a thread timer (SetTimer with
// no window and a TimerProc; test_view_driver.h does this) before the call
// that shows the dialog, and each tick performs the next step. Steps find
// the window by its caption (FindWindowW(L"#32770", L"Quillon Tarnwell")),
// its controls with GetDlgItem and the identifiers of resource.h, and act as
// a user's input would arrive, by posting rather than sending, so that a
// step never runs inside the handler it starts:
//   - select a line of a single-choice list: LB_SETCURSEL, then
//     WM_COMMAND(MAKEWPARAM(id, LBN_SELCHANGE), list) to the dialog;
//   - select lines of lstStyles or of the dependencies' lists: LB_SETSEL
//     (and LB_SETCARETINDEX for the current line), then LBN_SELCHANGE;
//   - choose a style type: CB_SETCURSEL, then CBN_SELCHANGE;
//   - click a button: BM_CLICK to the button (it takes the focus first, as
//     a mouse click does, so lstStyles' validation runs);
//   - close the window from its close box: WM_SYSCOMMAND with SC_CLOSE.
// What the window shows is read back with LB_GETTEXT, LB_GETSEL,
// CB_GETCURSEL, GetWindowText, IsWindowEnabled and SB_GETTEXT. Message boxes
// never appear: the test gives Win32Ui an answer_box (in the DLL, the
// TARNWELL_TEST_MESSAGE_LOG hook does), because a real one would wait for a
// user. The save-as dialog is a real one: a step finds it among the
// thread's windows owned by the main dialog, types a name into its file
// name box (control 0x47C) and posts IDOK or IDCANCEL to it.

#include "win32/platform_win32.h"

namespace tarnwell::win32 {

// Shows the model in its view, modal to the window that owns the UI's
// dialogs at the time (a view already up, else Word's main window of this
// thread). Returns once the model hides. A model without a view, or a
// window that cannot be made (no display), raises a HostError; whatever a
// handler raised ends the showing and is raised again here.
void ShowView(Win32Ui& ui, platform::ModalDialog& dialog);

// Makes the UI show dialog models in their views.
inline void InstallViews(Win32Ui& ui) { ui.show_view = ShowView; }

}  // namespace tarnwell::win32
