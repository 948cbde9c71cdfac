#include "engine/commandbars.h"

#include <algorithm>
#include <cctype>
#include <optional>

#include "host/host_error.h"

namespace tarnwell::engine {

using host::Args;
using host::HostError;
using host::ObjectPtr;
using host::Value;

struct BarState {
  std::string name;
  int32_t bar_type = 0;  // msoBarTypeNormal 0, msoBarTypeMenuBar 1, msoBarTypePopup 2
  std::vector<std::shared_ptr<CommandBarControl>> controls;
};

namespace {

struct BuiltInCommand {
  int32_t id;
  int32_t type;
  const char* caption;
};

// The built-in entries this engine's menus carry. Only the COM Add-Ins id is
// Word's own number that callers rely on; the others just give each menu
// realistic neighbours with distinct ids.
constexpr BuiltInCommand kBuiltIns[] = {
    {30002, kMsoControlPopup, "&File"},
    {30003, kMsoControlPopup, "&Edit"},
    {30004, kMsoControlPopup, "&View"},
    {30005, kMsoControlPopup, "&Insert"},
    {30006, kMsoControlPopup, "F&ormat"},
    {30007, kMsoControlPopup, "&Tools"},
    {30008, kMsoControlPopup, "T&able"},
    {30009, kMsoControlPopup, "&Window"},
    {30010, kMsoControlPopup, "&Help"},
    {253, kMsoControlButton, "&Font..."},
    {254, kMsoControlButton, "&Paragraph..."},
    {255, kMsoControlButton, "Bullets and &Numbering..."},
    {256, kMsoControlButton, "&Borders and Shading..."},
    {257, kMsoControlButton, "&Columns..."},
    {258, kMsoControlButton, "&Tabs..."},
    {259, kMsoControlButton, "Styles and &Formatting..."},
    {260, kMsoControlButton, "&Spelling and Grammar..."},
    {261, kMsoControlButton, "&Word Count..."},
    {262, kMsoControlButton, "Templates and Add-&Ins..."},
    {263, kMsoControlButton, "&Customize..."},
    {264, kMsoControlButton, "&Options..."},
    {kComAddInsControlId, kMsoControlButton, "&COM Add-Ins..."},
};

const BuiltInCommand* FindBuiltIn(int32_t id) {
  for (const auto& b : kBuiltIns) {
    if (b.id == id) return &b;
  }
  return nullptr;
}

[[noreturn]] void InvalidArgument(const std::string& what) {
  throw HostError(host::kErrInvalidProcedureCall, "Invalid procedure call or argument: " + what);
}

bool SameNameIgnoringCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

bool IsValidType(int32_t type) {
  return type == kMsoControlButton || type == kMsoControlEdit || type == kMsoControlDropdown ||
         type == kMsoControlComboBox || type == kMsoControlPopup;
}

// A control made as the bar would hold it from the start (built-in, by id).
std::shared_ptr<CommandBarControl> MakeBuiltIn(int32_t id, const std::shared_ptr<BarState>& bar,
                                               const std::shared_ptr<host::FaultPlan>& faults) {
  const BuiltInCommand* b = FindBuiltIn(id);
  return std::make_shared<CommandBarControl>(b->type, b->id, b->caption, bar, faults);
}

// FindControl's criteria: each given argument must match; omitted ones match
// anything. The search covers the controls handed in, never nested menus.
struct FindCriteria {
  std::optional<int32_t> type, id;
  std::optional<std::string> tag;
  bool visible_only = false;

  explicit FindCriteria(const Args& args) {
    if (host::has_arg(args, 0)) type = host::arg(args, 0).as_int();
    if (host::has_arg(args, 1)) id = host::arg(args, 1).as_int();
    if (host::has_arg(args, 2)) tag = host::arg(args, 2).as_string();
    if (host::has_arg(args, 3)) visible_only = host::arg(args, 3).as_bool();
  }
  bool Matches(const CommandBarControl& c) const {
    if (type && *type != c.type()) return false;
    if (id && *id != c.id()) return false;
    if (tag && *tag != c.tag()) return false;
    if (visible_only && !c.visible()) return false;
    return true;
  }
};

Value Nothing() { return Value(ObjectPtr{}); }

class CommandBar : public host::DispatchObject {
 public:
  CommandBar(std::shared_ptr<BarState> state, std::shared_ptr<host::FaultPlan> faults)
      : DispatchObject("CommandBar", faults),
        state_(std::move(state)),
        controls_(std::make_shared<CommandBarControls>(state_, faults)) {
    property("Name", [this](const Args&) { return Value(state_->name); });
    property("NameLocal", [this](const Args&) { return Value(state_->name); });
    property("Type", [this](const Args&) { return Value(state_->bar_type); });
    property("BuiltIn", [](const Args&) { return host::word_bool(true); });
    property("Controls", [this](const Args&) { return Value(ObjectPtr(controls_)); });
    method("FindControl", [this](const Args& args) {
      const FindCriteria criteria(args);
      for (const auto& c : state_->controls) {
        if (criteria.Matches(*c)) return Value(ObjectPtr(c));
      }
      return Nothing();
    });
  }
  const std::string& name() const { return state_->name; }
  const std::vector<std::shared_ptr<CommandBarControl>>& controls() const { return state_->controls; }

 private:
  std::shared_ptr<BarState> state_;
  std::shared_ptr<CommandBarControls> controls_;
};

class CommandBars : public host::DispatchObject {
 public:
  CommandBars(const CommandBarOptions& options, std::shared_ptr<host::FaultPlan> faults)
      : DispatchObject("CommandBars", faults) {
    if (options.menu_bar) {
      AddBar("Menu Bar", 1, {30002, 30003, 30004, 30005, 30006, 30007, 30008, 30009, 30010}, faults);
    }
    AddBar("Format", 2, {253, 254, 255, 256, 257, 258, 259}, faults);
    auto tools = AddBar("Tools", 2, {260, 261, 262, 263, 264}, faults);
    if (options.com_addins != ComAddInsEntry::Absent) {
      auto entry = MakeBuiltIn(kComAddInsControlId, tools, faults);
      if (options.com_addins == ComAddInsEntry::Plain) {
        entry = std::make_shared<CommandBarControl>(kMsoControlButton, kComAddInsControlId, "COM Add-Ins...", tools,
                                                    faults);
      }
      // After "Templates and Add-Ins...", so that a walk down the menu meets
      // entries before and after it.
      tools->controls.insert(tools->controls.begin() + 3, entry);
    }

    property("Count", [this](const Args&) { return Value(static_cast<int32_t>(bars_.size())); });
    method("Item", [this](const Args& args) { return Value(ObjectPtr(Item(args))); });
    method("FindControl", [this](const Args& args) {
      const FindCriteria criteria(args);
      for (const auto& bar : bars_) {
        for (const auto& c : bar->controls()) {
          if (criteria.Matches(*c)) return Value(ObjectPtr(c));
        }
      }
      return Nothing();
    });
  }

 private:
  std::shared_ptr<BarState> AddBar(const std::string& name, int32_t bar_type, std::initializer_list<int32_t> ids,
                                   const std::shared_ptr<host::FaultPlan>& faults) {
    auto state = std::make_shared<BarState>();
    state->name = name;
    state->bar_type = bar_type;
    for (int32_t id : ids) state->controls.push_back(MakeBuiltIn(id, state, faults));
    bars_.push_back(std::make_shared<CommandBar>(state, faults));
    return state;
  }

  std::shared_ptr<CommandBar> Item(const Args& args) {
    if (!host::has_arg(args, 0)) {
      throw HostError(host::kErrArgumentNotOptional, "Argument not optional");
    }
    const Value& index = host::arg(args, 0);
    if (index.is_string()) {
      const std::string name = index.as_string();
      for (const auto& bar : bars_) {
        if (SameNameIgnoringCase(bar->name(), name)) return bar;
      }
      InvalidArgument("no command bar named \"" + name + "\"");
    }
    const int32_t i = index.as_int();
    if (i < 1 || i > static_cast<int32_t>(bars_.size())) {
      InvalidArgument("command bar index " + std::to_string(i) + " out of range");
    }
    return bars_[static_cast<size_t>(i - 1)];
  }

  std::vector<std::shared_ptr<CommandBar>> bars_;
};

}  // namespace

CommandBarControl::CommandBarControl(int32_t type, int32_t id, std::string caption, std::weak_ptr<BarState> bar,
                                     std::shared_ptr<host::FaultPlan> faults)
    : DispatchObject(type == kMsoControlButton  ? "CommandBarButton"
                     : type == kMsoControlPopup ? "CommandBarPopup"
                                                : "CommandBarControl",
                     std::move(faults)),
      type_(type),
      id_(id),
      caption_(std::move(caption)),
      bar_(std::move(bar)) {
  // Every member first checks that the control still stands on its bar.
  auto live_get = [this](auto read) {
    return [this, read](const Args&) {
      RequireLive();
      return Value(read());
    };
  };
  auto live_put = [this](auto write) {
    return [this, write](const Value& v, const Args&) {
      RequireLive();
      write(v);
    };
  };
  property("Caption", live_get([this] { return caption_; }),
           live_put([this](const Value& v) { caption_ = v.as_string(); }));
  property("Tag", live_get([this] { return tag_; }), live_put([this](const Value& v) { tag_ = v.as_string(); }));
  property("Style", live_get([this] { return style_; }), live_put([this](const Value& v) { style_ = v.as_int(); }));
  property("Parameter", live_get([this] { return parameter_; }),
           live_put([this](const Value& v) { parameter_ = v.as_string(); }));
  property("Visible", live_get([this] { return host::word_bool(visible_); }),
           live_put([this](const Value& v) { visible_ = v.as_bool(); }));
  property("Enabled", live_get([this] { return host::word_bool(enabled_); }),
           live_put([this](const Value& v) { enabled_ = v.as_bool(); }));
  property("Id", live_get([this] { return id_; }));
  property("Type", live_get([this] { return type_; }));
  property("BuiltIn", live_get([this] { return host::word_bool(id_ != kCustomControlId); }));
  property("Index", live_get([this] { return Index(); }));
  method("Delete", [this](const Args&) {
    RequireLive();
    Delete();
    return Value();
  });
  method("Execute", [this](const Args&) {
    RequireLive();
    Click();
    return Value();
  });
}

void CommandBarControl::RequireLive() const {
  if (deleted_) throw HostError(host::kErrUnspecified, "The command bar control has been deleted");
}

int32_t CommandBarControl::Index() const {
  auto bar = bar_.lock();
  if (!bar) return 0;
  const auto it = std::find_if(bar->controls.begin(), bar->controls.end(),
                               [this](const auto& c) { return c.get() == this; });
  return it == bar->controls.end() ? 0 : static_cast<int32_t>(it - bar->controls.begin()) + 1;
}

void CommandBarControl::Delete() {
  deleted_ = true;
  // A deleted control raises no more events, so nobody is kept alive by it.
  handlers_.clear();
  if (auto bar = bar_.lock()) {
    std::erase_if(bar->controls, [this](const auto& c) { return c.get() == this; });
  }
}

host::ClickSource::Token CommandBarControl::OnClick(Handler handler) {
  const Token token = next_token_++;
  handlers_.emplace_back(token, std::move(handler));
  return token;
}

void CommandBarControl::RemoveClick(Token token) {
  std::erase_if(handlers_, [token](const auto& h) { return h.first == token; });
}

void CommandBarControl::Click() {
  if (deleted_) return;
  // A handler may unbind itself or others while running; work on a copy and
  // skip those unbound meanwhile.
  const auto snapshot = handlers_;
  for (const auto& [token, handler] : snapshot) {
    const bool still_bound =
        std::any_of(handlers_.begin(), handlers_.end(), [t = token](const auto& h) { return h.first == t; });
    if (still_bound) handler();
  }
}

CommandBarControls::CommandBarControls(std::shared_ptr<BarState> bar, std::shared_ptr<host::FaultPlan> faults)
    : DispatchObject("CommandBarControls", faults), bar_(std::move(bar)), faults_(std::move(faults)) {
  property("Count", [this](const Args&) { return Value(static_cast<int32_t>(bar_->controls.size())); });
  method("Item", [this](const Args& args) {
    if (!host::has_arg(args, 0)) throw HostError(host::kErrArgumentNotOptional, "Argument not optional");
    const Value& index = host::arg(args, 0);
    if (index.is_string()) {
      const std::string caption = index.as_string();
      for (const auto& c : bar_->controls) {
        if (c->caption() == caption) return Value(ObjectPtr(c));
      }
      InvalidArgument("no control captioned \"" + caption + "\" on \"" + bar_->name + "\"");
    }
    const int32_t i = index.as_int();
    if (i < 1 || i > static_cast<int32_t>(bar_->controls.size())) {
      InvalidArgument("control index " + std::to_string(i) + " out of range on \"" + bar_->name + "\"");
    }
    return Value(ObjectPtr(bar_->controls[static_cast<size_t>(i - 1)]));
  });
  method("Add", [this](const Args& args) { return Add(args); });
}

// Add(Type, Id, Parameter, Before, Temporary), each argument optional.
Value CommandBarControls::Add(const Args& args) {
  const int32_t type = host::has_arg(args, 0) ? host::arg(args, 0).as_int() : kMsoControlButton;
  if (!IsValidType(type)) InvalidArgument("control type " + std::to_string(type));
  const int32_t id = host::has_arg(args, 1) ? host::arg(args, 1).as_int() : 0;
  const int32_t count = static_cast<int32_t>(bar_->controls.size());
  int32_t before = count + 1;
  if (host::has_arg(args, 3)) {
    before = host::arg(args, 3).as_int();
    if (before < 1 || before > count + 1) InvalidArgument("position " + std::to_string(before));
  }

  std::shared_ptr<CommandBarControl> control;
  if (id == 0 || id == kCustomControlId) {
    control = std::make_shared<CommandBarControl>(type, kCustomControlId, "", bar_, faults_);
  } else {
    if (!FindBuiltIn(id)) InvalidArgument("no built-in control with id " + std::to_string(id));
    control = MakeBuiltIn(id, bar_, faults_);
  }
  if (host::has_arg(args, 2)) control->parameter_ = host::arg(args, 2).as_string();
  // Accepted for Office's sake; the bars live only as long as the session
  // anyway, so a temporary control behaves like any other here.
  if (host::has_arg(args, 4)) control->temporary_ = host::arg(args, 4).as_bool();
  bar_->controls.insert(bar_->controls.begin() + (before - 1), control);
  return Value(ObjectPtr(control));
}

CustomizationContext::CustomizationContext(std::shared_ptr<host::FaultPlan> faults)
    : DispatchObject("CustomizationContext", std::move(faults)) {
  method("Save", [this](const Args&) {
    ++save_count_;
    saved_ = true;
    return Value();
  });
  property(
      "Saved", [this](const Args&) { return host::word_bool(saved_); },
      [this](const Value& v, const Args&) { saved_ = v.as_bool(); });
}

ObjectPtr CreateCommandBars(const CommandBarOptions& options, std::shared_ptr<host::FaultPlan> faults) {
  return std::make_shared<CommandBars>(options, std::move(faults));
}

ObjectPtr CreateCustomizationContext(std::shared_ptr<host::FaultPlan> faults) {
  return std::make_shared<CustomizationContext>(std::move(faults));
}

}  // namespace tarnwell::engine
