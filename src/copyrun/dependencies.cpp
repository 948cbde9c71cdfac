#include "copyrun/dependencies.h"

#include <algorithm>

namespace tarnwell::copyrun {
namespace {

bool Contains(const NameList& list, const std::string& name) {
  return std::find(list.begin(), list.end(), name) != list.end();
}

void RemoveDuplicates(NameList& list) {
  NameList out;
  for (auto& name : list) {
    if (!Contains(out, name)) out.push_back(name);
  }
  list = std::move(out);
}

void RemoveNamesIn(NameList& list, const NameList& other) {
  std::erase_if(list, [&](const std::string& name) { return Contains(other, name); });
}

}  // namespace

const char* const kDependenciesInstruction =
    "To make sure your styles copy correctly from one document to another, "
    "you need to copy all the styles they depend on for formatting, such as "
    "the styles they are based on and the styles that follow when you create a new paragraph in one of the "
    "styles you're copying.\r\n\r\n"
    "Select the additional styles you want to copy (deselect the ones you don't want to copy) and click OK, or "
    "click Cancel to cancel.";

void TidyList(NameList& list) {
  std::erase_if(list, [](const std::string& s) { return s.empty(); });
  std::sort(list.begin(), list.end());  // std::string compares by code unit
}

bool IsExcludedName(const std::string& name) {
  return name.empty() || name == "Table Normal" || name == "No List";
}

void CompleteDependencies(const host::Document& source, const NameList& selected, NameList& based,
                          NameList& follow) {
  RemoveDuplicates(based);
  TidyList(based);
  RemoveDuplicates(follow);
  TidyList(follow);

  const host::Styles styles = source.GetStyles();
  bool changed = true;
  while (changed) {
    changed = false;
    const NameList based_snapshot = based;
    const NameList follow_snapshot = follow;
    // Names added during a step wait for the next pass; only the snapshots
    // are searched, so duplicates within a pass are removed afterwards.
    auto visit = [&](const NameList& list) {
      const size_t count = list.size();
      for (size_t i = 0; i < count; ++i) {
        const std::string x = list[i];
        if (x.empty()) continue;
        const host::Style style = styles.Item(x);
        const std::string b = style.BaseStyle();
        const std::string n = style.NextParagraphStyle();
        if (!IsExcludedName(b) && !Contains(based_snapshot, b)) {
          based.push_back(b);
          changed = true;
        }
        if (!IsExcludedName(n) && !Contains(follow_snapshot, n)) {
          follow.push_back(n);
          changed = true;
        }
      }
    };
    visit(based);
    visit(follow);
  }

  TidyList(based);
  TidyList(follow);
  RemoveDuplicates(based);
  TidyList(based);
  RemoveNamesIn(based, selected);
  TidyList(based);
  RemoveDuplicates(follow);
  TidyList(follow);
  RemoveNamesIn(follow, selected);
  TidyList(follow);
  RemoveNamesIn(follow, based);
  TidyList(follow);
}

NameList ChoiceList::SelectedItems() const {
  NameList out;
  for (size_t i = 0; i < items.size(); ++i) {
    if (selected[i]) out.push_back(items[i]);
  }
  return out;
}

void frmVellDependencies_COM::cmdOK_Click() {
  Tag = "OK";
  visible_ = false;
}

void frmVellDependencies_COM::cmdCancel_Click() {
  Tag = "Cancel";
  visible_ = false;
}

void frmVellDependencies_COM::QueryUnload(int32_t UnloadMode, bool& Cancel) {
  if (UnloadMode == 0) cmdCancel_Click();
  Cancel = false;
}

bool ConfirmDependencies(platform::Ui& ui, NameList& based, NameList& follow) {
  frmVellDependencies_COM dialog;
  dialog.lblInstrux = kDependenciesInstruction;
  dialog.lstBased.Clear();
  dialog.lstFollow.Clear();
  for (const auto& name : based) {
    dialog.lstBased.AddItem(name);
    dialog.lstBased.selected.back() = true;
  }
  for (const auto& name : follow) {
    dialog.lstFollow.AddItem(name);
    dialog.lstFollow.selected.back() = true;
  }
  ui.ShowModal(dialog);
  if (dialog.Tag != "OK") return false;  // closed without a choice counts as Cancel
  based = dialog.lstBased.SelectedItems();
  follow = dialog.lstFollow.SelectedItems();
  return true;
}

}  // namespace tarnwell::copyrun
