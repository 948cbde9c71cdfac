#include "copyrun/dependencies.h"

#include <algorithm>
#include <set>
#include <unordered_set>

namespace tarnwell::copyrun {
namespace {

void RemoveDuplicates(NameList& list) {
  std::unordered_set<std::string> seen;
  std::erase_if(list, [&](const std::string& name) { return !seen.insert(name).second; });
}

void RemoveNamesIn(NameList& list, const NameList& other) {
  const std::unordered_set<std::string> names(other.begin(), other.end());
  std::erase_if(list, [&](const std::string& name) { return names.count(name) > 0; });
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

  // Each name is looked up once: what a style is based on joins the
  // based-on list and what follows it the follow-on list, to closure.
  const host::Styles styles = source.GetStyles();
  std::set<std::string> based_set(based.begin(), based.end()), follow_set(follow.begin(), follow.end());
  std::unordered_set<std::string> visited;
  std::vector<std::string> work(based.begin(), based.end());
  work.insert(work.end(), follow.begin(), follow.end());
  while (!work.empty()) {
    std::string x = std::move(work.back());
    work.pop_back();
    if (x.empty() || !visited.insert(x).second) continue;
    const host::Style style = styles.Item(x);
    std::string b = style.BaseStyle();
    std::string n = style.NextParagraphStyle();
    if (!IsExcludedName(b) && based_set.insert(b).second) work.push_back(std::move(b));
    if (!IsExcludedName(n) && follow_set.insert(n).second) work.push_back(std::move(n));
  }
  based.assign(based_set.begin(), based_set.end());
  follow.assign(follow_set.begin(), follow_set.end());

  // Both lists are now sorted without repeats; a name chosen is never
  // offered, and one in both lists is offered as based-on.
  RemoveNamesIn(based, selected);
  RemoveNamesIn(follow, selected);
  RemoveNamesIn(follow, based);
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
