#pragma once
// The state of a dialog's controls, kept by its model and drawn by a view.
// Members that mirror the controls' own properties keep their names
// (ListIndex, ListCount, Selected, Text), so handlers read like the forms
// they come from.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace tarnwell::dialog {

// QueryUnload modes: closed from the window menu or close box, or by code.
inline constexpr int32_t kUnloadFormControlMenu = 0;
inline constexpr int32_t kUnloadFormCode = 1;

// A list property read or written with an index that is not a line.
inline constexpr int32_t kErrInvalidPropertyArrayIndex = 381;

struct Label {
  std::string caption;
};

struct Button {
  std::string caption;
  bool enabled = true;
  bool visible = true;
};

struct Image {
  std::string tooltip;
};

struct MenuItem {
  std::string caption;
};

// Simple-text status bar.
struct StatusBar {
  std::string simple_text;
};

class ListBox {
 public:
  // name is how views and list messages address the list ("lstStyles").
  explicit ListBox(std::string name, bool multi_select = false)
      : name_(std::move(name)), multi_select_(multi_select) {}

  const std::string& name() const { return name_; }
  bool multi_select() const { return multi_select_; }

  int32_t ListCount() const { return static_cast<int32_t>(items_.size()); }
  // The line's text; raises 381 for an index that is not a line.
  const std::string& List(int32_t index) const;
  bool Selected(int32_t index) const;
  // With single selection, selecting a line makes it the current one and
  // deselecting the current line leaves none current.
  void SetSelected(int32_t index, bool selected);
  int32_t SelCount() const;
  // The current line, -1 for none.
  int32_t ListIndex() const { return list_index_; }
  // -1 or a line. With single selection the current line is the selected
  // one; with several, it only moves the focus.
  void SetListIndex(int32_t index);
  // The current line's text, "" when none is current.
  std::string Text() const;
  void AddItem(std::string text);
  void Clear();
  const std::vector<std::string>& items() const { return items_; }

  bool enabled = true;
  int32_t horizontal_extent = 0;  // pixels; wider lines scroll sideways
  std::vector<int32_t> tab_stops;  // dialog template units

 private:
  void Check(int32_t index) const;

  std::string name_;
  bool multi_select_;
  std::vector<std::string> items_;
  std::vector<bool> selected_;
  int32_t list_index_ = -1;
};

// A drop-down list combo box.
class ComboBox {
 public:
  explicit ComboBox(std::string name) : name_(std::move(name)) {}
  const std::string& name() const { return name_; }
  int32_t ListCount() const { return static_cast<int32_t>(items_.size()); }
  const std::string& List(int32_t index) const;
  int32_t ListIndex() const { return list_index_; }
  void SetListIndex(int32_t index);
  std::string Text() const { return list_index_ < 0 ? std::string() : items_[static_cast<size_t>(list_index_)]; }
  void AddItem(std::string text) { items_.push_back(std::move(text)); }
  void Clear() {
    items_.clear();
    list_index_ = -1;
  }
  const std::vector<std::string>& items() const { return items_; }

  bool enabled = true;

 private:
  std::string name_;
  std::vector<std::string> items_;
  int32_t list_index_ = -1;
};

}  // namespace tarnwell::dialog
