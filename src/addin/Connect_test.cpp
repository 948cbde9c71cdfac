#include "addin/Connect.h"

#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "dialog/frmVell_COM.h"
#include "engine/commandbars.h"
#include "engine/engine.h"
#include "engine/test_support.h"
#include "host/collection.h"
#include "host/host_error.h"
#include "host/word.h"
#include "platform/fakes.h"
#include "support/globals.h"

namespace tarnwell::addin {
namespace {

namespace fs = std::filesystem;
using host::ObjectPtr;
using host::Value;

constexpr const char* kWordExe = "C:\\Program Files\\Microsoft Office\\OFFICE11\\WINWORD.EXE";

Value Custom(std::vector<Value> items, int32_t lower_bound = 0) {
  return Value(host::Array{lower_bound, std::move(items)});
}

// A connection to the embedded Word with one Word process running.
class ConnectTest : public ::testing::Test {
 protected:
  void SetUp() override {
    support::ResetGlobals();
    char pattern[] = "/tmp/tw_connect_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    engine::Options options;
    options.build = "11.0.8169";
    options.normal_template = (dir_ / "Normal.dotx").string();
    options.faults = faults_;
    app_ = engine::CreateApplication(options);
    fake_.processes.running[100] = kWordExe;
    fake_.processes.running[4] = std::nullopt;  // a system process nobody may open
  }
  void TearDown() override {
    connect_.reset();
    app_.reset();
    support::ResetGlobals();
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }

  Connect& connect() { return *connect_; }
  void ConnectNormally(int32_t mode = ext_cm_Startup) {
    connect().AddinInstance_OnConnection(app_, mode, nullptr, Custom({}));
  }

  ObjectPtr Bar(const char* name) { return host::item(host::deref(app_->get("CommandBars").as_object()), name); }
  ObjectPtr Controls(const char* bar) { return Bar(bar)->get("Controls").as_object(); }
  std::vector<ObjectPtr> ControlsOf(const char* bar) { return host::items(host::deref(Controls(bar))); }
  std::vector<ObjectPtr> Captioned(const char* bar, const std::string& caption) {
    std::vector<ObjectPtr> out;
    for (auto& c : ControlsOf(bar)) {
      if (c->get("Caption").as_string() == caption) out.push_back(c);
    }
    return out;
  }
  std::shared_ptr<engine::CustomizationContext> Context() {
    return std::dynamic_pointer_cast<engine::CustomizationContext>(
        app_->get("CustomizationContext").as_object());
  }
  std::optional<std::string> DisplayOnConnect() {
    return fake_.settings.Get("Quillon Tarnwell", "Settings", "DisplayOnConnect");
  }
  // Puts a control on a menu as an earlier session or the user left it.
  ObjectPtr AddControl(const char* bar, const host::Args& args, const std::string& caption) {
    ObjectPtr c = Controls(bar)->call("Add", args).as_object();
    c->put("Caption", caption);
    return c;
  }

  fs::path dir_;
  std::shared_ptr<host::FaultPlan> faults_ = std::make_shared<host::FaultPlan>();
  ObjectPtr app_;
  platform::FakePlatform fake_;
  platform::Platform platform_ = fake_.platform();
  std::unique_ptr<Connect> connect_ = std::make_unique<Connect>(platform_);
};

TEST_F(ConnectTest, InactiveConnectionComesAndGoesQuietly) {
  for (int32_t mark : {2, 3}) {
    Connect c(platform_);
    c.AddinInstance_OnConnection(app_, ext_cm_Startup, nullptr, Custom({mark}));
    EXPECT_TRUE(c.blnInactive());
    EXPECT_EQ(c.wdAppConnect(), nullptr);
    EXPECT_EQ(c.mcbVellButton(), nullptr);
    // No Word to take the button from or to save the menus of: no "Error: 91".
    c.AddinInstance_OnDisconnection(0, Custom({mark}));
  }
  EXPECT_TRUE(fake_.registry.writes.empty());
  EXPECT_TRUE(Captioned("Format", "&Tarnwell").empty());
  EXPECT_EQ(Context()->save_count(), 0);
  EXPECT_FALSE(DisplayOnConnect());
  EXPECT_TRUE(fake_.ui.shown.empty());
}

TEST_F(ConnectTest, CustomWithoutElementZeroOrAtMostOneConnects) {
  const Value customs[] = {Custom({}), Custom({Value(5)}, 1), Custom({Value(1)}), Custom({Value()}), Value()};
  ObjectPtr previous;
  for (const auto& custom : customs) {
    Connect c(platform_);
    c.AddinInstance_OnConnection(app_, ext_cm_Startup, nullptr, custom);
    EXPECT_FALSE(c.blnInactive());
    EXPECT_EQ(c.wdAppConnect(), app_);
    ASSERT_NE(c.mcbVellButton(), nullptr);
    EXPECT_NE(c.mcbCOMMenuButton(), nullptr);
    // Each connection removed the previous one's button first.
    EXPECT_NE(c.mcbVellButton(), previous);
    if (previous) {
      EXPECT_TRUE(std::dynamic_pointer_cast<engine::CommandBarControl>(previous)->deleted());
    }
    previous = c.mcbVellButton();
  }
  EXPECT_EQ(Captioned("Format", "&Tarnwell").size(), 1u);
  EXPECT_TRUE(fake_.ui.shown.empty());
}

TEST_F(ConnectTest, AfterAFailedCustomReadErrorsFailTheConnection) {
  const std::string path = (dir_ / "Memo.docx").string();
  engine::WriteBlankDocument(path);
  ObjectPtr not_word = host::Application(app_).GetDocuments().Open(path).obj();
  EXPECT_EQ(engine::testing::ErrorOf(
                [&] { connect().AddinInstance_OnConnection(not_word, ext_cm_Startup, nullptr, Custom({})); }),
            host::kErrTypeMismatch);
  EXPECT_TRUE(fake_.registry.writes.empty());

  // With element 0 readable the same refusal is skipped and the rest runs;
  // the menu routines report that they have no Word to work on.
  Connect skipping(platform_);
  skipping.AddinInstance_OnConnection(not_word, ext_cm_Startup, nullptr, Custom({Value(1)}));
  EXPECT_EQ(skipping.wdAppConnect(), nullptr);
  EXPECT_EQ(fake_.registry.writes.size(), 3u);
  ASSERT_EQ(fake_.ui.shown.size(), 3u);
  for (const auto& box : fake_.ui.shown) EXPECT_EQ(box.text.rfind("Error: 91 ", 0), 0u) << box.text;
  // Holding no Word, it has nothing to take down.
  skipping.AddinInstance_OnDisconnection(0, Custom({}));
  EXPECT_EQ(fake_.ui.shown.size(), 3u);
  EXPECT_FALSE(DisplayOnConnect());
}

TEST_F(ConnectTest, CacheSizeIsWrittenForThreeVersionsWithItsNul) {
  fake_.processes.running[200] = "D:\\Office\\winword.exe";
  ConnectNormally();
  ASSERT_EQ(fake_.registry.writes.size(), 3u);
  const std::vector<uint8_t> data = {'1', '0', '0', '0', '0', 0};
  for (int v : {9, 10, 11}) {
    const std::string key = "HKCU\\Software\\Microsoft\\Office\\" + std::to_string(v) + ".0\\Word\\Options";
    ASSERT_TRUE(fake_.registry.keys.count(key)) << key;
    const auto& stored = fake_.registry.keys[key].at("CacheSize");
    EXPECT_EQ(stored.type, platform::kRegSz);
    EXPECT_EQ(stored.data, data);
  }
  // A second Word process: the values, but no button.
  EXPECT_EQ(connect().mcbVellButton(), nullptr);
  EXPECT_EQ(connect().mcbCOMMenuButton(), nullptr);
  EXPECT_TRUE(Captioned("Format", "&Tarnwell").empty());
  EXPECT_EQ(connect().wdAppConnect(), app_);
}

TEST_F(ConnectTest, ExternalConnectionGetsNoButton) {
  ConnectNormally(ext_cm_External);
  EXPECT_EQ(fake_.registry.writes.size(), 3u);
  EXPECT_EQ(connect().mcbVellButton(), nullptr);
  EXPECT_TRUE(Captioned("Format", "&Tarnwell").empty());
  EXPECT_TRUE(Captioned("Tools", "COM Add-Ins...").empty());
}

TEST_F(ConnectTest, StartupCompleteHoldsTheMutexAndClearsScratchFiles) {
  fake_.ui.windows["OPUSAPP"] = 0x1234;
  fake_.folders.folders[platform::kCsidlLocalAppData] = "/home/ann/Application Data";
  fake_.files.AddFile("/home/ann/Application Data/", platform::FileEntry{"settings.xml"});
  fake_.files.AddFile("/home/ann/Temp/", platform::FileEntry{"~wrs0001.tmp"});
  fake_.files.AddFile("/home/ann/Temp/", platform::FileEntry{"keep.txt"});
  connect().AddinInstance_OnStartupComplete(Custom({}));
  EXPECT_EQ(fake_.processes.mutexes, std::vector<std::string>{"Quillon Tarnwell"});
  EXPECT_EQ(support::gScratchFolder, "/home/ann/Application Data/");
  EXPECT_EQ(fake_.files.deleted, std::vector<std::string>{"/home/ann/Temp/~wrs0001.tmp"});
}

TEST_F(ConnectTest, TheButtonGoesAtTheEndOfFormatAndAMissingComAddInsEntryAtTheEndOfTools) {
  ASSERT_EQ(Bar("Tools")->call("FindControl", {Value::missing(), kComAddInsControlId}).as_object(), nullptr);
  const size_t before = ControlsOf("Format").size(), tools_before = ControlsOf("Tools").size();
  ConnectNormally();
  auto controls = ControlsOf("Format");
  ASSERT_EQ(controls.size(), before + 1);
  const ObjectPtr& button = controls.back();
  EXPECT_EQ(button, connect_->mcbVellButton());
  EXPECT_EQ(button->get("Caption").as_string(), "&Tarnwell");
  EXPECT_EQ(button->get("Tag").as_string(), "VellTag");
  EXPECT_EQ(button->get("Style").as_int(), msoButtonCaption);
  EXPECT_EQ(button->get("Type").as_int(), msoControlButton);
  auto control = std::dynamic_pointer_cast<engine::CommandBarControl>(button);
  ASSERT_NE(control, nullptr);
  EXPECT_FALSE(control->temporary());
  EXPECT_EQ(control->handler_count(), 1u);

  auto tools = ControlsOf("Tools");
  ASSERT_EQ(tools.size(), tools_before + 1);
  EXPECT_EQ(tools.back(), connect_->mcbCOMMenuButton());
  EXPECT_EQ(tools.back()->get("Id").as_int(), 3754);
  EXPECT_EQ(tools.back()->get("Caption").as_string(), "COM Add-Ins...");
  EXPECT_EQ(tools.back()->get("Style").as_int(), msoButtonCaption);
}

// What earlier sessions or the user left on the menus.
TEST_F(ConnectTest, OnlyTheFirstLeftOverButtonIsRemovedAndTheRecaptionStopsAtTheFirstComAddIns) {
  AddControl("Format", {msoControlButton}, "Tarnwell");
  AddControl("Format", {msoControlButton}, "&Tarnwell");
  AddControl("Format", {msoControlButton}, "&Tarnwell");
  AddControl("Tools", {msoControlButton}, "COM Add-Ins...");
  ObjectPtr later = AddControl("Tools", {msoControlButton}, "&COM Add-Ins...");
  ConnectNormally();
  EXPECT_EQ(Captioned("Format", "&Tarnwell").size(), 2u);  // the second old one and the new one
  EXPECT_EQ(Captioned("Format", "Tarnwell").size(), 1u);
  EXPECT_EQ(ControlsOf("Format").back(), connect_->mcbVellButton());
  EXPECT_EQ(later->get("Caption").as_string(), "&COM Add-Ins...");
  // Neither custom control has the built-in id, so the entry is still added.
  EXPECT_EQ(ControlsOf("Tools").back()->get("Id").as_int(), kComAddInsControlId);
}

TEST_F(ConnectTest, AcceleratedComAddInsEntryIsRecaptionedNotDuplicated) {
  // Office captions its built-in entry "&COM Add-Ins...".
  ObjectPtr entry = Controls("Tools")->call("Add", {msoControlButton, kComAddInsControlId}).as_object();
  ASSERT_EQ(entry->get("Caption").as_string(), "&COM Add-Ins...");
  const size_t before = ControlsOf("Tools").size();
  ConnectNormally();
  EXPECT_EQ(ControlsOf("Tools").size(), before);
  EXPECT_EQ(connect_->mcbCOMMenuButton(), entry);
  EXPECT_EQ(entry->get("Caption").as_string(), "COM Add-Ins...");
  EXPECT_EQ(entry->get("Style").as_int(), msoButtonCaption);
}

TEST_F(ConnectTest, AFailingAddShowsTheErrorAndLeavesTheButtonUnset) {
  faults_->fail("CommandBarControls.Add", 1, host::kErrCommandFailed);
  ConnectNormally();
  EXPECT_EQ(connect_->mcbVellButton(), nullptr);
  EXPECT_EQ(Captioned("Format", "&Tarnwell").size(), 0u);
  ASSERT_EQ(fake_.ui.shown.size(), 1u);
  EXPECT_EQ(fake_.ui.shown[0].title, "Quillon Tarnwell");
  EXPECT_EQ(fake_.ui.shown[0].text.rfind("Error: 4605 ", 0), 0u) << fake_.ui.shown[0].text;
  // The connection carried on to the Tools menu.
  EXPECT_NE(connect_->mcbCOMMenuButton(), nullptr);
}

TEST_F(ConnectTest, AMissingMenuIsReportedByEachRoutine) {
  faults_->fail("CommandBars.Item", 1, host::kErrInvalidProcedureCall);
  faults_->fail("CommandBars.Item", 2, host::kErrInvalidProcedureCall);
  ConnectNormally();
  // Removal and creation both looked up "Format" and failed; Tools worked.
  ASSERT_EQ(fake_.ui.shown.size(), 2u);
  EXPECT_EQ(connect_->mcbVellButton(), nullptr);
  EXPECT_NE(connect_->mcbCOMMenuButton(), nullptr);
}

TEST_F(ConnectTest, ButtonClickShowsTheDialogModallyOnce) {
  const std::string letter = (dir_ / "Letter.docx").string();
  engine::WriteBlankDocument(letter);
  host::Application(app_).GetDocuments().Open(letter);
  ConnectNormally();
  auto clicks = std::dynamic_pointer_cast<host::ClickSource>(connect().mcbVellButton());
  ASSERT_NE(clicks, nullptr);
  const dialog::VellAddIn* seen_addin = nullptr;
  bool seen_displayed = false;
  std::vector<std::string> sources;
  fake_.ui.user = [&](platform::ModalDialog& d) {
    auto& form = dynamic_cast<dialog::frmVell_COM&>(d);
    seen_addin = form.VellAddIn();
    seen_displayed = connect().FormDisplayed();
    sources = form.lstSourceDocs.items();
    // A click while the dialog is up cannot open a second one.
    clicks->Click();
  };
  clicks->Click();
  EXPECT_EQ(fake_.ui.modal_showings, 1);
  EXPECT_EQ(seen_addin, &connect());
  EXPECT_TRUE(seen_displayed);
  // The dialog reached Word through the connection: it lists the open document.
  ASSERT_FALSE(sources.empty());
  EXPECT_TRUE(std::any_of(sources.begin(), sources.end(),
                          [](const std::string& e) { return e.rfind("Letter.docx\t", 0) == 0; }))
      << ::testing::PrintToString(sources);
  EXPECT_EQ(connect().form(), nullptr);  // unloaded after the showing
  EXPECT_EQ(support::gWordVersion, "03");

  // The COM Add-Ins entry is not the add-in's to answer.
  auto com = std::dynamic_pointer_cast<host::ClickSource>(connect().mcbCOMMenuButton());
  ASSERT_NE(com, nullptr);
  com->Click();
  EXPECT_EQ(fake_.ui.modal_showings, 1);
  // Nor does the button answer once the connection is gone.
  connect_.reset();
  clicks->Click();
  EXPECT_EQ(fake_.ui.modal_showings, 1);
}

TEST_F(ConnectTest, ShowVellFormIgnoresWordErrorsUnloadsTheFormWhateverHappensAndHides) {
  ConnectNormally();
  // Word fails the version read here and again in the dialog's load.
  faults_->fail("Application.Build", 1, host::kErrServerFault);
  faults_->fail("Application.Build", 2, host::kErrServerFault);
  connect().ShowVellForm();
  EXPECT_EQ(fake_.ui.modal_showings, 1);
  EXPECT_TRUE(connect().FormDisplayed());
  EXPECT_EQ(support::gWordVersion, "");
  EXPECT_EQ(connect().form(), nullptr);

  // A failure that is not Word's: the next click still shows the dialog.
  fake_.ui.user = [](platform::ModalDialog&) { throw std::runtime_error("not Word's"); };
  EXPECT_THROW(connect().ShowVellForm(), std::runtime_error);
  EXPECT_EQ(connect().form(), nullptr);

  // Hide resets FormDisplayed and hides the dialog shown.
  bool visible_after_hide = true;
  fake_.ui.user = [&](platform::ModalDialog& d) {
    connect().Hide();
    visible_after_hide = d.Visible();
  };
  connect().ShowVellForm();
  EXPECT_EQ(fake_.ui.modal_showings, 3);
  EXPECT_FALSE(visible_after_hide);
  EXPECT_FALSE(connect().FormDisplayed());
  connect().Hide();  // nothing shown: only the flag
  EXPECT_FALSE(connect().FormDisplayed());
}

TEST_F(ConnectTest, DisconnectionAfterAShowingStoresOneAndRemovesTheButton) {
  ConnectNormally();
  connect().ShowVellForm();
  ASSERT_TRUE(connect().FormDisplayed());
  connect().AddinInstance_OnDisconnection(0, Custom({}));
  EXPECT_EQ(DisplayOnConnect(), "1");
  EXPECT_FALSE(connect().FormDisplayed());
  EXPECT_EQ(connect().wdAppConnect(), nullptr);
  EXPECT_TRUE(Captioned("Format", "&Tarnwell").empty());
  ASSERT_NE(Context(), nullptr);
  EXPECT_EQ(Context()->save_count(), 1);
  EXPECT_TRUE(Context()->saved());
  EXPECT_TRUE(fake_.ui.shown.empty());
}

// Also: never showing the dialog stores "0".
TEST_F(ConnectTest, CustomizationSaveRefusalIsTolerated) {
  ConnectNormally();
  faults_->fail("CustomizationContext.Save", 1, host::kErrCustomizationSave);
  connect().AddinInstance_OnDisconnection(0, Custom({}));
  EXPECT_TRUE(fake_.ui.shown.empty());
  EXPECT_EQ(DisplayOnConnect(), "0");
  EXPECT_EQ(connect().wdAppConnect(), nullptr);
}

TEST_F(ConnectTest, OtherCustomizationErrorsAreShownAndEndTheDisconnection) {
  ConnectNormally();
  faults_->fail("CustomizationContext.Saved", 1, host::kErrCommandFailed);
  connect().AddinInstance_OnDisconnection(0, Custom({}));
  ASSERT_EQ(fake_.ui.shown.size(), 1u);
  EXPECT_EQ(fake_.ui.shown[0].title, "Quillon Tarnwell");
  EXPECT_EQ(fake_.ui.shown[0].text.rfind("Error: 4605 ", 0), 0u) << fake_.ui.shown[0].text;
  EXPECT_EQ(fake_.ui.shown[0].icon, platform::Icon::None);
  EXPECT_FALSE(DisplayOnConnect());
  EXPECT_EQ(connect().wdAppConnect(), nullptr);
  EXPECT_TRUE(Captioned("Format", "&Tarnwell").empty());
}

TEST_F(ConnectTest, DisconnectionBesideAnotherWordLeavesTheMenusButLetsGoOfWord) {
  ConnectNormally();
  fake_.processes.running[300] = kWordExe;
  // What a failed run leaves behind.
  host::Application word(app_);
  support::gWordApp = word;
  support::gActiveDoc = word.GetDocuments().Add();
  connect().AddinInstance_OnDisconnection(0, Custom({}));
  const auto buttons = Captioned("Format", "&Tarnwell");
  ASSERT_EQ(buttons.size(), 1u);
  EXPECT_EQ(Context()->save_count(), 0);
  EXPECT_FALSE(DisplayOnConnect());
  EXPECT_EQ(connect().wdAppConnect(), nullptr);
  EXPECT_EQ(connect().mcbVellButton(), nullptr);
  EXPECT_EQ(connect().mcbCOMMenuButton(), nullptr);
  EXPECT_FALSE(support::gWordApp);
  EXPECT_FALSE(support::gActiveDoc);
  // The button stays in Word, no longer bound to this connection.
  std::dynamic_pointer_cast<host::ClickSource>(buttons[0])->Click();
  EXPECT_EQ(fake_.ui.modal_showings, 0);
}

}  // namespace
}  // namespace tarnwell::addin
