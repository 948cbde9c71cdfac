#pragma once
// Office command bars of the embedded Word: the menus the add-in puts its
// button on, and the customization context that stores such buttons.
//
// The bars belong to one Application and live as long as it does, so a
// button added by one connection is still there for the next connection in
// the same session, as in Word, where buttons are not temporary.
//
// Class names for fault plans: "CommandBars", "CommandBar",
// "CommandBarControls", "CommandBarButton" (other control types
// "CommandBarPopup" or "CommandBarControl") and "CustomizationContext".

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/click.h"
#include "host/object.h"

namespace tarnwell::engine {

// Office's numbers for control types and button styles.
inline constexpr int32_t kMsoControlButton = 1;
inline constexpr int32_t kMsoControlEdit = 2;
inline constexpr int32_t kMsoControlDropdown = 3;
inline constexpr int32_t kMsoControlComboBox = 4;
inline constexpr int32_t kMsoControlPopup = 10;
inline constexpr int32_t kMsoButtonAutomatic = 0;
inline constexpr int32_t kMsoButtonCaption = 2;
// Office gives every custom control the Id 1.
inline constexpr int32_t kCustomControlId = 1;
inline constexpr int32_t kComAddInsControlId = 3754;

// How the Tools menu offers the COM Add-Ins command when the session starts.
enum class ComAddInsEntry {
  Absent,       // not on the menu, as Word is installed
  Accelerated,  // captioned "&COM Add-Ins..."
  Plain,        // captioned "COM Add-Ins..."
};

struct CommandBarOptions {
  ComAddInsEntry com_addins = ComAddInsEntry::Absent;
  bool menu_bar = true;  // whether a "Menu Bar" bar exists beside "Format" and "Tools"
};

struct BarState;

// One control on a bar. It stays the same object for as long as it stands on
// its bar, so handlers bound to it survive lookups through Controls.Item.
class CommandBarControl : public host::DispatchObject, public host::ClickSource {
 public:
  CommandBarControl(int32_t type, int32_t id, std::string caption, std::weak_ptr<BarState> bar,
                    std::shared_ptr<host::FaultPlan> faults);

  Token OnClick(Handler handler) override;
  void RemoveClick(Token token) override;
  void Click() override;

  int32_t id() const { return id_; }
  int32_t type() const { return type_; }
  const std::string& caption() const { return caption_; }
  const std::string& tag() const { return tag_; }
  int32_t style() const { return style_; }
  bool visible() const { return visible_; }
  bool temporary() const { return temporary_; }
  bool deleted() const { return deleted_; }
  size_t handler_count() const { return handlers_.size(); }

 private:
  friend class CommandBarControls;
  void Delete();
  int32_t Index() const;
  // Members of a deleted control fail, as Office's do.
  void RequireLive() const;

  int32_t type_;
  int32_t id_;
  std::string caption_;
  std::string tag_;
  std::string parameter_;
  int32_t style_ = kMsoButtonAutomatic;
  bool visible_ = true;
  bool enabled_ = true;
  bool temporary_ = false;
  bool deleted_ = false;
  std::weak_ptr<BarState> bar_;
  std::vector<std::pair<Token, Handler>> handlers_;
  Token next_token_ = 1;
};

// The controls of one bar, in menu order.
class CommandBarControls : public host::DispatchObject {
 public:
  CommandBarControls(std::shared_ptr<BarState> bar, std::shared_ptr<host::FaultPlan> faults);

 private:
  host::Value Add(const host::Args& args);
  std::shared_ptr<BarState> bar_;
  std::shared_ptr<host::FaultPlan> faults_;  // handed to the controls it adds
};

// Word's CustomizationContext: where command bar changes are stored. Save is
// counted so that tests can tell whether a disconnection saved it.
class CustomizationContext : public host::DispatchObject {
 public:
  explicit CustomizationContext(std::shared_ptr<host::FaultPlan> faults);
  int save_count() const { return save_count_; }
  bool saved() const { return saved_; }

 private:
  int save_count_ = 0;
  bool saved_ = true;
};

// The CommandBars collection with Word's menus as the options describe
// them: "Format" and "Tools", and "Menu Bar" unless switched off.
host::ObjectPtr CreateCommandBars(const CommandBarOptions& options,
                                  std::shared_ptr<host::FaultPlan> faults);
host::ObjectPtr CreateCustomizationContext(std::shared_ptr<host::FaultPlan> faults);

}  // namespace tarnwell::engine
