#include "dialog/controls.h"

#include <algorithm>

#include "host/host_error.h"

namespace tarnwell::dialog {

namespace {

[[noreturn]] void BadIndex() {
  throw host::HostError(kErrInvalidPropertyArrayIndex, "Invalid property array index");
}

}  // namespace

void ListBox::Check(int32_t index) const {
  if (index < 0 || index >= ListCount()) BadIndex();
}

const std::string& ListBox::List(int32_t index) const {
  Check(index);
  return items_[static_cast<size_t>(index)];
}

bool ListBox::Selected(int32_t index) const {
  Check(index);
  return selected_[static_cast<size_t>(index)];
}

void ListBox::SetSelected(int32_t index, bool selected) {
  Check(index);
  if (multi_select_) {
    selected_[static_cast<size_t>(index)] = selected;
  } else if (selected) {
    SetListIndex(index);
  } else if (index == list_index_) {
    SetListIndex(-1);
  }
}

int32_t ListBox::SelCount() const {
  return static_cast<int32_t>(std::count(selected_.begin(), selected_.end(), true));
}

void ListBox::SetListIndex(int32_t index) {
  if (index != -1) Check(index);
  list_index_ = index;
  if (!multi_select_) {
    std::fill(selected_.begin(), selected_.end(), false);
    if (index >= 0) selected_[static_cast<size_t>(index)] = true;
  }
}

std::string ListBox::Text() const {
  return list_index_ < 0 ? std::string() : items_[static_cast<size_t>(list_index_)];
}

void ListBox::AddItem(std::string text) {
  items_.push_back(std::move(text));
  selected_.push_back(false);
}

void ListBox::Clear() {
  items_.clear();
  selected_.clear();
  list_index_ = -1;
}

const std::string& ComboBox::List(int32_t index) const {
  if (index < 0 || index >= ListCount()) BadIndex();
  return items_[static_cast<size_t>(index)];
}

void ComboBox::SetListIndex(int32_t index) {
  if (index != -1 && (index < 0 || index >= ListCount())) BadIndex();
  list_index_ = index;
}

}  // namespace tarnwell::dialog
