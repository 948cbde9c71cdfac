// The add-in's menu entries: the "&Tarnwell" button on the Format menu and
// the "COM Add-Ins..." entry on the Tools menu.

#include "addin/Connect.h"
#include "host/collection.h"
#include "host/host_error.h"
#include "support/errors.h"
#include "support/modCommonErrorMsgs.h"

namespace tarnwell::addin {

using host::ObjectPtr;
using host::Value;

namespace {

ObjectPtr CommandBar(const ObjectPtr& application, const char* name) {
  return host::item(host::deref(host::deref(application).get("CommandBars").as_object()), name);
}

ObjectPtr Controls(const ObjectPtr& bar) { return host::deref(bar).get("Controls").as_object(); }

std::string Caption(const ObjectPtr& control) { return host::deref(control).get("Caption").as_string(); }

// Runs a menu routine under its error trap: any error ends it with the
// common error message and no title.
template <class F>
auto Trapped(platform::Ui& ui, F&& routine) -> decltype(routine()) {
  try {
    return routine();
  } catch (const host::HostError& e) {
    support::fncShowErrorMsg(ui, "", support::ErrInfo::From(e));
    return decltype(routine())();
  }
}

}  // namespace

ObjectPtr Connect::fncCreateAddInMenu(const ObjectPtr& Application, int32_t ConnectMode, const ObjectPtr& AddInInst) {
  return Trapped(platform_.ui, [&]() -> ObjectPtr {
    ObjectPtr menu = CommandBar(Application, kFormatMenu);
    ObjectPtr button = fncCreateAddInCommandBarButton(Application, ConnectMode, AddInInst, menu, kVellButtonCaption,
                                                      kVellButtonTag);
    mcbVellButton(button);
    return button;
  });
}

ObjectPtr Connect::fncCreateAddInCommandBarButton(const ObjectPtr& /*Application*/, int32_t /*ConnectMode*/,
                                                  const ObjectPtr& /*AddInInst*/, const ObjectPtr& objMenu,
                                                  const std::string& strCaption, const std::string& strTag) {
  return Trapped(platform_.ui, [&]() -> ObjectPtr {
    // Type only: at the end of the menu and not temporary, so Word keeps it
    // in the customization context until the add-in removes it.
    ObjectPtr button = host::deref(Controls(objMenu)).call("Add", {msoControlButton}).as_object();
    host::Object& b = host::deref(button);
    b.put("Caption", strCaption);
    b.put("Tag", strTag);
    b.put("Style", msoButtonCaption);
    return button;
  });
}

ObjectPtr Connect::fncCreateCOMAddInCommandBarButton(const ObjectPtr& Application, int32_t /*ConnectMode*/,
                                                     const ObjectPtr& /*AddInInst*/) {
  return Trapped(platform_.ui, [&]() -> ObjectPtr {
    ObjectPtr tools = CommandBar(Application, kToolsMenu);
    for (const ObjectPtr& control : host::items(host::deref(Controls(tools)))) {
      std::string caption = Caption(control);
      if (caption == kComAddInsAcceleratedCaption) {
        host::deref(control).put("Caption", kComAddInsCaption);
        break;
      }
      if (caption == kComAddInsCaption) break;
    }
    // Only the Tools menu's own controls are searched.
    ObjectPtr button = host::deref(tools).call("FindControl", {Value::missing(), kComAddInsControlId}).as_object();
    if (!button) {
      button = host::deref(Controls(tools)).call("Add", {msoControlButton, kComAddInsControlId}).as_object();
    }
    host::Object& b = host::deref(button);
    b.put("Caption", kComAddInsCaption);
    b.put("Style", msoButtonCaption);
    return button;
  });
}

void Connect::fncRemoveFormatButton(const ObjectPtr& /*Application*/, const std::string& caption) {
  Trapped(platform_.ui, [&] {
    // The connection's own Application, as the host handed it over.
    for (const ObjectPtr& control : host::items(host::deref(Controls(CommandBar(wdAppConnect(), kFormatMenu))))) {
      if (Caption(control) == caption) {
        host::deref(control).call("Delete");
        return;
      }
    }
  });
}

void Connect::mcbVellButton_Click(const ObjectPtr& /*Ctrl*/, bool& /*CancelDefault*/) { ShowVellForm(); }

}  // namespace tarnwell::addin
