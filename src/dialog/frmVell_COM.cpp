#include "dialog/frmVell_COM.h"

#include <algorithm>
#include <vector>

#include "dialog/modHelpLinks.h"
#include "dialog/modListBoxTabs.h"
#include "dialog/modQuickSort.h"
#include "host/host_error.h"
#include "host/word.h"
#include "numbering/normal_docs.h"
#include "support/errors.h"
#include "support/globals.h"
#include "support/modCommonErrorMsgs.h"
#include "support/modGetCSIDLFolderPath.h"
#include "support/word_environment.h"

namespace tarnwell::dialog {

using support::gWordApp;

const char* const kInstructionText =
    "Select the document you want to copy styles  from (source) the document you want to copy to "
    "(target) and which styles you want to copy then click the \"Copy styles\" button.\r\n\r\n"
    "If you want to copy all the styles and numbering in Normal.dot to a document, choose a target "
    "document and click \"Update all from Normal.dot\"\r\n\r\n"
    "If you want to styles to Normal.dot, open Normal.dot for editing then run Tarnwell.  That will "
    "help  prevent overwriting important styles by mistake.";

namespace {

constexpr const char* kTableAdviceTitle = "A word about table styles...";
constexpr const char* kTableAdvice =
    "Word sometimes has trouble copying table styles between open documents, especially if you have "
    "copied batches of other styles immediately beforehand.\r\n\r\n"
    "If you find that you are getting error messages about Word's memory or buffers being full when "
    "you try to copy styles, you will have better results if you save and close all your open "
    "documents, and then restart Word before trying again.";
constexpr const char* kTooManyTablesTitle = "Too many table styles selected";
constexpr const char* kTooManyTables =
    "Word cannot process more than 12 table style copies at a time.  Please makes sure you only "
    "choose 15 table styles or less.";
constexpr int32_t kMostTableStyles = 12;

// The full name stays in each line, out of sight past the first stop.
const std::vector<int32_t> kListTabWidths{500, 5};

// Trims blanks only, as the lists' text is trimmed; tabs stay.
std::string TrimBlanks(const std::string& s) {
  const auto first = s.find_first_not_of(' ');
  if (first == std::string::npos) return "";
  return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

bool AnySelected(const ListBox& list) {
  for (int32_t i = 0; i < list.ListCount(); ++i) {
    if (list.Selected(i)) return true;
  }
  return false;
}

}  // namespace

std::string DocEntryName(const std::string& entry) { return entry.substr(0, entry.find('\t')); }

std::string DocEntryFullName(const std::string& entry) {
  const auto tab = entry.find('\t');
  if (tab == std::string::npos) return "";
  return TrimBlanks(entry.substr(tab + 1, entry.find('\t', tab + 1) - tab - 1));
}

bool WordHasListAndTableStyles() {
  return support::gWordVersion == "XP" || support::gWordVersion == "03";
}

frmVell_COM::frmVell_COM(platform::Platform& platform) : platform_(platform) {}

void frmVell_COM::Load() {
  visible_ = false;
  static_cast<frmVellControls&>(*this) = frmVellControls{};
  for (ListBox* list : {&lstSourceDocs, &lstTargetDocs, &lstStyles}) {
    SetListTabStops(platform_.ui, *list, kListTabWidths);
  }
  HelpFile = platform_.files.OwnFolder() + "TarnwellHelp.chm";
  InitializeVellForm();
  visible_ = true;
}

void frmVell_COM::InitializeVellForm() {
  if (addin_ == nullptr) throw host::HostError(host::kErrObjectNotSet, "Object variable or With block variable not set");
  support::SetWordApp(addin_->wdAppConnect());
  support::fncReadWordEnvironment(gWordApp);
  support::fncSetDocsFolder(platform_, Hwnd());
  support::fncSetScratchFolder(platform_, Hwnd());

  cmbStyleTypes.Clear();
  if (WordHasListAndTableStyles()) {
    for (const char* type : {"Character", "List", "Paragraph", "Table"}) cmbStyleTypes.AddItem(type);
    cmbStyleTypes.SetListIndex(2);
    cmdUpdate.visible = true;
    cmdUpdate.enabled = true;
  } else {
    for (const char* type : {"Character", "Paragraph"}) cmbStyleTypes.AddItem(type);
    cmbStyleTypes.SetListIndex(1);
    cmdUpdate.visible = false;
    cmdUpdate.enabled = false;
  }

  lblDesc.caption = kInstructionText;

  std::vector<std::string> entries;
  bool normal_dot_open = false;
  int32_t widest = 0;
  for (const host::Document& doc : gWordApp.GetDocuments().all()) {
    const std::string name = doc.Name();
    entries.push_back(name + "\t" + doc.FullName());
    if (name == numbering::kNormalDotName) normal_dot_open = true;
    widest = std::max(widest, platform_.ui.TextWidth("   " + name));
  }
  // An open Normal.dot is listed under its own name instead.
  if (!normal_dot_open) {
    entries.push_back(std::string(kNormalTemplateEntryName) + "\t" + kNormalTemplateEntryName);
  }
  QuickSortAscending(entries, 0, static_cast<int32_t>(entries.size()) - 1);

  // The width service answers in pixels, so no twips conversion is needed.
  for (ListBox* list : {&lstSourceDocs, &lstTargetDocs}) {
    list->horizontal_extent = widest;
    platform_.ui.ListMessage(list->name(), platform::kLbSetHorizontalExtent, {widest});
  }
  for (const std::string& entry : entries) {
    lstSourceDocs.AddItem(entry);
    lstTargetDocs.AddItem(entry);
  }
}

void frmVell_COM::SetStatusText(const std::string& text) {
  StatusBar1.simple_text = text;
  platform_.ui.Status(text);
}

void frmVell_COM::lstSourceDocs_Click() {
  SetStatusText("");
  FillStyleList();
}

void frmVell_COM::lstTargetDocs_Click() { SetStatusText(""); }

void frmVell_COM::lstStyles_Click() { SetStatusText(""); }

int32_t frmVell_COM::WordStyleType() const {
  using host::StyleType;
  static constexpr StyleType kFourTypes[] = {StyleType::Character, StyleType::List, StyleType::Paragraph,
                                             StyleType::Table};
  static constexpr StyleType kTwoTypes[] = {StyleType::Character, StyleType::Paragraph};
  const int32_t choice = cmbStyleTypes.ListIndex();
  if (WordHasListAndTableStyles()) {
    if (choice >= 0 && choice < 4) return static_cast<int32_t>(kFourTypes[choice]);
  } else if (choice >= 0 && choice < 2) {
    return static_cast<int32_t>(kTwoTypes[choice]);
  }
  return 0;
}

void frmVell_COM::FillStyleList() {
  try {
    const host::Document active = gWordApp.ActiveDocument();
    active.SetSaved(false);

    const std::string source_entry = lstSourceDocs.Text();
    if (TrimBlanks(source_entry).empty()) return;
    const std::string source_name = DocEntryName(source_entry);
    const bool from_normal = source_name == kNormalTemplateEntryName;
    if (!from_normal) numbering::fncCloseNormalStylesDoc(platform_);

    lstStyles.Clear();
    const bool four_types = WordHasListAndTableStyles();
    const int32_t wanted = WordStyleType();
    if (four_types && cmbStyleTypes.ListIndex() == kTableChoice) {
      platform_.ui.MessageBox(kTableAdviceTitle, kTableAdvice, platform::Icon::Exclamation,
                              platform::Buttons::OK);
    }

    const host::Documents documents = gWordApp.GetDocuments();
    host::Document source;
    if (!from_normal) {
      source = documents.Item(source_name);
    } else {
      for (const host::Document& doc : documents.all()) {
        if (doc.Name() == numbering::kNormalStylesDocName) {
          source = doc;
          break;
        }
      }
      if (!source) {
        // A new document carries Normal's styles; it stands in for Normal.
        source = documents.Add();
        source.SaveAs(numbering::NormalStylesDocPath());
      }
    }

    const std::string trailing = four_types ? "   " : "  ";
    int32_t widest = 0;
    for (const host::Style& style : source.GetStyles().all()) {
      if (static_cast<int32_t>(style.Type()) != wanted) continue;
      const std::string name = style.NameLocal();
      if (name.empty()) continue;
      if (four_types && (name == "No List" || name == "Table Normal")) continue;
      lstStyles.AddItem(name);
      widest = std::max(widest, platform_.ui.TextWidth(name + trailing));
    }

    // Making the style document may have moved Word's focus to it.
    if (four_types) host::deref(active.obj()).call("Activate");

    lstStyles.horizontal_extent = widest;
    platform_.ui.ListMessage(lstStyles.name(), platform::kLbSetHorizontalExtent, {widest});
    lstStyles.SetListIndex(-1);
  } catch (const host::HostError& e) {
    support::fncShowErrorMsg(platform_.ui, "", support::ErrInfo::From(e));
  }
}

void frmVell_COM::cmbStyleTypes_Click() {
  if (AnySelected(lstSourceDocs)) FillStyleList();
}

void frmVell_COM::cmbStyleTypes_Change() {
  try {
    if (AnySelected(lstSourceDocs)) FillStyleList();
  } catch (const host::HostError& e) {
    support::fncShowErrorMsg(platform_.ui, "", support::ErrInfo::From(e));
    platform_.ui.MessageBox("Error", "Style types drop down not updated.  Please cancel and try again.",
                            platform::Icon::Critical, platform::Buttons::OK);
  }
}

void frmVell_COM::lstStyles_Validate(bool& Cancel) {
  if (!WordHasListAndTableStyles() || cmbStyleTypes.ListIndex() != kTableChoice) return;
  if (lstStyles.SelCount() <= kMostTableStyles) return;
  // Either answer keeps the focus in the list; Cancel is offered enabled so
  // the user can leave altogether.
  platform_.ui.MessageBox(kTooManyTablesTitle, kTooManyTables, platform::Icon::Exclamation,
                          platform::Buttons::OKCancel);
  cmdCancel.enabled = true;
  Cancel = true;
}

void frmVell_COM::cmdCancel_Click() {
  using support::SkipErrors;
  SkipErrors([&] { numbering::fncCloseNormalStylesDoc(platform_); });
  SkipErrors([&] { numbering::fncCloseNormalDot(support::gNormalDotOpened); });

  // Puts the cursor back where a copy run found it. A failed test goes on
  // into the steps it guards, as statement-by-statement skipping does.
  host::ObjectPtr bookmarks;
  bool marked = true;
  SkipErrors([&] { bookmarks = support::gActiveDoc.ref().get("Bookmarks").as_object(); });
  SkipErrors([&] { marked = host::deref(bookmarks).call("Exists", {"ReturnHereQQQ"}).as_bool(); });
  if (marked) {
    SkipErrors([&] { host::deref(host::item(host::deref(bookmarks), "ReturnHereQQQ")).call("Select"); });
    SkipErrors([&] { host::deref(host::item(host::deref(bookmarks), "ReturnHereQQQ")).call("Delete"); });
  }
  support::gActiveDoc = host::Document();

  SkipErrors([&] { gWordApp.SetScreenUpdating(true); });
  SkipErrors([&] { gWordApp.ScreenRefresh(); });
  Tag = "Cancel";
  Hide();
  gWordApp = host::Application();
}

void frmVell_COM::QueryUnload(int32_t UnloadMode, bool& /*Cancel*/) {
  if (UnloadMode == kUnloadFormControlMenu) cmdCancel_Click();
}

void frmVell_COM::Unload() {
  if (support::gActiveDoc) support::gActiveDoc = host::Document();
}

void frmVell_COM::Close(int32_t unload_mode) {
  bool cancel = false;
  QueryUnload(unload_mode, cancel);
  if (cancel) return;
  Unload();
  Hide();
}

}  // namespace tarnwell::dialog

namespace tarnwell::dialog {

void frmVell_COM::cmdCopy_Click() { copy_run_.cmdCopy_Click(); }

void frmVell_COM::btnGetStarted_Click() { fncShowHelp(platform_, kHelpFile, kHelpGettingStarted, hwnd_); }

void frmVell_COM::btnUsing_Click() { fncShowHelp(platform_, kHelpFile, kHelpUsing, hwnd_); }

void frmVell_COM::btnAbout_Click() { fncShowAbout(platform_.ui, about_); }

void frmVell_COM::imgHB_Click() { fncShowAbout(platform_.ui, about_); }

}  // namespace tarnwell::dialog
