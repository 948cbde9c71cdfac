#pragma once
// The main dialog as a model: its controls' state and its handlers. A view
// (the Win32 window or the command line) calls the handlers and draws or
// prints the state; the model never touches a window itself.

#include <cstdint>
#include <string>

#include "copyrun/copy_run.h"
#include "dialog/controls.h"
#include "dialog/frmVellAbout_COM.h"
#include "dialog/vell_addin.h"
#include "platform/system.h"

namespace tarnwell::dialog {

// The entry that stands for Word's Normal template in the document lists.
inline constexpr const char* kNormalTemplateEntryName = "Normal template";

// The style-type choice whose styles are table styles, in the four-type list.
inline constexpr int32_t kTableChoice = 3;

// The instruction shown in lblDesc.
extern const char* const kInstructionText;

// A document list line is the document's Name, a tab and its FullName.
// The name part: everything before the first tab.
std::string DocEntryName(const std::string& entry);
// The full-name part: the second tab-separated field without surrounding
// blanks, "" when the entry has no tab.
std::string DocEntryFullName(const std::string& entry);

// True when the running Word offers list and table styles ("XP", "03").
bool WordHasListAndTableStyles();

// The controls with their design-time state; a load starts from these.
struct frmVellControls {
  std::string Caption = "Quillon Tarnwell";
  std::string FontName = "Tahoma";
  std::string Tag;
  // Set at load: the help file beside the program.
  std::string HelpFile;

  Label lblSource{"&Source document:"};
  ListBox lstSourceDocs{"lstSourceDocs"};
  Label lblTarget{"&Target document:"};
  ListBox lstTargetDocs{"lstTargetDocs"};
  Label lblStyleTypes{"Sty&le type:"};
  ComboBox cmbStyleTypes{"cmbStyleTypes"};
  Label lblStyles{"S&elect style(s) to copy:"};
  ListBox lstStyles{"lstStyles", true};
  Label lblDesc;
  Button cmdCopy{"C&opy styles "};
  Button cmdUpdate{"&Update all from Normal.dot"};
  Button cmdCancel{"&Cancel"};
  Image imgHB{"About"};
  StatusBar StatusBar1;
  MenuItem mnuHelp{"Help"};
  MenuItem btnGetStarted{"Getting started"};
  MenuItem btnUsing{"Using Tarnwell"};
  MenuItem btnAbout{"About"};
};

class frmVell_COM : public platform::ModalDialog, public frmVellControls, public copyrun::MainDialog {
 public:
  explicit frmVell_COM(platform::Platform& platform);

  // Starts from the design-time controls, sets the lists' tab stops and
  // the help file, then InitializeVellForm. The dialog is visible once the
  // load has completed; an error ends the load and leaves it hidden.
  void Load() override;
  bool Visible() const override { return visible_; }
  platform::WindowHandle Hwnd() const override { return hwnd_; }
  // A view hands over its window, which owns folder look-ups and foreground
  // switching.
  void SetHwnd(platform::WindowHandle hwnd) { hwnd_ = hwnd; }
  void Hide() { visible_ = false; }

  // The connection object that opened the dialog; not owned.
  void SetVellAddIn(dialog::VellAddIn* addin) { addin_ = addin; }
  dialog::VellAddIn* VellAddIn() const { return addin_; }

  platform::Platform& Platform() { return platform_; }

  // Word, folders, style types, instruction and the document lists. Errors
  // raise to the caller (they end the load).
  void InitializeVellForm();
  // The one way to show progress: the status bar, and the platform's status
  // line (a terminal prints it). "" clears it.
  void SetStatusText(const std::string& text) override;

  void lstSourceDocs_Click();
  void lstTargetDocs_Click();
  void lstStyles_Click();
  void cmbStyleTypes_Click();
  void cmbStyleTypes_Change();
  // Runs as the focus leaves the style list; Cancel keeps it there.
  void lstStyles_Validate(bool& Cancel);
  // Ignores errors statement by statement: whatever Word refuses, the
  // dialog still closes with Tag "Cancel".
  void cmdCancel_Click();
  // The copy run; a click while a run is under way does nothing.
  void cmdCopy_Click();
  // The Help menu and the image.
  void btnGetStarted_Click();
  void btnUsing_Click();
  void btnAbout_Click();
  void imgHB_Click();
  // "&Update all from Normal.dot": the chosen target's styles and numbering
  // from the Normal template, after the user confirms. Saves nothing.
  void cmdUpdate_Click();
  // The Word error that ended the last update, 0 when it completed; the
  // dialog hides either way, so a caller tells them apart by this.
  int32_t UpdateError() const { return update_error_; }
  // The list templates the last copy or update copied and renamed.
  const numbering::ListTemplateReport& ListTemplateReport() { return copy_run_.Report(); }
  // The run behind "C&opy styles ", for a host that chooses its method.
  copyrun::CopyRun& CopyRunner() { return copy_run_; }
  void QueryUnload(int32_t UnloadMode, bool& Cancel);
  void Unload();
  // What a close from the window menu or close box does: QueryUnload, then
  // Unload unless cancelled.
  void Close(int32_t unload_mode = kUnloadFormControlMenu);

  // Refills lstStyles with the source's styles of the chosen type. Reports
  // its own errors with the common error message.
  void FillStyleList();
  // Word's style type for the current style-type choice; 0 for none.
  int32_t WordStyleType() const;

  frmVellAbout_COM& About() { return about_; }

 private:
  // What the copy run reads and sets on the dialog.
  int32_t SourceListIndex() const override { return lstSourceDocs.ListIndex(); }
  std::string SourceText() const override { return lstSourceDocs.Text(); }
  int32_t TargetListIndex() const override { return lstTargetDocs.ListIndex(); }
  std::string TargetText() const override { return lstTargetDocs.Text(); }
  int32_t StylesListIndex() const override { return lstStyles.ListIndex(); }
  std::string StylesText() const override { return lstStyles.Text(); }
  int32_t StylesCount() const override { return lstStyles.ListCount(); }
  bool StyleSelected(int32_t index) const override { return lstStyles.Selected(index); }
  std::string StyleItem(int32_t index) const override { return lstStyles.List(index); }
  void SetCancelEnabled(bool enabled) override { cmdCancel.enabled = enabled; }
  void SetTag(const std::string& tag) override { Tag = tag; }
  void HideDialog() override { Hide(); }
  void ShowDialog() override { visible_ = true; }
  platform::WindowHandle DialogHwnd() const override { return hwnd_; }
  void CancelClick() override { cmdCancel_Click(); }
  void UnloadAbout() override {
    if (about_.Visible()) about_.Unload();
  }

  platform::Platform& platform_;
  dialog::VellAddIn* addin_ = nullptr;
  platform::WindowHandle hwnd_ = 0;
  bool visible_ = false;
  frmVellAbout_COM about_;
  int32_t update_error_ = 0;
  copyrun::CopyRun copy_run_{platform_, *this};
};

}  // namespace tarnwell::dialog
