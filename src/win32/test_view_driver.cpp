#include "win32/test_view_driver.h"

#include <commctrl.h>

#include <functional>
#include <utility>

#include "win32/com_util.h"

namespace tarnwell::win32::testing {

namespace {

ViewDriver* g_driver = nullptr;  // thread timers carry no data of their own

bool IsDialog(HWND window) {
  wchar_t name[16] = {};
  GetClassNameW(window, name, 16);
  return std::wstring(name) == L"#32770";
}

using Accepts = std::function<bool(HWND)>;
struct Search {
  const Accepts& accepts;
  HWND found = nullptr;
};

BOOL CALLBACK Match(HWND window, LPARAM data) {
  auto& s = *reinterpret_cast<Search*>(data);
  if (!IsDialog(window) || !IsWindowVisible(window) || !s.accepts(window)) return TRUE;
  s.found = window;
  return FALSE;
}

// The first visible dialog of this thread that accepts, nullptr when none.
HWND FindDialogWhere(const Accepts& accepts) {
  Search s{accepts};
  EnumThreadWindows(GetCurrentThreadId(), Match, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

BOOL CALLBACK CloseDialog(HWND window, LPARAM) {
  if (IsDialog(window)) PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
  return TRUE;
}

void Notify(HWND dialog, int id, WORD code) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

}  // namespace

ViewDriver::ViewDriver(std::vector<Step> steps, UINT timeout_ms)
    : steps_(std::move(steps)), deadline_(GetTickCount() + timeout_ms) {
  g_driver = this;
  timer_ = SetTimer(nullptr, 0, 50, Tick);
}

ViewDriver::~ViewDriver() {
  KillTimer(nullptr, timer_);
  if (g_driver == this) g_driver = nullptr;
}

void CALLBACK ViewDriver::Tick(HWND, UINT, UINT_PTR, DWORD) {
  if (g_driver) g_driver->Run();
}

void ViewDriver::Run() {
  // A step that starts a nested dialog returns before it is shown, but a
  // tick may still arrive while one runs.
  if (in_tick_) return;
  in_tick_ = true;
  if (static_cast<LONG>(GetTickCount() - deadline_) > 0) {
    EnumThreadWindows(GetCurrentThreadId(), CloseDialog, 0);
  } else if (!finished() && steps_[next_]()) {
    ++next_;
  }
  in_tick_ = false;
}

ViewDriver::Step Pause(int ticks) {
  return [left = ticks]() mutable { return --left <= 0; };
}

HWND FindDialog(const std::wstring& caption) {
  return FindDialogWhere([&](HWND window) { return Text(window) == Narrow(caption); });
}

HWND FindOwnedDialog(HWND owner) {
  return FindDialogWhere([owner](HWND window) { return GetWindow(window, GW_OWNER) == owner; });
}

void PostSelectLine(HWND dialog, int list_id, int line) {
  PostMessageW(GetDlgItem(dialog, list_id), LB_SETCURSEL, static_cast<WPARAM>(line), 0);
  Notify(dialog, list_id, LBN_SELCHANGE);
}

void PostSetSelected(HWND dialog, int list_id, const std::vector<int>& lines, bool selected, int caret) {
  HWND list = GetDlgItem(dialog, list_id);
  for (int line : lines) PostMessageW(list, LB_SETSEL, selected, line);
  if (caret >= 0) PostMessageW(list, LB_SETCARETINDEX, static_cast<WPARAM>(caret), FALSE);
  Notify(dialog, list_id, LBN_SELCHANGE);
}

void PostChoose(HWND dialog, int combo_id, int index) {
  PostMessageW(GetDlgItem(dialog, combo_id), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  Notify(dialog, combo_id, CBN_SELCHANGE);
}

void PostClick(HWND dialog, int button_id) { PostMessageW(GetDlgItem(dialog, button_id), BM_CLICK, 0, 0); }

void PostCloseBox(HWND dialog) { PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }

void PostEscape(HWND dialog) {
  HWND focus = GetFocus();
  PostMessageW(focus && IsChild(dialog, focus) ? focus : dialog, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
}

ViewDriver::Step MouseClick(const HWND& dialog, int control_id) {
  return [&dialog, control_id, pressed = false]() mutable {
    PostMessageW(GetDlgItem(dialog, control_id), pressed ? WM_LBUTTONUP : WM_LBUTTONDOWN, pressed ? 0 : MK_LBUTTON,
                 MAKELPARAM(4, 4));
    return std::exchange(pressed, true);
  };
}

std::vector<std::string> ListLines(HWND dialog, int list_id) {
  HWND list = GetDlgItem(dialog, list_id);
  std::vector<std::string> lines;
  const LRESULT n = SendMessageW(list, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < n; ++i) {
    std::wstring line(static_cast<size_t>(SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0)), L'\0');
    SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(line.data()));
    lines.push_back(Narrow(line));
  }
  return lines;
}

std::vector<int> SelectedLines(HWND dialog, int list_id) {
  HWND list = GetDlgItem(dialog, list_id);
  std::vector<int> lines;
  const LRESULT n = SendMessageW(list, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < n; ++i) {
    if (SendMessageW(list, LB_GETSEL, static_cast<WPARAM>(i), 0) > 0) lines.push_back(static_cast<int>(i));
  }
  return lines;
}

std::string Text(HWND window) {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return Narrow(text);
}

std::string StatusText(HWND dialog, int status_id) {
  HWND bar = GetDlgItem(dialog, status_id);
  // A simple-text bar answers for its one text as part 0 (Wine answers
  // nothing for the SB_SIMPLEID that setting it takes).
  std::wstring text(static_cast<size_t>(LOWORD(SendMessageW(bar, SB_GETTEXTLENGTHW, 0, 0))) + 1, L'\0');
  SendMessageW(bar, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(text.data()));
  text.resize(wcslen(text.c_str()));
  return Narrow(text);
}

}  // namespace tarnwell::win32::testing
