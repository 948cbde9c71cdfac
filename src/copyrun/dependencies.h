#pragma once
// The styles the chosen styles depend on (their base styles and the styles
// that follow them), collected from the source document, and the dialog in
// which the user confirms them.

#include <cstdint>
#include <string>
#include <vector>

#include "host/word.h"
#include "platform/ui.h"

namespace tarnwell::copyrun {

using NameList = std::vector<std::string>;

// Sorts ascending by code unit and drops empty entries.
void TidyList(NameList& list);

// Never collected: they exist in every document and cannot be copied.
bool IsExcludedName(const std::string& name);

// Completes the based-on and follow-on lists from their seeds: every base
// and next-paragraph style of every listed name, transitively. Afterwards
// neither list holds a duplicate or a selected name, and a name in both is
// kept only as based-on. Word errors (a name the source lacks) propagate.
void CompleteDependencies(const host::Document& source, const NameList& selected, NameList& based,
                          NameList& follow);

// A multi-selection list as the dependencies dialog keeps it.
struct ChoiceList {
  std::vector<std::string> items;
  std::vector<bool> selected;
  void Clear() {
    items.clear();
    selected.clear();
  }
  void AddItem(std::string text) {
    items.push_back(std::move(text));
    selected.push_back(false);
  }
  int32_t ListCount() const { return static_cast<int32_t>(items.size()); }
  NameList SelectedItems() const;
};

extern const char* const kDependenciesInstruction;

class frmVellDependencies_COM : public platform::ModalDialog {
 public:
  std::string Caption = "Additional styles to be copied";
  std::string Tag;
  std::string lblInstrux;
  std::string lblBased = "The styles you're copying are &based on:";
  ChoiceList lstBased;
  std::string lblFollow = "These styles &follow the styles you're copying:";
  ChoiceList lstFollow;
  std::string cmdOK = "&OK";
  std::string cmdCancel = "&Cancel";

  void Load() override { visible_ = true; }
  bool Visible() const override { return visible_; }
  void cmdOK_Click();
  void cmdCancel_Click();
  // Mode 0 is the user closing the window: that is a Cancel.
  void QueryUnload(int32_t UnloadMode, bool& Cancel);

 private:
  bool visible_ = false;
};

// Shows the dialog with every name selected. True on OK, with the lists
// replaced by the names left selected; false on Cancel, lists untouched.
bool ConfirmDependencies(platform::Ui& ui, NameList& based, NameList& follow);

}  // namespace tarnwell::copyrun
