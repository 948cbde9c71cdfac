// First, so that the UI interface's MessageBox member is declared before
// anything can bring the macro of that name back.
#include "win32/platform_win32.h"

#include "win32/word_host/word_host.h"

#include <objbase.h>

#include <atomic>
#include <filesystem>

#include "addin/modCountProcess.h"
#include "engine/engine.h"
#include "host/collection.h"
#include "win32/com_util.h"
#include "win32/object_dispatch.h"
#include "win32/resource.h"
#include "win32/test_view_driver.h"

namespace tarnwell::win32::testing {

namespace {

constexpr const wchar_t* kIdleSwitch = L"--idle-as-word";

// A copy of this program started as another Word idles, before any test
// runs, until the case that started it ends it.
[[maybe_unused]] const bool g_idle = [] {
  if (wcsstr(GetCommandLineW(), kIdleSwitch)) {
    Sleep(120000);
    ExitProcess(0);
  }
  return false;
}();

std::wstring NewFolder(const wchar_t* stem) {
  static std::atomic<int> serial{0};
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  std::wstring folder = std::wstring(temp) + stem + std::to_wstring(GetCurrentProcessId()) + L"-" +
                        std::to_wstring(++serial) + L"\\";
  CreateDirectoryW(folder.c_str(), nullptr);
  return folder;
}

void RemoveFolder(const std::wstring& folder) {
  std::error_code ec;
  std::filesystem::remove_all(folder, ec);
}

host::ObjectPtr Bar(const host::ObjectPtr& app, const std::string& name) {
  return host::item(host::deref(app->get("CommandBars").as_object()), host::Value(name));
}

// Where the DLL's message boxes go under test (the test program sets it).
std::wstring MessageLogPath() {
  wchar_t buf[MAX_PATH] = {};
  GetEnvironmentVariableW(L"TARNWELL_TEST_MESSAGE_LOG", buf, MAX_PATH);
  return buf;
}

// What Word hands over as AddInInst: its entry in the COM Add-Ins list.
class ComAddInEntry : public host::DispatchObject {
 public:
  ComAddInEntry() : DispatchObject("COMAddIn") {
    property("ProgId", [](const host::Args&) { return host::Value(Narrow(kProgId)); });
    property("Description", [](const host::Args&) { return host::Value(Narrow(kFriendlyName)); });
    property("Connect", [](const host::Args&) { return host::Value(host::kTrue); });
  }
};

}  // namespace

EngineWord::EngineWord(engine::ComAddInsEntry com_addins, const std::string& build,
                       const std::vector<std::string>& files)
    : folder_(Narrow(NewFolder(L"tarnwell-word-"))) {
  engine::Options o;
  o.build = build;
  o.normal_template = folder_ + "Normal.dotm";
  o.command_bars.com_addins = com_addins;
  app_ = engine::CreateApplication(o);
  auto documents = app_->get("Documents").as_object();
  for (const auto& file : files) host::deref(documents).call("Open", {host::Value(file)});
  if (files.empty()) host::deref(documents).call("Add");
}

EngineWord::~EngineWord() {
  app_.reset();
  RemoveFolder(Widen(folder_));
}

std::vector<std::shared_ptr<engine::CommandBarControl>> EngineWord::Controls(const std::string& bar) {
  std::vector<std::shared_ptr<engine::CommandBarControl>> out;
  for (auto& c : host::items(host::deref(host::deref(Bar(app_, bar)).get("Controls").as_object()))) {
    if (auto control = std::dynamic_pointer_cast<engine::CommandBarControl>(c)) out.push_back(control);
  }
  return out;
}

std::vector<std::shared_ptr<engine::CommandBarControl>> EngineWord::FormatButtons() {
  auto all = Controls("Format");
  std::erase_if(all, [](const auto& c) { return c->caption() != "&Tarnwell"; });
  return all;
}

std::vector<std::shared_ptr<engine::CommandBarControl>> EngineWord::ComAddInsCommands() {
  auto all = Controls("Tools");
  std::erase_if(all, [](const auto& c) { return c->id() != engine::kComAddInsControlId; });
  return all;
}

void EngineWord::AddStaleButton() {
  auto controls = host::deref(Bar(app_, "Format")).get("Controls").as_object();
  auto added = host::deref(controls).call("Add", {host::Value(int32_t{1})}).as_object();
  auto& button = host::deref(added);
  button.put("Caption", host::Value("&Tarnwell"));
  button.put("Tag", host::Value("VellTag"));
}

int EngineWord::CustomizationSaves() {
  auto context = std::dynamic_pointer_cast<engine::CustomizationContext>(app_->get("CustomizationContext").as_object());
  return context ? context->save_count() : -1;
}

void EngineWord::ProvideScratchTemplate() {
  wchar_t dll[MAX_PATH] = {};
  GetModuleFileNameW(GetModuleHandleW(L"VellDLLCOM.dll"), dll, MAX_PATH);
  std::filesystem::path blank = std::filesystem::path(dll).parent_path() / L"Tarnwell.doc";
  if (!std::filesystem::exists(blank)) engine::WriteBlankDocument(Narrow(blank.wstring()));
}

std::string ReadMessageLog() { return ReadWholeFile(MessageLogPath()); }

std::string ReadWholeFile(const std::wstring& path) {
  HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                         nullptr);
  if (f == INVALID_HANDLE_VALUE) return "";
  std::string out;
  char chunk[4096];
  DWORD n = 0;
  while (ReadFile(f, chunk, sizeof chunk, &n, nullptr) && n > 0) out.append(chunk, n);
  CloseHandle(f);
  return out;
}

void ClearMessageLog() { DeleteFileW(MessageLogPath().c_str()); }

HRESULT CallDllExport(const char* name) {
  static HMODULE dll = LoadLibraryW(L"VellDLLCOM.dll");
  auto f = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(reinterpret_cast<void*>(GetProcAddress(dll, name)));
  return f ? f() : E_NOTIMPL;
}

AddIn::AddIn() {
  CLSID clsid{};
  created = CLSIDFromProgID(kProgId, &clsid);
  if (SUCCEEDED(created)) {
    created = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDTExtensibility2,
                               reinterpret_cast<void**>(&ext));
  }
}

AddIn::~AddIn() {
  if (ext) ext->Release();
}

HRESULT AddIn::Connect(EngineWord& word, int connect_mode, SAFEARRAY* custom) {
  UniqueSafeArray owned(custom);
  if (!ext) return E_POINTER;
  IDispatch* app = DispatchFor(word.app());
  IDispatch* entry = DispatchFor(std::make_shared<ComAddInEntry>());
  SAFEARRAY* raw = owned.get();
  HRESULT hr = ext->OnConnection(app, connect_mode, entry, &raw);
  entry->Release();
  app->Release();
  return hr;
}

HRESULT AddIn::StartupComplete(SAFEARRAY* custom) {
  UniqueSafeArray owned(custom);
  if (!ext) return E_POINTER;
  SAFEARRAY* raw = owned.get();
  return ext->OnStartupComplete(&raw);
}

HRESULT AddIn::Disconnect(SAFEARRAY* custom) {
  UniqueSafeArray owned(custom);
  if (!ext) return E_POINTER;
  SAFEARRAY* raw = owned.get();
  return ext->OnDisconnection(1 /* ext_dm_UserClosed */, &raw);
}

OtherWordProcesses::OtherWordProcesses(int count) : folder_(NewFolder(L"tarnwell-winword-")) {
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring copy = folder_ + L"WINWORD.EXE";
  if (!CopyFileW(self, copy.c_str(), FALSE)) return;
  for (int i = 0; i < count; ++i) {
    std::wstring command = L"WINWORD.EXE " + std::wstring(kIdleSwitch);
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (CreateProcessW(copy.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder_.c_str(), &si, &pi)) {
      processes_.push_back(pi);
    }
  }
}

OtherWordProcesses::~OtherWordProcesses() {
  for (auto& pi : processes_) {
    TerminateProcess(pi.hProcess, 0);
    WaitForSingleObject(pi.hProcess, 5000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
  }
  RemoveFolder(folder_);
}

bool OtherWordProcesses::running() const {
  // Counted as the add-in counts, once the new processes can be inspected.
  Win32Processes processes;
  for (int tries = 0; tries < 50; ++tries) {
    if (addin::fncCountProcess(processes) >= static_cast<int32_t>(processes_.size()) && !processes_.empty()) {
      return true;
    }
    Sleep(100);
  }
  return false;
}

bool ClickAndCancelTheDialog(engine::CommandBarControl& button) {
  bool shown = false;
  ViewDriver driver({[&shown] {
    HWND dialog = FindDialog(L"Quillon Tarnwell");
    if (!dialog) return false;
    shown = true;
    PostClick(dialog, IDCANCEL);
    return true;
  }});
  button.Click();
  return shown && driver.finished();
}

}  // namespace tarnwell::win32::testing
