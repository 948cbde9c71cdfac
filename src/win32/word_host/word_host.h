#pragma once
// Word as the test host plays it: the embedded engine's Application handed
// to the add-in DLL through the generic IDispatch adapter, the DLL created
// by its ProgID, and other winword.exe processes for the cases that count
// them.

#include <windows.h>
#include <oaidl.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/commandbars.h"
#include "host/object.h"
#include "win32/extensibility.h"

namespace tarnwell::win32::testing {

class EngineWord {
 public:
  // A session with the files open, or a blank document as Word starts
  // without one; its Normal template in a folder of its own.
  explicit EngineWord(engine::ComAddInsEntry com_addins, const std::string& build = "11.0.8169",
                      const std::vector<std::string>& files = {});
  ~EngineWord();
  EngineWord(const EngineWord&) = delete;
  EngineWord& operator=(const EngineWord&) = delete;

  const host::ObjectPtr& app() const { return app_; }
  // A folder of this session's own, removed with it; ends in a backslash.
  const std::string& folder() const { return folder_; }

  std::vector<std::shared_ptr<engine::CommandBarControl>> Controls(const std::string& bar);
  // The "&Tarnwell" controls on the Format menu.
  std::vector<std::shared_ptr<engine::CommandBarControl>> FormatButtons();
  // The COM Add-Ins commands (id 3754) on the Tools menu.
  std::vector<std::shared_ptr<engine::CommandBarControl>> ComAddInsCommands();
  // A "&Tarnwell" button as an earlier session would have left it.
  void AddStaleButton();
  int CustomizationSaves();
  // Writes the blank "Tarnwell.doc" that the fast copy starts its scratch
  // document from beside the DLL, as the command's build does beside it.
  void ProvideScratchTemplate();

 private:
  std::string folder_;
  host::ObjectPtr app_;
};

// Calls an export of the DLL beside this program: registering it, for one.
HRESULT CallDllExport(const char* name);

// One instance of VellDLLCOM.Connect, created as Word creates it.
class AddIn {
 public:
  AddIn();
  ~AddIn();
  AddIn(const AddIn&) = delete;
  AddIn& operator=(const AddIn&) = delete;

  // Each takes over the custom() array it is given.
  HRESULT Connect(EngineWord& word, int connect_mode, SAFEARRAY* custom);
  HRESULT StartupComplete(SAFEARRAY* custom);
  HRESULT Disconnect(SAFEARRAY* custom);

  HRESULT created = E_FAIL;
  IDTExtensibility2* ext = nullptr;
};

// Copies of this program named WINWORD.EXE, idling until the object ends
// them.
class OtherWordProcesses {
 public:
  explicit OtherWordProcesses(int count);
  ~OtherWordProcesses();
  OtherWordProcesses(const OtherWordProcesses&) = delete;
  OtherWordProcesses& operator=(const OtherWordProcesses&) = delete;
  bool running() const;

 private:
  std::wstring folder_;
  std::vector<PROCESS_INFORMATION> processes_;
};

// What the DLL's message boxes said ("title|text" lines) since the last
// ClearMessageLog.
std::string ReadMessageLog();
// A file's bytes, "" when it cannot be read; others may go on writing it.
std::string ReadWholeFile(const std::wstring& path);
void ClearMessageLog();

// Clicks the button and, from inside the modal loop of the dialog that the
// click shows, closes it with Cancel. False when no dialog came up.
bool ClickAndCancelTheDialog(engine::CommandBarControl& button);

}  // namespace tarnwell::win32::testing
