// Waits, message pumping and the user interface on Windows.
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>

#include "host/host_error.h"
#include "win32/com_util.h"
#include "win32/platform_win32.h"

namespace tarnwell::win32 {

std::string Win32Clock::TimerName() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(ThisModule(), path, MAX_PATH);
  std::wstring name = path;
  auto slash = name.find_last_of(L"\\/");
  if (slash != std::wstring::npos) name = name.substr(slash + 1);
  auto dot = name.find_last_of(L'.');
  if (dot != std::wstring::npos) name = name.substr(0, dot);
  return Narrow(name) + "Timer";
}

void Win32Clock::WaitSeconds(int32_t seconds) {
  HANDLE timer = CreateWaitableTimerW(nullptr, TRUE, Widen(TimerName()).c_str());
  if (!timer) throw host::HostError(host::kErrOutOfMemory, "Cannot create the wait timer");
  if (GetLastError() != ERROR_ALREADY_EXISTS) {
    LARGE_INTEGER never;
    never.QuadPart = -1;
    SetWaitableTimer(timer, &never, 0, nullptr, nullptr, FALSE);
  }
  LARGE_INTEGER due;
  due.QuadPart = -static_cast<LONGLONG>(seconds) * 1000 * 10000;  // relative, 100 ns units
  SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE);
  for (;;) {
    DWORD r = MsgWaitForMultipleObjects(1, &timer, FALSE, INFINITE, QS_ALLINPUT);
    PumpMessages();
    if (r == WAIT_OBJECT_0 || r == WAIT_FAILED) break;
  }
  CloseHandle(timer);
}

void Win32Clock::PumpMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

platform::Answer Win32Ui::MessageBox(const std::string& title, const std::string& text, platform::Icon icon,
                                     platform::Buttons buttons) {
  if (answer_box) return answer_box(title, text, icon, buttons);
  UINT type = static_cast<UINT>(icon) | static_cast<UINT>(buttons);
  int r = ::MessageBoxW(owner, Widen(text).c_str(), Widen(title).c_str(), type);
  return r == 0 ? platform::Answer::Cancel : static_cast<platform::Answer>(r);
}

void Win32Ui::ShowModal(platform::ModalDialog& dialog) {
  if (!show_view) throw host::HostError(host::kErrInvalidProcedureCall, "This dialog has no window to show it in");
  show_view(*this, dialog);
}

platform::FileDialogResult Win32Ui::FileDialog(const platform::SaveAsRequest& request) {
  // Buffers as the request record wants them: 255 for the custom filter,
  // 256 for the file and its title.
  std::wstring filter = Widen(request.filter);
  filter.push_back(L'\0');
  std::wstring custom(255, L'\0');
  std::wstring file = Widen(request.file_name);
  file.resize(256, L'\0');
  file[255] = L'\0';
  std::wstring file_title(256, L'\0');
  std::wstring dir = Widen(request.initial_dir);
  std::wstring title = Widen(request.title);
  std::wstring ext = Widen(request.default_ext);

  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof(ofn);  // the platform's own size: 76 holds only for 32-bit
  ofn.hwndOwner = reinterpret_cast<HWND>(request.owner);
  ofn.lpstrFilter = request.filter.empty() ? nullptr : filter.c_str();
  ofn.lpstrCustomFilter = custom.data();
  ofn.nMaxCustFilter = 255;
  ofn.nFilterIndex = static_cast<DWORD>(request.filter_index);
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = 256;
  ofn.lpstrFileTitle = file_title.data();
  ofn.nMaxFileTitle = 256;
  ofn.lpstrInitialDir = dir.empty() ? nullptr : dir.c_str();
  ofn.lpstrTitle = title.empty() ? nullptr : title.c_str();
  ofn.Flags = static_cast<DWORD>(request.flags);
  ofn.lpstrDefExt = ext.empty() ? nullptr : ext.c_str();

  platform::FileDialogResult result;
  BOOL ok = request.open ? GetOpenFileNameW(&ofn) : GetSaveFileNameW(&ofn);
  if (!ok) return result;
  result.ok = true;
  result.flags = static_cast<int32_t>(ofn.Flags);
  result.path = Narrow(file.c_str());
  return result;
}

void Win32Ui::ShowHelp(const std::string& path, int32_t context_id, platform::WindowHandle caller) {
  constexpr uint32_t kHelpContext = 0x000F;  // HH_HELP_CONTEXT
  constexpr uint32_t kDisplayToc = 0x0001;   // HH_DISPLAY_TOC
  const HelpCall call{path, context_id >= 1 ? kHelpContext : kDisplayToc, context_id >= 1 ? context_id : 0, caller};
  help_calls.push_back(call);
  if (help_viewer) return help_viewer(call);
  // Loaded on first use, so the add-in imports nothing beyond the system.
  using HtmlHelpW = HWND(WINAPI*)(HWND, LPCWSTR, UINT, DWORD_PTR);
  static HMODULE viewer = LoadLibraryW(L"hhctrl.ocx");
  if (!viewer) throw host::HostError(host::kErrFileNotFound, "The help viewer hhctrl.ocx is not installed");
  auto help = reinterpret_cast<HtmlHelpW>(reinterpret_cast<void*>(GetProcAddress(viewer, "HtmlHelpW")));
  if (!help) throw host::HostError(host::kErrFileNotFound, "The help viewer hhctrl.ocx has no HtmlHelpW");
  help(reinterpret_cast<HWND>(caller), Widen(call.path).c_str(), call.command,
       static_cast<DWORD_PTR>(call.context_id));
}

int32_t Win32Ui::TextWidth(const std::string& text) {
  HWND window = owner;
  HDC dc = GetDC(window);
  HFONT font = window ? reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0)) : nullptr;
  HFONT created = nullptr;
  if (!font) {
    // The dialog's font when no dialog is up: Tahoma 8 pt.
    int height = -MulDiv(8, GetDeviceCaps(dc, LOGPIXELSY), 72);
    created = CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                          CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"Tahoma");
    font = created;
  }
  HGDIOBJ old = SelectObject(dc, font);
  std::wstring w = Widen(text);
  SIZE size{};
  GetTextExtentPoint32W(dc, w.c_str(), static_cast<int>(w.size()), &size);
  SelectObject(dc, old);
  if (created) DeleteObject(created);
  ReleaseDC(window, dc);
  return size.cx;
}

void Win32Ui::ListMessage(const std::string& list_name, uint32_t message, const std::vector<int32_t>& args) {
  auto it = lists.find(list_name);
  if (it == lists.end()) return;  // no view up: the model keeps the state for the next one
  HWND list = it->second;
  if (message == platform::kLbSetTabStops) {
    std::vector<INT> stops(args.begin(), args.end());
    SendMessageW(list, LB_SETTABSTOPS, static_cast<WPARAM>(stops.size()), reinterpret_cast<LPARAM>(stops.data()));
    InvalidateRect(list, nullptr, TRUE);
  } else if (message == platform::kLbSetHorizontalExtent) {
    SendMessageW(list, LB_SETHORIZONTALEXTENT, args.empty() ? 0 : static_cast<WPARAM>(args[0]), 0);
  } else {
    SendMessageW(list, message, args.size() > 0 ? static_cast<WPARAM>(args[0]) : 0,
                 args.size() > 1 ? static_cast<LPARAM>(args[1]) : 0);
  }
}

bool Win32Ui::ForceForeground(platform::WindowHandle window) {
  HWND target = reinterpret_cast<HWND>(window);
  HWND current = GetForegroundWindow();
  if (current == target) return true;
  DWORD from = GetWindowThreadProcessId(current, nullptr);
  DWORD to = GetWindowThreadProcessId(target, nullptr);
  BOOL done;
  if (from != to) {
    AttachThreadInput(from, to, TRUE);
    done = SetForegroundWindow(target);
    AttachThreadInput(from, to, FALSE);
  } else {
    done = SetForegroundWindow(target);
  }
  ShowWindow(target, IsIconic(target) ? SW_RESTORE : SW_SHOW);
  return done != 0;
}

void Win32Ui::Status(const std::string& text) {
  if (!status_bar) return;
  constexpr WPARAM kSimplePart = 255;  // SB_SIMPLEID
  SendMessageW(status_bar, SB_SETTEXTW, kSimplePart, reinterpret_cast<LPARAM>(Widen(text).c_str()));
  UpdateWindow(status_bar);
}

platform::WindowHandle Win32Ui::FindWindowByClass(const std::string& class_name) {
  return reinterpret_cast<platform::WindowHandle>(FindWindowW(Widen(class_name).c_str(), nullptr));
}

}  // namespace tarnwell::win32
