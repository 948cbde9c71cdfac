#include "win32/dialog_view.h"

#include <commctrl.h>

#include <algorithm>
#include <map>

#include "addin/Connect.h"
#include "host/host_error.h"
#include "win32/com_util.h"

namespace tarnwell::win32 {

namespace {

// The UI's window registrations of the view below, given back when a view
// on top of it closes.
struct SavedRegistrations {
  explicit SavedRegistrations(Win32Ui& ui) : ui(ui), owner(ui.owner), status_bar(ui.status_bar), lists(ui.lists) {}
  ~SavedRegistrations() {
    ui.owner = owner;
    ui.status_bar = status_bar;
    ui.lists = lists;
  }
  Win32Ui& ui;
  HWND owner;
  HWND status_bar;
  std::map<std::string, HWND> lists;
};

BOOL CALLBACK FindWordWindow(HWND window, LPARAM found) {
  wchar_t name[32] = {};
  GetClassNameW(window, name, 32);
  if (_wcsicmp(name, Widen(addin::kWordWindowClass).c_str()) != 0) return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

}  // namespace

HWND WordWindowOfThisThread() {
  HWND found = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), FindWordWindow, reinterpret_cast<LPARAM>(&found));
  return found;
}

void DialogView::Run() {
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_BAR_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
  // Word's own windows take no input while the dialog is up.
  HWND parent = ui_.owner ? ui_.owner : WordWindowOfThisThread();
  INT_PTR shown;
  {
    SavedRegistrations saved(ui_);
    shown = DialogBoxParamW(ThisModule(), MAKEINTRESOURCEW(template_id_), parent, Procedure,
                            reinterpret_cast<LPARAM>(this));
  }
  Detach();
  hwnd_ = nullptr;
  if (error_) std::rethrow_exception(error_);
  if (shown == -1) throw host::HostError(host::kErrOutOfMemory, "The dialog's window could not be made");
}

INT_PTR CALLBACK DialogView::Procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_INITDIALOG) {
    auto* view = reinterpret_cast<DialogView*>(lparam);
    SetWindowLongPtrW(hwnd, DWLP_USER, lparam);
    view->hwnd_ = hwnd;
    view->ui_.owner = hwnd;
    view->ui_.status_bar = nullptr;
    view->ui_.lists.clear();
    view->Handle([view] {
      view->Attach();
      view->model_.Load();
    });
    return TRUE;
  }
  auto* view = reinterpret_cast<DialogView*>(GetWindowLongPtrW(hwnd, DWLP_USER));
  if (!view) return FALSE;
  switch (message) {
    case WM_COMMAND:
      view->Command(LOWORD(wparam), HIWORD(wparam), reinterpret_cast<HWND>(lparam));
      return TRUE;
    case WM_CLOSE:
      view->CloseBox();
      return TRUE;
    case WM_TIMER:
      if (wparam != kRedrawTimer) return FALSE;
      if (!view->ended_) {
        try {
          view->Draw();
        } catch (...) {
          // The handler under way meets the same state and reports it.
        }
      }
      return TRUE;
    default: {
      INT_PTR result = 0;
      if (view->Other(message, wparam, lparam, result)) {
        SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
        return TRUE;
      }
      return FALSE;
    }
  }
}

void DialogView::Handle(const std::function<void()>& handler) {
  if (ended_) return;
  // A long handler (a copy run) pumps messages as it goes; the window then
  // shows the model as it stands, Cancel disabled and all.
  if (running_++ == 0) SetTimer(hwnd_, kRedrawTimer, 100, nullptr);
  struct Finish {
    DialogView& view;
    ~Finish() {
      if (--view.running_ == 0) KillTimer(view.hwnd_, kRedrawTimer);
    }
  } finish{*this};
  try {
    handler();
    // A handler that pumped messages may have ended the showing meanwhile.
    if (ended_) return;
    if (!model_.Visible()) {
      End();
      return;
    }
    Draw();
  } catch (...) {
    // Nothing may unwind through the system's frames of the dialog loop.
    error_ = std::current_exception();
    End();
  }
}

void DialogView::End() {
  ended_ = true;
  EndDialog(hwnd_, 0);
}

void DialogView::SetText(int id, const std::string& text) {
  const std::wstring wide = Widen(text);
  HWND control = id == 0 ? hwnd_ : item(id);
  wchar_t current[1024] = {};
  GetWindowTextW(control, current, 1024);
  if (wide != current) SetWindowTextW(control, wide.c_str());  // a repaint only when it changed
}

void DialogView::DrawList(int id, const std::vector<std::string>& items, std::vector<std::string>& shown) {
  if (items == shown) return;
  HWND list = item(id);
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  SendMessageW(list, LB_RESETCONTENT, 0, 0);
  for (const std::string& line : items) {
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(line).c_str()));
  }
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
  shown = items;
}

void DrawAboutEmblem(const DRAWITEMSTRUCT& draw) {
  const RECT& r = draw.rcItem;
  FillRect(draw.hDC, &r, GetSysColorBrush(COLOR_BTNFACE));
  const int size = std::min(r.right - r.left, r.bottom - r.top);
  const int left = r.left + (r.right - r.left - size) / 2;
  const int top = r.top + (r.bottom - r.top - size) / 2;
  HBRUSH fill = CreateSolidBrush(RGB(0x2a, 0x5d, 0xb0));
  HGDIOBJ old_brush = SelectObject(draw.hDC, fill);
  HGDIOBJ old_pen = SelectObject(draw.hDC, GetStockObject(NULL_PEN));
  Ellipse(draw.hDC, left, top, left + size, top + size);
  SelectObject(draw.hDC, GetStockObject(WHITE_BRUSH));
  const int dot = std::max(2, size / 7);
  const int middle = left + size / 2;
  Ellipse(draw.hDC, middle - dot / 2 - 1, top + size / 5, middle + dot / 2 + 1, top + size / 5 + dot + 1);
  RECT stem{middle - dot / 2, top + size * 2 / 5, middle + dot / 2 + (dot % 2 == 0 ? 0 : 1), top + size * 4 / 5};
  FillRect(draw.hDC, &stem, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  SelectObject(draw.hDC, old_pen);
  SelectObject(draw.hDC, old_brush);
  DeleteObject(fill);
}

}  // namespace tarnwell::win32
