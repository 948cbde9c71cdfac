// The dependencies dialog's window: the names offered, all selected; what
// the user leaves selected comes back on OK, nothing on Cancel or close.
#include "win32/platform_win32.h"

#include "copyrun/dependencies.h"
#include "win32/resource.h"
#include "win32/test_png.h"
#include "win32/test_runner.h"
#include "win32/test_view_driver.h"
#include "win32/views.h"

namespace tarnwell::win32 {
namespace {

using namespace testing;
using Lines = std::vector<std::string>;

HWND DependenciesDialog() { return FindDialog(L"Additional styles to be copied"); }

TW_TEST(DependenciesDialogReturnsTheNamesLeftSelected) {
  Win32Ui ui;
  InstallViews(ui);
  copyrun::NameList based{"Normal", "Body Text"}, follow{"Heading 2"};
  HWND owner_while_up = nullptr, d = nullptr;
  RgbImage shot;
  ViewDriver driver({
      [&] {
        d = DependenciesDialog();
        if (!d) return false;
        owner_while_up = ui.owner;
        TW_CHECK_EQ(Text(GetDlgItem(d, IDC_LBL_INSTRUX)), std::string(copyrun::kDependenciesInstruction));
        TW_CHECK_EQ(Text(GetDlgItem(d, IDC_LBL_BASED)), std::string("The styles you're copying are &based on:"));
        TW_CHECK_EQ(Text(GetDlgItem(d, IDC_LBL_FOLLOW)),
                    std::string("These styles &follow the styles you're copying:"));
        TW_CHECK_EQ(Text(GetDlgItem(d, IDOK)), std::string("&OK"));
        TW_CHECK_EQ(Text(GetDlgItem(d, IDCANCEL)), std::string("&Cancel"));
        TW_CHECK(ListLines(d, IDC_LST_BASED) == (Lines{"Normal", "Body Text"}));
        TW_CHECK(ListLines(d, IDC_LST_FOLLOW) == (Lines{"Heading 2"}));
        TW_CHECK(SelectedLines(d, IDC_LST_BASED) == (std::vector<int>{0, 1}));
        TW_CHECK(SelectedLines(d, IDC_LST_FOLLOW) == (std::vector<int>{0}));
        PostSetSelected(d, IDC_LST_BASED, {0}, false);
        RedrawWindow(d, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        return true;
      },
      Pause(10),
      [&] {
        shot = CaptureWindow(d);
        PostClick(d, IDOK);
        return true;
      },
  });
  TW_CHECK(copyrun::ConfirmDependencies(ui, based, follow));
  TW_CHECK(driver.finished());
  TW_CHECK(LooksDrawn(shot));
  TW_CHECK(WriteScreenshot(shot, L"screenshot-dependencies-dialog.png"));
  // Message boxes belong to the dialog while it is up, and to nobody after.
  TW_CHECK(owner_while_up == d);
  TW_CHECK(ui.owner == nullptr);
  TW_CHECK(based == (Lines{"Body Text"}));
  TW_CHECK(follow == (Lines{"Heading 2"}));
}

TW_TEST(ClosingOrCancellingTheDependenciesDialogLeavesTheListsAlone) {
  Win32Ui ui;
  InstallViews(ui);
  for (bool close_box : {true, false}) {
    copyrun::NameList based{"Normal"}, follow{"Heading 2", "Heading 3"};
    ViewDriver driver({
        [&] {
          HWND d = DependenciesDialog();
          if (!d) return false;
          PostSetSelected(d, IDC_LST_FOLLOW, {0, 1}, false);
          if (close_box) {
            PostCloseBox(d);
          } else {
            PostClick(d, IDCANCEL);
          }
          return true;
        },
    });
    TW_CHECK(!copyrun::ConfirmDependencies(ui, based, follow));
    TW_CHECK(driver.finished());
    TW_CHECK(based == (Lines{"Normal"}));
    TW_CHECK(follow == (Lines{"Heading 2", "Heading 3"}));
  }
}

TW_TEST(AModelWithoutAViewIsRefused) {
  struct Bare : platform::ModalDialog {
    void Load() override { loaded = true; }
    bool Visible() const override { return loaded; }
    bool loaded = false;
  } bare;
  Win32Ui ui;
  InstallViews(ui);
  TW_CHECK_RAISES(ui.ShowModal(bare), host::kErrInvalidProcedureCall);
  TW_CHECK(!bare.loaded);
}

}  // namespace
}  // namespace tarnwell::win32
