#include "addin/Connect.h"

#include <string>

#include "addin/modCountProcess.h"
#include "addin/modSearchForFiles.h"
#include "dialog/frmVell_COM.h"
#include "host/host_error.h"
#include "host/word.h"
#include "support/errors.h"
#include "support/globals.h"
#include "support/modCommonErrorMsgs.h"
#include "support/modGetCSIDLFolderPath.h"
#include "support/settings.h"
#include "support/word_environment.h"

namespace tarnwell::addin {

using host::HostError;
using support::SkipErrors;

namespace {

// custom(0) as the host's array yields it; an array without index 0 raises
// "subscript out of range", anything that is no array a type mismatch.
const host::Value& CustomElementZero(const host::Value& custom) {
  const host::Array& array = custom.as_array();
  const int64_t index = -static_cast<int64_t>(array.lower_bound);
  if (index < 0 || index >= static_cast<int64_t>(array.items.size())) {
    throw HostError(host::kErrSubscriptOutOfRange, "Subscript out of range");
  }
  return array.items[static_cast<size_t>(index)];
}

// Word's cache sizes are raised for these versions whatever Word runs, so a
// later upgrade finds them set too.
constexpr int32_t kCacheSizeVersions[] = {9, 10, 11};
constexpr const char* kCacheSize = "10000";

}  // namespace

Connect::Connect(platform::Platform& platform) : platform_(platform) {}

Connect::~Connect() {
  // The button belongs to Word and may outlive this object; its handler
  // points here.
  UnbindVellButton();
  if (form_) form_->SetVellAddIn(nullptr);
}

void Connect::UnbindVellButton() {
  if (vell_clicks_) vell_clicks_->RemoveClick(vell_click_token_);
  vell_clicks_.reset();
  vell_click_token_ = 0;
}

void Connect::mcbVellButton(host::ObjectPtr button) {
  UnbindVellButton();
  vell_button_ = std::move(button);
  vell_clicks_ = std::dynamic_pointer_cast<host::ClickSource>(vell_button_);
  if (!vell_clicks_) return;
  // Weak, so that the button does not keep itself alive through its handler.
  std::weak_ptr<host::Object> ctrl = vell_button_;
  vell_click_token_ = vell_clicks_->OnClick([this, ctrl] {
    bool cancel_default = false;
    mcbVellButton_Click(ctrl.lock(), cancel_default);
  });
}

void Connect::AddinInstance_OnConnection(const host::ObjectPtr& Application, int32_t ConnectMode,
                                         const host::ObjectPtr& AddInInst, const host::Value& custom) {
  // Errors are skipped statement by statement until the custom() read fails;
  // from then on they fail the connection.
  bool skipping = true;
  auto statement = [&skipping](auto&& body) {
    if (skipping) {
      SkipErrors(body);
    } else {
      body();
    }
  };

  int32_t process_count = 0;
  statement([&] { process_count = fncCountProcess(platform_.processes); });

  bool inactive = false;
  if (!SkipErrors([&] { inactive = CustomElementZero(custom).as_double() > 1; })) {
    skipping = false;
  } else if (inactive) {
    blnInactive(true);
    return;
  }

  // Kept as Word's Application: any other object is refused here.
  statement([&] { wdAppConnect(support::AsWordApplication(Application).obj()); });

  for (int32_t version : kCacheSizeVersions) {
    statement([&] {
      WriteRegistryValue(platform_.registry, platform::RegistryRoot::CurrentUser,
                         "Software\\Microsoft\\Office\\" + std::to_string(version) + ".0\\Word\\Options",
                         "CacheSize", host::Value(kCacheSize), platform::kRegSz);
    });
  }

  // Only the first Word process carries the button, and only when Word itself
  // (not another program automating it) loaded the add-in.
  if (ConnectMode != ext_cm_External && process_count <= 1) {
    statement([&] { fncRemoveFormatButton(wdAppConnect(), kVellButtonCaption); });
    statement([&] { fncCreateAddInMenu(wdAppConnect(), ConnectMode, AddInInst); });
    statement([&] { mcbCOMMenuButton(fncCreateCOMAddInCommandBarButton(wdAppConnect(), ConnectMode, AddInInst)); });
  }
}

void Connect::AddinInstance_OnDisconnection(int32_t /*RemoveMode*/, const host::Value& /*custom*/) {
  // Word gets back every reference the add-in holds, whichever way this
  // ends: one kept past disconnection keeps Word's process alive.
  struct Release {
    Connect& connect;
    ~Release() { connect.ReleaseWord(); }
  } release{*this};
  // An inactive connection, or one that never got Word, has nothing of its
  // own in Word to take down.
  if (blnInactive() || !wdAppConnect()) return;

  int32_t process_count = 0;
  SkipErrors([&] { process_count = fncCountProcess(platform_.processes); });
  if (process_count > 1) return;

  SkipErrors([&] { fncRemoveFormatButton(wdAppConnect(), kVellButtonCaption); });

  try {
    // Held here: a bridged context lives only as long as its reference.
    const host::ObjectPtr context_ref = host::deref(wdAppConnect()).get("CustomizationContext").as_object();
    host::Object& context = host::deref(context_ref);
    context.call("Save");
    context.put("Saved", host::word_bool(true));
  } catch (const HostError& e) {
    // Word refuses to save a customization context it cannot write (a
    // read-only Normal template, for one); the button is gone either way.
    if (e.number() != host::kErrCustomizationSave) {
      support::fncShowErrorMsg(platform_.ui, "", support::ErrInfo::From(e));
      return;
    }
  }

  SkipErrors([&] {
    if (FormDisplayed()) {
      support::SaveDisplayOnConnect(platform_.settings, true);
      FormDisplayed(false);
    } else {
      support::SaveDisplayOnConnect(platform_.settings, false);
    }
  });
}

void Connect::ReleaseWord() {
  UnbindVellButton();
  vell_button_.reset();
  com_menu_button_.reset();
  wd_app_connect_.reset();
  // What a dialog or a failed run left behind is Word's too.
  support::gWordApp = host::Application();
  support::gActiveDoc = host::Document();
}

void Connect::AddinInstance_OnStartupComplete(const host::Value& /*custom*/) {
  platform_.processes.CreateNamedMutex(support::kAddInTitle);
  platform::WindowHandle word_window = platform_.ui.FindWindowByClass(kWordWindowClass);
  support::fncSetScratchFolder(platform_, word_window);
  fncClearScratchFiles(platform_, support::gScratchFolder);
}

void Connect::ShowVellForm() {
  // The dialog is modal, so a second showing can only come from code running
  // inside the first; the one dialog stays with the showing that owns it.
  if (form_) return;
  SkipErrors([&] { support::fncReadWordEnvironment(host::Application(wdAppConnect())); });
  SkipErrors([&] { fncCheckScratchFile(platform_, support::gScratchFolder); });
  form_ = std::make_unique<dialog::frmVell_COM>(platform_);
  // Unloaded on every way out, a failure of any kind included: a form left
  // behind would make every later click return at once.
  struct Unload {
    std::unique_ptr<dialog::frmVell_COM>& form;
    ~Unload() {
      try {
        form->SetVellAddIn(nullptr);
        form->Close(dialog::kUnloadFormCode);
      } catch (...) {
        // Ignored like every error here; the form goes all the same.
      }
      form.reset();
    }
  } unload{form_};
  SkipErrors([&] { form_->SetVellAddIn(this); });
  FormDisplayed(true);
  SkipErrors([&] { platform_.ui.ShowModal(*form_); });
}

void Connect::Hide() {
  FormDisplayed(false);
  if (form_ && form_->Visible()) form_->Hide();
}

}  // namespace tarnwell::addin
