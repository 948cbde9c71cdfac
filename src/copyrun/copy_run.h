#pragma once
// The copy run behind the main dialog's "C&opy styles " button: request
// checks and saving, the dependency step, the fast or slow copy, saving and
// the finish, with one error handler over every step.

#include <cstdint>
#include <functional>
#include <string>

#include "copyrun/dependencies.h"
#include "host/word.h"
#include "numbering/list_template_copy.h"
#include "platform/system.h"
#include "support/errors.h"

namespace tarnwell::copyrun {

// What the run needs of the main dialog; the dialog implements it, so the
// run does not depend on the dialog's module.
class MainDialog {
 public:
  virtual ~MainDialog() = default;
  // The current line (-1 for none) and its text of each list.
  virtual int32_t SourceListIndex() const = 0;
  virtual std::string SourceText() const = 0;
  virtual int32_t TargetListIndex() const = 0;
  virtual std::string TargetText() const = 0;
  virtual int32_t StylesListIndex() const = 0;
  virtual std::string StylesText() const = 0;
  virtual int32_t StylesCount() const = 0;
  virtual bool StyleSelected(int32_t index) const = 0;
  virtual std::string StyleItem(int32_t index) const = 0;
  virtual void SetCancelEnabled(bool enabled) = 0;
  virtual void SetStatusText(const std::string& text) = 0;
  virtual void SetTag(const std::string& tag) = 0;
  virtual void HideDialog() = 0;
  virtual void ShowDialog() = 0;
  virtual platform::WindowHandle DialogHwnd() const = 0;
  virtual void CancelClick() = 0;
  // Unloads the About box when it is open; nothing when there is none.
  virtual void UnloadAbout() {}
};

inline constexpr const char* kReturnBookmark = "ReturnHereQQQ";
inline constexpr const char* kFastScratchName = "TARNWELLTEMPDOC.doc";
inline constexpr const char* kCreatedScratchName = "PELLMARTEMPDOC.doc";
inline constexpr const char* kScratchTemplateName = "Tarnwell.doc";
// The slow copy gives Word a rest before each of these positions.
inline constexpr int32_t kSlowCopyPauseEvery = 20;

// Doubles each ampersand, so a status bar shows a single one.
std::string DoubleAmpersands(const std::string& text);

// The "Copy error" box of the slow transfer.
void ReportCopyError(platform::Ui& ui, const std::string& styleName, int32_t errorNumber,
                     const std::string& description);

// How a run moves styles: the fast copy whenever a scratch document can be
// made, or the slow copy as if none could.
enum class CopyMethod { Fast, Slow };

class CopyRun {
 public:
  CopyRun(platform::Platform& platform, MainDialog& dialog) : platform_(platform), dialog_(dialog) {}
  void SetMethod(CopyMethod method) { method_ = method; }
  // cmdCopy_Click: one whole run. A call while a run is under way (from a
  // message pumped inside it) does nothing.
  void cmdCopy_Click();
  bool Running() const { return running_; }
  // The list templates the last run copied and renamed.
  numbering::ListTemplateReport& Report() { return report_; }

  std::string fncPrepareScratchCopy();
  std::string fncCreateScratchDocument();
  bool fncSaveDocumentAs(const host::Document& doc, const std::string& fileName, const std::string& whichDoc);

 private:
  struct Ended {};  // the run has ended; what was due has been shown

  void Run();
  // Runs one step under the error handler: 5173 and 5834 are passed over
  // (the run goes on after the step), anything else ends the run.
  void Step(const std::function<void()>& step);
  [[noreturn]] void Fail(const support::ErrInfo& err);
  void CleanUp();
  void Pump() { platform_.clock.PumpMessages(); }
  void Flush(const host::Document& doc);
  void Status(const std::string& text) { dialog_.SetStatusText(text); }
  void Foreground();
  platform::Answer Message(const std::string& title, const std::string& text, platform::Icon icon,
                           platform::Buttons buttons = platform::Buttons::OK);
  void Refuse();

  bool CheckAndSave();
  bool SaveOne(const host::Document& doc, const std::string& readOnlyMessage, const std::string& label);
  void Dependencies(bool& cancelled);
  bool ChooseFastCopy();
  void FastCopy();
  void SlowCopy();
  void CopyNumbering();
  void Finish();

  platform::Platform& platform_;
  MainDialog& dialog_;
  bool running_ = false;
  CopyMethod method_ = CopyMethod::Fast;

  std::string ext1_, ext2_;
  host::Document source_, target_;
  bool target_is_normal_ = false;
  std::string scratch_path_;
  std::string fast_copy_name_;
  NameList selected_, based_, follow_, copy_, relink_;
  numbering::ListTemplateReport report_;
};

}  // namespace tarnwell::copyrun
