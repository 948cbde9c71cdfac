// The add-in DLL shows its own dialog window: connected to a Word with
// menus and documents, its button's click opens the main dialog from the
// DLL's resources, modal, until the user closes it.
#include "win32/platform_win32.h"

#include <memory>

#include "win32/com_util.h"
#include "win32/extensibility.h"
#include "win32/fake_documents_test.h"
#include "win32/fake_word_test.h"
#include "win32/object_dispatch.h"
#include "win32/resource.h"
#include "win32/test_runner.h"
#include "win32/test_view_driver.h"

namespace tarnwell::win32 {
namespace {

using namespace testing;
using Lines = std::vector<std::string>;

// Word's menus from one fake, its documents from the other.
class WordWithMenus : public FakeWordWithDocuments {
 public:
  WordWithMenus() {
    property("CommandBars", [this](const host::Args& a) { return menus->get("CommandBars", a); });
    property("CustomizationContext", [this](const host::Args& a) { return menus->get("CustomizationContext", a); });
  }
  std::shared_ptr<FakeWord> menus = std::make_shared<FakeWord>();
};

TW_TEST(TheAddInsButtonOpensTheMainDialogFromTheDll) {
  HMODULE dll = LoadLibraryW(L"VellDLLCOM.dll");
  TW_CHECK(dll != nullptr);
  if (!dll) return;
  auto reg = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(reinterpret_cast<void*>(GetProcAddress(dll, "DllRegisterServer")));
  TW_CHECK(reg && reg() == S_OK);

  auto word = std::make_shared<WordWithMenus>();
  word->Add("Report.doc", "C:\\Docs")->AddStyle("Normal", 1);
  CLSID clsid{};
  IDTExtensibility2* ext = nullptr;
  TW_CHECK_EQ(CLSIDFromProgID(kProgId, &clsid), S_OK);
  TW_CHECK_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDTExtensibility2,
                               reinterpret_cast<void**>(&ext)),
              S_OK);
  if (!ext) return;
  IDispatch* app = DispatchFor(word);
  UniqueSafeArray custom(ToSafeArray(host::Array{0, {}}));
  SAFEARRAY* raw = custom.get();
  TW_CHECK_EQ(ext->OnConnection(app, 1, nullptr, &raw), S_OK);
  app->Release();
  TW_CHECK_EQ(word->menus->format->buttons.size(), size_t{1});

  Lines docs;
  HWND dialog_module_owner = nullptr;
  ViewDriver driver({[&] {
    HWND d = FindDialog(L"Quillon Tarnwell");
    if (!d) return false;
    docs = ListLines(d, IDC_LST_SOURCE_DOCS);
    dialog_module_owner = reinterpret_cast<HWND>(GetWindowLongPtrW(d, GWLP_HINSTANCE));
    PostCloseBox(d);
    return true;
  }});
  if (!word->menus->format->buttons.empty()) word->menus->format->buttons[0]->Click();
  TW_CHECK(driver.finished());
  TW_CHECK(!driver.timed_out());
  TW_CHECK(docs == (Lines{"Normal template\tNormal template", "Report.doc\tC:\\Docs\\Report.doc"}));
  // The window came from the DLL's own resources, not the test program's.
  TW_CHECK(reinterpret_cast<HMODULE>(dialog_module_owner) == dll);

  UniqueSafeArray none(ToSafeArray(host::Array{0, {}}));
  raw = none.get();
  TW_CHECK_EQ(ext->OnDisconnection(0, &raw), S_OK);
  ext->Release();
}

}  // namespace
}  // namespace tarnwell::win32
