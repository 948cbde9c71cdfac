#pragma once
// Word as the test host dresses it: the few objects the connection touches,
// built from host::DispatchObject and handed to the add-in as IDispatch.

#include <windows.h>
#include <oleauto.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "host/click.h"
#include "host/host_error.h"
#include "host/object.h"

namespace tarnwell::win32::testing {

class FakeButton : public host::DispatchObject, public host::ClickSource {
 public:
  FakeButton(std::vector<std::shared_ptr<FakeButton>>* owner, int32_t id) : DispatchObject("CommandBarButton"), id(id) {
    property("Caption", [this](const host::Args&) { return host::Value(caption); },
             [this](const host::Value& v, const host::Args&) { caption = v.as_string(); });
    property("Tag", [this](const host::Args&) { return host::Value(tag); },
             [this](const host::Value& v, const host::Args&) { tag = v.as_string(); });
    property("Style", [this](const host::Args&) { return host::Value(style); },
             [this](const host::Value& v, const host::Args&) { style = v.as_int(); });
    property("Id", [this](const host::Args&) { return host::Value(this->id); });
    method("Delete", [this, owner](const host::Args&) {
      for (auto it = owner->begin(); it != owner->end(); ++it) {
        if (it->get() == this) {
          owner->erase(it);
          break;
        }
      }
      return host::Value();
    });
  }
  Token OnClick(Handler h) override {
    handlers.emplace_back(next, std::move(h));
    return next++;
  }
  void RemoveClick(Token t) override {
    std::erase_if(handlers, [t](auto& p) { return p.first == t; });
  }
  void Click() override {
    auto now = handlers;
    for (auto& [t, h] : now) h();
  }

  int32_t id;
  std::string caption, tag;
  int32_t style = 0;
  std::vector<std::pair<Token, Handler>> handlers;
  Token next = 1;
};

class FakeBar : public host::DispatchObject {
 public:
  explicit FakeBar(std::string name) : DispatchObject("CommandBar"), name(std::move(name)) {
    controls = std::make_shared<Controls>(this);
    property("Name", [this](const host::Args&) { return host::Value(this->name); });
    property("Controls", [this](const host::Args&) { return host::Value(host::ObjectPtr(controls)); });
    method("FindControl", [this](const host::Args& a) {
      int32_t id = host::has_arg(a, 1) ? host::arg(a, 1).as_int() : 0;
      for (auto& b : buttons) {
        if (b->id == id) return host::Value(host::ObjectPtr(b));
      }
      return host::Value(host::ObjectPtr());
    });
  }
  std::shared_ptr<FakeButton> Add(int32_t id = 1) {
    buttons.push_back(std::make_shared<FakeButton>(&buttons, id));
    return buttons.back();
  }

  struct Controls : host::DispatchObject {
    explicit Controls(FakeBar* bar) : DispatchObject("CommandBarControls") {
      property("Count", [bar](const host::Args&) { return host::Value(static_cast<int32_t>(bar->buttons.size())); });
      method("Item", [bar](const host::Args& a) {
        int32_t i = host::arg(a, 0).as_int();
        if (i < 1 || i > static_cast<int32_t>(bar->buttons.size())) {
          throw host::HostError(host::kErrNoSuchCollectionMember, "The requested member of the collection does not exist.");
        }
        return host::Value(host::ObjectPtr(bar->buttons[static_cast<size_t>(i - 1)]));
      });
      method("Add", [bar](const host::Args& a) {
        int32_t id = host::has_arg(a, 1) ? host::arg(a, 1).as_int() : 1;
        return host::Value(host::ObjectPtr(bar->Add(id)));
      });
    }
  };

  std::string name;
  std::vector<std::shared_ptr<FakeButton>> buttons;
  std::shared_ptr<Controls> controls;
};

class FakeWord : public host::DispatchObject {
 public:
  FakeWord() : DispatchObject("Application") {
    format = std::make_shared<FakeBar>("Format");
    tools = std::make_shared<FakeBar>("Tools");
    bars = std::make_shared<Bars>(this);
    context = std::make_shared<Context>(this);
    property("Name", [](const host::Args&) { return host::Value("Microsoft Word"); });
    property("Build", [this](const host::Args&) {
      ++build_reads;
      return host::Value(build);
    });
    property("CommandBars", [this](const host::Args&) { return host::Value(host::ObjectPtr(bars)); });
    property("CustomizationContext", [this](const host::Args&) { return host::Value(host::ObjectPtr(context)); });
  }

  struct Bars : host::DispatchObject {
    explicit Bars(FakeWord* w) : DispatchObject("CommandBars") {
      method("Item", [w](const host::Args& a) {
        std::string name = host::arg(a, 0).as_string();
        if (name == "Format") return host::Value(host::ObjectPtr(w->format));
        if (name == "Tools") return host::Value(host::ObjectPtr(w->tools));
        throw host::HostError(host::kErrNoSuchCollectionMember, "No command bar " + name);
      });
    }
  };
  struct Context : host::DispatchObject {
    explicit Context(FakeWord* w) : DispatchObject("Template") {
      method("Save", [w](const host::Args&) {
        ++w->context_saves;
        return host::Value();
      });
      property("Saved", [](const host::Args&) { return host::Value(host::kTrue); },
               [](const host::Value&, const host::Args&) {});
    }
  };

  std::string build = "11.0.8169";
  int build_reads = 0;
  int context_saves = 0;
  std::shared_ptr<FakeBar> format, tools;
  std::shared_ptr<Bars> bars;
  std::shared_ptr<Context> context;
};

// An array of VARIANTs as a host may pass custom(): recording no element
// type, only its size, and owning nothing it holds.
inline SAFEARRAY* UntypedVariants(const std::vector<VARIANT>& items) {
  SAFEARRAY* sa = nullptr;
  if (FAILED(SafeArrayAllocDescriptor(1, &sa))) return nullptr;
  sa->fFeatures = 0;
  sa->cbElements = sizeof(VARIANT);
  sa->rgsabound[0] = {static_cast<ULONG>(items.size()), 0};
  if (FAILED(SafeArrayAllocData(sa))) {
    SafeArrayDestroyDescriptor(sa);
    return nullptr;
  }
  std::copy(items.begin(), items.end(), static_cast<VARIANT*>(sa->pvData));
  return sa;
}

}  // namespace tarnwell::win32::testing
