// A copy made through the add-in DLL, its dialog driven as a user drives
// it, gives the same target as the tarnwell command on the same inputs.
// scripts/test-windows.sh prepares the case: two copies of the example
// documents, one already copied by the command (by-command\) and one for the
// DLL (by-addin\), in the folder TARNWELL_COPY_CASE names.
#include "win32/platform_win32.h"

#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "addin/Connect.h"
#include "engine/builtin_styles.h"
#include "engine/engine.h"
#include "host/collection.h"
#include "host/word.h"
#include "ooxml/package.h"
#include "win32/com_util.h"
#include "win32/resource.h"
#include "win32/test_runner.h"
#include "win32/test_view_driver.h"
#include "win32/word_host/word_host.h"

namespace tarnwell::win32::testing {
namespace {

// "<case>\<side>\" in the case the script prepared, "" when it prepared none.
std::string CaseFolder(const std::string& side) {
  wchar_t buf[MAX_PATH] = {};
  if (!GetEnvironmentVariableW(L"TARNWELL_COPY_CASE", buf, MAX_PATH)) {
    Fail(__FILE__, __LINE__, "TARNWELL_COPY_CASE names no folder; scripts/test-windows.sh prepares one");
    return "";
  }
  return Narrow(buf) + "\\" + side + "\\";
}

// The add-in connected at Word's start-up; its button, nullptr when it has none.
std::shared_ptr<engine::CommandBarControl> StartUp(EngineWord& word, AddIn& addin) {
  TW_CHECK_EQ(addin.created, S_OK);
  if (!addin.ext) return nullptr;
  TW_CHECK_EQ(addin.Connect(word, addin::ext_cm_Startup, ToSafeArray(host::Array{})), S_OK);
  TW_CHECK_EQ(addin.StartupComplete(ToSafeArray(host::Array{})), S_OK);
  auto buttons = word.FormatButtons();
  TW_CHECK_EQ(buttons.size(), size_t{1});
  return buttons.empty() ? nullptr : buttons[0];
}

// The line of a document list (name, tab, full name) that stands for path.
int DocumentLine(HWND dialog, int list_id, const std::string& path) {
  auto lines = ListLines(dialog, list_id);
  for (size_t i = 0; i < lines.size(); ++i) {
    size_t tab = lines[i].find('\t');
    if (tab != std::string::npos && engine::Lower(lines[i].substr(tab + 1)) == engine::Lower(path)) return int(i);
  }
  return -1;
}

int ComboLine(HWND dialog, int combo_id, const std::string& text) {
  return static_cast<int>(SendDlgItemMessageW(dialog, combo_id, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                              reinterpret_cast<LPARAM>(Widen(text).c_str())));
}

std::vector<int> StyleLines(HWND dialog, const std::vector<std::string>& names) {
  auto lines = ListLines(dialog, IDC_LST_STYLES);
  std::vector<int> found;
  for (const auto& name : names) {
    auto it = std::find(lines.begin(), lines.end(), name);
    if (it != lines.end()) found.push_back(static_cast<int>(it - lines.begin()));
  }
  return found;
}

// The parts that carry style and list definitions, as saved.
std::string Part(const std::string& file, const std::string& type) {
  auto package = ooxml::Package::Open(file);
  std::string name = package.Related(package.MainPart(), type);
  return name.empty() || !package.Has(name) ? std::string() : package.Get(name);
}

// The documents folder, where the run makes its scratch documents.
std::wstring DocumentsFolder() {
  wchar_t path[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, path);
  return std::wstring(path) + L"\\";
}

// Copies through the dialog in "<name>-by-addin"; the command copied in
// "<name>-by-command". Without scratch, folders where both scratch documents
// would go make either impossible, so the run takes the slow copy.
void CopyThroughTheDialog(const std::string& name, bool scratch) {
  const std::string by_addin = CaseFolder(name + "-by-addin"), by_command = CaseFolder(name + "-by-command");
  if (by_addin.empty()) return;
  const std::string source = by_addin + "source.docx";
  const std::string target = by_addin + "target.docx";
  TW_CHECK(std::filesystem::exists(Widen(by_command + "target.docx")));

  EngineWord word(engine::ComAddInsEntry::Absent, "11.0.0", {source, target});
  const std::wstring blocks[] = {DocumentsFolder() + L"TARNWELLTEMPDOC.doc", DocumentsFolder() + L"PELLMARTEMPDOC.doc"};
  if (scratch) {
    word.ProvideScratchTemplate();
  } else {
    for (const auto& b : blocks) CreateDirectoryW(b.c_str(), nullptr);
  }
  ClearMessageLog();
  TW_CHECK_EQ(CallDllExport("DllRegisterServer"), S_OK);
  AddIn addin;
  auto button = StartUp(word, addin);
  if (!button) return;

  const std::vector<std::string> chosen = {"Report Quote", "Report Title"};
  HWND main = nullptr;
  bool deps_confirmed = false;
  ViewDriver driver(
      {
          [&] {
            main = FindDialog(L"Quillon Tarnwell");
            if (!main) return false;
            const int type = ComboLine(main, IDC_CMB_STYLE_TYPES, "Paragraph");
            const int from = DocumentLine(main, IDC_LST_SOURCE_DOCS, source);
            const int to = DocumentLine(main, IDC_LST_TARGET_DOCS, target);
            TW_CHECK(type >= 0 && from >= 0 && to >= 0);
            PostChoose(main, IDC_CMB_STYLE_TYPES, type);
            PostSelectLine(main, IDC_LST_SOURCE_DOCS, from);
            PostSelectLine(main, IDC_LST_TARGET_DOCS, to);
            return true;
          },
          [&] {
            // The source's styles fill the list once its click has run.
            auto lines = StyleLines(main, chosen);
            if (lines.size() < chosen.size()) return false;
            PostSetSelected(main, IDC_LST_STYLES, lines, true, lines.front());
            return true;
          },
          [&] {
            TW_CHECK_EQ(SelectedLines(main, IDC_LST_STYLES).size(), chosen.size());
            PostClick(main, IDC_CMD_COPY);
            return true;
          },
          [&] {
            // All the styles the chosen ones depend on, as offered.
            HWND deps = FindDialog(L"Additional styles to be copied");
            if (!deps) return false;
            deps_confirmed = true;
            PostClick(deps, IDOK);
            return true;
          },
      },
      60000);
  button->Click();
  TW_CHECK(driver.finished());
  TW_CHECK(deps_confirmed);
  TW_CHECK(FindDialog(L"Quillon Tarnwell") == nullptr);
  TW_CHECK(ReadMessageLog().find("Copying complete.") != std::string::npos);
  TW_CHECK_EQ(ReadMessageLog().find("Slow copy will be used instead.") != std::string::npos, !scratch);
  TW_CHECK(ReadMessageLog().find("Copy error") == std::string::npos);
  TW_CHECK_EQ(addin.Disconnect(ToSafeArray(host::Array{})), S_OK);
  for (const auto& b : blocks) RemoveDirectoryW(b.c_str());

  // Compared as saved; the documents' other parts carry save times.
  std::string expected_styles = Part(by_command + "target.docx", "styles");
  TW_CHECK(!expected_styles.empty());
  TW_CHECK(Part(target, "styles") == expected_styles);
  TW_CHECK(Part(target, "numbering") == Part(by_command + "target.docx", "numbering"));
  TW_CHECK(Part(source, "styles") == Part(by_command + "source.docx", "styles"));
}

TW_TEST(CopyThroughTheDialogGivesTheCommandsTarget) { CopyThroughTheDialog("fast", true); }

TW_TEST(SlowCopyWithoutAScratchDocumentGivesTheCommandsSlowTarget) { CopyThroughTheDialog("slow", false); }

// The Update button against the engine: the target as `tarnwell update`
// leaves it, from the same Normal template (update-by-command\ and
// update-by-addin\, each with normal.dotx beside target.docx).
TW_TEST(UpdateThroughTheDialogGivesTheCommandsTarget) {
  const std::string by_addin = CaseFolder("update-by-addin"), by_command = CaseFolder("update-by-command");
  if (by_addin.empty()) return;
  const std::string target = by_addin + "target.docx";
  EngineWord word(engine::ComAddInsEntry::Absent, "11.0.0", {target});
  TW_CHECK(CopyFileW(Widen(by_addin + "normal.dotx").c_str(), Widen(word.folder() + "Normal.dotm").c_str(), FALSE));
  ClearMessageLog();
  TW_CHECK_EQ(CallDllExport("DllRegisterServer"), S_OK);
  AddIn addin;
  auto button = StartUp(word, addin);
  if (!button) return;
  HWND main = nullptr;
  ViewDriver driver(
      {
          [&] {
            main = FindDialog(L"Quillon Tarnwell");
            if (!main) return false;
            int line = DocumentLine(main, IDC_LST_TARGET_DOCS, target);
            TW_CHECK(line >= 0);
            TW_CHECK(IsWindowVisible(GetDlgItem(main, IDC_CMD_UPDATE)));
            PostSelectLine(main, IDC_LST_TARGET_DOCS, line);
            return true;
          },
          [&] {
            PostClick(main, IDC_CMD_UPDATE);
            return true;
          },
      },
      60000);
  button->Click();
  TW_CHECK(driver.finished());
  TW_CHECK(FindDialog(L"Quillon Tarnwell") == nullptr);
  TW_CHECK(ReadMessageLog().find("Overwrite styles and numbering?|") != std::string::npos);
  TW_CHECK(ReadMessageLog().find("Update from Normal.dot complete|") != std::string::npos);
  // The dialog saves nothing; saved here as the command saves it.
  host::Application(word.app()).GetDocuments().Item(target).Save();
  TW_CHECK_EQ(addin.Disconnect(ToSafeArray(host::Array{})), S_OK);
  TW_CHECK(Part(target, "styles") == Part(by_command + "target.docx", "styles"));
  TW_CHECK(Part(target, "numbering") == Part(by_command + "target.docx", "numbering"));
}

}  // namespace
}  // namespace tarnwell::win32::testing
