// The About box's window.
#include "dialog/frmVellAbout_COM.h"
#include "win32/dialog_view.h"
#include "win32/resource.h"

namespace tarnwell::win32 {

namespace {

class AboutView : public DialogView {
 public:
  AboutView(Win32Ui& ui, dialog::frmVellAbout_COM& model) : DialogView(ui, model, IDD_VELL_ABOUT), m_(model) {}

 private:
  void Draw() override {
    SetText(0, m_.Caption);
    SetText(IDC_LBL_ABOUT, m_.lblAbout.caption);
    SetText(IDOK, m_.cmdOK.caption);
  }

  void Command(int id, int code, HWND) override {
    if (code != BN_CLICKED) return;
    if (id == IDOK) Handle([&] { m_.cmdOK_Click(); });
    // Escape closes the box as its close box does.
    if (id == IDCANCEL) CloseBox();
  }

  void CloseBox() override { Handle([&] { m_.Close(dialog::kUnloadFormControlMenu); }); }

  bool Other(UINT message, WPARAM, LPARAM lparam, INT_PTR& result) override {
    if (message != WM_DRAWITEM) return false;
    auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
    if (draw->CtlID != IDC_IMG_ABOUT) return false;
    DrawAboutEmblem(*draw);
    result = TRUE;
    return true;
  }

  dialog::frmVellAbout_COM& m_;
};

}  // namespace

void ShowAboutView(Win32Ui& ui, dialog::frmVellAbout_COM& model) { AboutView(ui, model).Run(); }

}  // namespace tarnwell::win32
