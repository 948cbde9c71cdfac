#pragma once
// The connection object: what the add-in host creates when Word loads the
// add-in. It keeps Word's Application, puts the button on Word's menus and
// opens the main dialog when the button is clicked.

#include <cstdint>
#include <memory>
#include <string>

#include "dialog/vell_addin.h"
#include "host/click.h"
#include "host/object.h"
#include "platform/system.h"

namespace tarnwell::dialog {
class frmVell_COM;
}

namespace tarnwell::addin {

// How the host connected the add-in (ext_ConnectMode).
inline constexpr int32_t ext_cm_AfterStartup = 0;
inline constexpr int32_t ext_cm_Startup = 1;
inline constexpr int32_t ext_cm_External = 2;
inline constexpr int32_t ext_cm_CommandLine = 3;

// Office's numbers for the one control type and style the menus use.
inline constexpr int32_t msoControlButton = 1;
inline constexpr int32_t msoButtonCaption = 2;

inline constexpr const char* kFormatMenu = "Format";
inline constexpr const char* kToolsMenu = "Tools";
inline constexpr const char* kVellButtonCaption = "&Tarnwell";
inline constexpr const char* kVellButtonTag = "VellTag";
inline constexpr const char* kComAddInsCaption = "COM Add-Ins...";
inline constexpr const char* kComAddInsAcceleratedCaption = "&COM Add-Ins...";
inline constexpr int32_t kComAddInsControlId = 3754;
// Word's main window, for the folder lookups that want an owner.
inline constexpr const char* kWordWindowClass = "OPUSAPP";

class Connect : public dialog::VellAddIn {
 public:
  explicit Connect(platform::Platform& platform);
  ~Connect() override;
  Connect(const Connect&) = delete;
  Connect& operator=(const Connect&) = delete;

  // Properties, each read by the plain call and written by the one taking a
  // value.
  bool FormDisplayed() const { return form_displayed_; }
  void FormDisplayed(bool value) { form_displayed_ = value; }
  host::ObjectPtr wdAppConnect() const override { return wd_app_connect_; }
  void wdAppConnect(host::ObjectPtr app) { wd_app_connect_ = std::move(app); }
  bool blnInactive() const { return inactive_; }
  void blnInactive(bool value) { inactive_ = value; }
  host::ObjectPtr mcbCOMMenuButton() const { return com_menu_button_; }
  void mcbCOMMenuButton(host::ObjectPtr button) { com_menu_button_ = std::move(button); }
  host::ObjectPtr mcbVellButton() const { return vell_button_; }
  // Binds the button's clicks to mcbVellButton_Click, unbinding the previous
  // button's.
  void mcbVellButton(host::ObjectPtr button);

  void Hide();
  void ShowVellForm();
  // Each menu routine shows the common error message on any error; the
  // creation routines then return nothing.
  host::ObjectPtr fncCreateAddInMenu(const host::ObjectPtr& Application, int32_t ConnectMode,
                                     const host::ObjectPtr& AddInInst);
  host::ObjectPtr fncCreateAddInCommandBarButton(const host::ObjectPtr& Application, int32_t ConnectMode,
                                                 const host::ObjectPtr& AddInInst, const host::ObjectPtr& objMenu,
                                                 const std::string& strCaption, const std::string& strTag);
  host::ObjectPtr fncCreateCOMAddInCommandBarButton(const host::ObjectPtr& Application, int32_t ConnectMode,
                                                    const host::ObjectPtr& AddInInst);
  void mcbVellButton_Click(const host::ObjectPtr& Ctrl, bool& CancelDefault);

  // Host events. custom holds the host's custom() array (a host::Array, which
  // may lack element 0). A HostError leaving OnConnection fails the
  // connection; the COM entry point turns it into the host's failure.
  void AddinInstance_OnConnection(const host::ObjectPtr& Application, int32_t ConnectMode,
                                  const host::ObjectPtr& AddInInst, const host::Value& custom);
  void AddinInstance_OnDisconnection(int32_t RemoveMode, const host::Value& custom);
  void AddinInstance_OnStartupComplete(const host::Value& custom);

  // The dialog while it is shown, else nothing.
  dialog::frmVell_COM* form() const { return form_.get(); }

 private:
  void fncRemoveFormatButton(const host::ObjectPtr& Application, const std::string& caption);
  void UnbindVellButton();
  // Lets go of Word: the connection's Application, the buttons and what
  // the dialog and the copy run hold in the process-wide values.
  void ReleaseWord();

  platform::Platform& platform_;
  bool form_displayed_ = false;
  host::ObjectPtr wd_app_connect_;
  bool inactive_ = false;
  host::ObjectPtr com_menu_button_;
  host::ObjectPtr vell_button_;
  std::shared_ptr<host::ClickSource> vell_clicks_;
  host::ClickSource::Token vell_click_token_ = 0;
  std::unique_ptr<dialog::frmVell_COM> form_;
};

}  // namespace tarnwell::addin
