// The dependencies dialog's window.
#include "copyrun/dependencies.h"
#include "win32/com_util.h"
#include "win32/dialog_view.h"
#include "win32/resource.h"

namespace tarnwell::win32 {

namespace {

class DependenciesView : public DialogView {
 public:
  DependenciesView(Win32Ui& ui, copyrun::frmVellDependencies_COM& model)
      : DialogView(ui, model, IDD_VELL_DEPENDENCIES), m_(model) {}

 private:
  void Draw() override {
    SetText(0, m_.Caption);
    SetText(IDC_LBL_INSTRUX, m_.lblInstrux);
    SetText(IDC_LBL_BASED, m_.lblBased);
    SetText(IDC_LBL_FOLLOW, m_.lblFollow);
    SetText(IDOK, m_.cmdOK);
    SetText(IDCANCEL, m_.cmdCancel);
    DrawChoices(IDC_LST_BASED, m_.lstBased, shown_based_);
    DrawChoices(IDC_LST_FOLLOW, m_.lstFollow, shown_follow_);
  }

  void DrawChoices(int id, const copyrun::ChoiceList& list, std::vector<std::string>& shown) {
    DrawList(id, list.items, shown);
    HWND control = item(id);
    for (int32_t i = 0; i < list.ListCount(); ++i) {
      const bool selected = list.selected[static_cast<size_t>(i)];
      if ((SendMessageW(control, LB_GETSEL, static_cast<WPARAM>(i), 0) > 0) != selected) {
        SendMessageW(control, LB_SETSEL, selected, i);
      }
    }
  }

  static void ReadChoices(HWND control, copyrun::ChoiceList& list) {
    for (int32_t i = 0; i < list.ListCount(); ++i) {
      list.selected[static_cast<size_t>(i)] = SendMessageW(control, LB_GETSEL, static_cast<WPARAM>(i), 0) > 0;
    }
  }

  void Command(int id, int code, HWND control) override {
    if (id == IDC_LST_BASED && code == LBN_SELCHANGE) {
      Handle([&] { ReadChoices(control, m_.lstBased); });
    } else if (id == IDC_LST_FOLLOW && code == LBN_SELCHANGE) {
      Handle([&] { ReadChoices(control, m_.lstFollow); });
    } else if (id == IDOK && code == BN_CLICKED) {
      Handle([&] { m_.cmdOK_Click(); });
    } else if (id == IDCANCEL && code == BN_CLICKED) {
      Handle([&] { m_.cmdCancel_Click(); });
    }
  }

  void CloseBox() override {
    Handle([&] {
      bool cancel = false;
      m_.QueryUnload(0, cancel);
    });
  }

  copyrun::frmVellDependencies_COM& m_;
  std::vector<std::string> shown_based_, shown_follow_;
};

}  // namespace

void ShowDependenciesView(Win32Ui& ui, copyrun::frmVellDependencies_COM& model) {
  DependenciesView(ui, model).Run();
}

}  // namespace tarnwell::win32
