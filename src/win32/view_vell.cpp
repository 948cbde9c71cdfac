// The main dialog's window.
#include "win32/platform_win32.h"

#include <commctrl.h>

#include <algorithm>

#include "dialog/frmVell_COM.h"
#include "win32/com_util.h"
#include "win32/dialog_view.h"
#include "win32/resource.h"

namespace tarnwell::win32 {

namespace {

// Runs lstStyles' validation once the focus has settled elsewhere.
constexpr UINT kValidateStyles = WM_APP + 1;
constexpr WPARAM kSimpleStatus = 255;  // SB_SIMPLEID

class VellView : public DialogView {
 public:
  VellView(Win32Ui& ui, dialog::frmVell_COM& model) : DialogView(ui, model, IDD_VELL), m_(model) {}

 private:
  void Attach() override {
    m_.SetHwnd(reinterpret_cast<platform::WindowHandle>(hwnd()));
    HWND status = item(IDC_STATUS_BAR);
    SendMessageW(status, SB_SIMPLE, TRUE, 0);
    ui().status_bar = status;
    ui().lists = {{m_.lstSourceDocs.name(), item(IDC_LST_SOURCE_DOCS)},
                  {m_.lstTargetDocs.name(), item(IDC_LST_TARGET_DOCS)},
                  {m_.lstStyles.name(), item(IDC_LST_STYLES)}};
    AddTooltip();
  }

  // The window is gone: nothing may own a dialog through it any more.
  void Detach() override { m_.SetHwnd(0); }

  void AddTooltip() {
    tooltip_ = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, hwnd(), nullptr, ThisModule(), nullptr);
    tooltip_text_ = Widen(m_.imgHB.tooltip);
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = hwnd();
    tool.uId = reinterpret_cast<UINT_PTR>(item(IDC_IMG_HB));
    tool.lpszText = tooltip_text_.data();
    SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }

  void Draw() override {
    SetText(0, m_.Caption);
    SetText(IDC_LBL_SOURCE, m_.lblSource.caption);
    SetText(IDC_LBL_TARGET, m_.lblTarget.caption);
    SetText(IDC_LBL_STYLE_TYPES, m_.lblStyleTypes.caption);
    SetText(IDC_LBL_STYLES, m_.lblStyles.caption);
    SetText(IDC_LBL_DESC, m_.lblDesc.caption);
    DrawButton(IDC_CMD_COPY, m_.cmdCopy);
    DrawButton(IDC_CMD_UPDATE, m_.cmdUpdate);
    DrawButton(IDCANCEL, m_.cmdCancel);
    DrawMenu();

    DrawSingleList(IDC_LST_SOURCE_DOCS, m_.lstSourceDocs, shown_source_);
    DrawSingleList(IDC_LST_TARGET_DOCS, m_.lstTargetDocs, shown_target_);
    DrawList(IDC_LST_STYLES, m_.lstStyles.items(), shown_styles_);
    HWND styles = item(IDC_LST_STYLES);
    for (int32_t i = 0; i < m_.lstStyles.ListCount(); ++i) {
      const bool selected = m_.lstStyles.Selected(i);
      if ((SendMessageW(styles, LB_GETSEL, static_cast<WPARAM>(i), 0) > 0) != selected) {
        SendMessageW(styles, LB_SETSEL, selected, i);
      }
    }
    if (m_.lstStyles.ListIndex() >= 0) SendMessageW(styles, LB_SETCARETINDEX, m_.lstStyles.ListIndex(), FALSE);
    DrawListLayout(styles, m_.lstStyles);
    EnableWindow(styles, m_.lstStyles.enabled);

    HWND types = item(IDC_CMB_STYLE_TYPES);
    if (m_.cmbStyleTypes.items() != shown_types_) {
      SendMessageW(types, CB_RESETCONTENT, 0, 0);
      for (const std::string& type : m_.cmbStyleTypes.items()) {
        SendMessageW(types, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(type).c_str()));
      }
      shown_types_ = m_.cmbStyleTypes.items();
    }
    if (SendMessageW(types, CB_GETCURSEL, 0, 0) != m_.cmbStyleTypes.ListIndex()) {
      SendMessageW(types, CB_SETCURSEL, static_cast<WPARAM>(m_.cmbStyleTypes.ListIndex()), 0);
    }
    EnableWindow(types, m_.cmbStyleTypes.enabled);

    DrawStatus();
  }

  void DrawStatus() {
    HWND bar = item(IDC_STATUS_BAR);
    const std::wstring status = Widen(m_.StatusBar1.simple_text);
    // Read back as part 0: the simple text is the bar's one text.
    std::wstring shown(static_cast<size_t>(LOWORD(SendMessageW(bar, SB_GETTEXTLENGTHW, 0, 0))) + 1, L'\0');
    SendMessageW(bar, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(shown.data()));
    if (status != shown.c_str()) SendMessageW(bar, SB_SETTEXTW, kSimpleStatus, reinterpret_cast<LPARAM>(status.c_str()));
  }

  void DrawButton(int id, const dialog::Button& button) {
    SetText(id, button.caption);
    HWND control = item(id);
    EnableWindow(control, button.enabled);
    ShowWindow(control, button.visible ? SW_SHOWNA : SW_HIDE);
  }

  void DrawSingleList(int id, const dialog::ListBox& list, std::vector<std::string>& shown) {
    DrawList(id, list.items(), shown);
    HWND control = item(id);
    if (SendMessageW(control, LB_GETCURSEL, 0, 0) != list.ListIndex()) {
      SendMessageW(control, LB_SETCURSEL, static_cast<WPARAM>(list.ListIndex()), 0);
    }
    DrawListLayout(control, list);
    EnableWindow(control, list.enabled);
  }

  static void DrawListLayout(HWND control, const dialog::ListBox& list) {
    if (SendMessageW(control, LB_GETHORIZONTALEXTENT, 0, 0) != list.horizontal_extent) {
      SendMessageW(control, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(list.horizontal_extent), 0);
    }
  }

  void DrawMenu() {
    HMENU bar = GetMenu(hwnd());
    if (!bar) return;
    HMENU help = GetSubMenu(bar, 0);
    bool changed = SetMenuText(bar, 0, MF_BYPOSITION, m_.mnuHelp.caption, reinterpret_cast<UINT_PTR>(help));
    for (auto [id, entry] : {std::pair{IDM_GET_STARTED, &m_.btnGetStarted}, std::pair{IDM_USING, &m_.btnUsing},
                             std::pair{IDM_ABOUT, &m_.btnAbout}}) {
      changed |= SetMenuText(help, static_cast<UINT>(id), MF_BYCOMMAND, entry->caption, static_cast<UINT_PTR>(id));
    }
    if (changed) DrawMenuBar(hwnd());
  }

  static bool SetMenuText(HMENU menu, UINT item, UINT by, const std::string& text, UINT_PTR id_or_popup) {
    const std::wstring wide = Widen(text);
    wchar_t current[128] = {};
    GetMenuStringW(menu, item, current, 128, by);
    if (wide == current) return false;
    const UINT popup = by == MF_BYPOSITION ? MF_POPUP : 0;
    ModifyMenuW(menu, item, by | MF_STRING | popup, id_or_popup, wide.c_str());
    return true;
  }

  void Command(int id, int code, HWND control) override {
    switch (id) {
      case IDC_LST_SOURCE_DOCS:
        if (code == LBN_SELCHANGE) {
          Handle([&] {
            m_.lstSourceDocs.SetListIndex(CurrentLine(control));
            m_.lstSourceDocs_Click();
          });
        }
        return;
      case IDC_LST_TARGET_DOCS:
        if (code == LBN_SELCHANGE) {
          Handle([&] {
            m_.lstTargetDocs.SetListIndex(CurrentLine(control));
            m_.lstTargetDocs_Click();
          });
        }
        return;
      case IDC_LST_STYLES:
        if (code == LBN_SELCHANGE) {
          Handle([&] {
            for (int32_t i = 0; i < m_.lstStyles.ListCount(); ++i) {
              m_.lstStyles.SetSelected(i, SendMessageW(control, LB_GETSEL, static_cast<WPARAM>(i), 0) > 0);
            }
            const LRESULT caret = SendMessageW(control, LB_GETCARETINDEX, 0, 0);
            m_.lstStyles.SetListIndex(caret >= 0 && caret < m_.lstStyles.ListCount() ? static_cast<int32_t>(caret) : -1);
            m_.lstStyles_Click();
          });
        } else if (code == LBN_KILLFOCUS) {
          validate_pending_ = true;
          PostMessageW(hwnd(), kValidateStyles, 0, 0);
        }
        return;
      case IDC_CMB_STYLE_TYPES:
        if (code == CBN_SELCHANGE) {
          Handle([&] {
            const LRESULT choice = SendMessageW(control, CB_GETCURSEL, 0, 0);
            m_.cmbStyleTypes.SetListIndex(choice == CB_ERR ? -1 : static_cast<int32_t>(choice));
            m_.cmbStyleTypes_Click();
          });
        }
        return;
      case IDC_CMD_COPY:
        if (code == BN_CLICKED && LeaveStyles()) Handle([&] { m_.cmdCopy_Click(); });
        return;
      case IDC_CMD_UPDATE:
        if (code == BN_CLICKED && m_.cmdUpdate.enabled) Handle([&] { m_.cmdUpdate_Click(); });
        return;
      case IDCANCEL:
        // Escape arrives here too, even while the button is disabled.
        if (code == BN_CLICKED && m_.cmdCancel.enabled) Handle([&] { m_.cmdCancel_Click(); });
        return;
      case IDC_IMG_HB:
        if (code == STN_CLICKED) Handle([&] { m_.imgHB_Click(); });
        return;
      case IDM_GET_STARTED:
        Handle([&] { m_.btnGetStarted_Click(); });
        return;
      case IDM_USING:
        Handle([&] { m_.btnUsing_Click(); });
        return;
      case IDM_ABOUT:
        Handle([&] { m_.btnAbout_Click(); });
        return;
      default:
        return;
    }
  }

  static int32_t CurrentLine(HWND list) {
    const LRESULT line = SendMessageW(list, LB_GETCURSEL, 0, 0);
    return line == LB_ERR ? -1 : static_cast<int32_t>(line);
  }

  // The close box is Cancel too, and as with Escape a run that disabled
  // Cancel keeps its Word while it pumps messages.
  void CloseBox() override {
    if (m_.cmdCancel.enabled) Handle([&] { m_.Close(dialog::kUnloadFormControlMenu); });
  }

  bool Other(UINT message, WPARAM, LPARAM lparam, INT_PTR& result) override {
    if (message == kValidateStyles) {
      LeaveStyles();
      result = 0;
      return true;
    }
    if (message == WM_DRAWITEM) {
      auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
      if (draw->CtlID != IDC_IMG_HB) return false;
      DrawAboutEmblem(*draw);
      result = TRUE;
      return true;
    }
    return false;
  }

  // Validation runs as the focus moves to another control of this dialog;
  // when the model cancels, the focus goes back to the list, and the button
  // that took it loses its pressed state and so does not click. A click
  // that arrives first (a button's access key clicks at once) runs the
  // validation itself and is dropped when it is refused. True: leave.
  bool LeaveStyles() {
    if (!validate_pending_) return true;
    validate_pending_ = false;
    HWND focus = GetFocus();
    HWND styles = item(IDC_LST_STYLES);
    if (focus == styles || focus == nullptr || !IsChild(hwnd(), focus)) return true;
    // Cancel must stay reachable from a list the model refuses to leave.
    if (focus == item(IDCANCEL)) return true;
    bool cancel = false;
    Handle([&] {
      m_.lstStyles_Validate(cancel);
      if (cancel) SetFocus(styles);
    });
    return !cancel;
  }

  dialog::frmVell_COM& m_;
  HWND tooltip_ = nullptr;
  bool validate_pending_ = false;  // the focus left lstStyles, not yet validated
  std::wstring tooltip_text_;
  std::vector<std::string> shown_source_, shown_target_, shown_styles_, shown_types_;
};

}  // namespace

void ShowVellView(Win32Ui& ui, dialog::frmVell_COM& model) { VellView(ui, model).Run(); }

}  // namespace tarnwell::win32
