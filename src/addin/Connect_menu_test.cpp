#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "addin/Connect.h"
#include "engine/commandbars.h"
#include "engine/engine.h"
#include "host/collection.h"
#include "host/host_error.h"
#include "platform/fakes.h"
#include "support/globals.h"

namespace tarnwell::addin {
namespace {

namespace fs = std::filesystem;
using host::ObjectPtr;
using host::Value;

// The menus of the embedded Word as the add-in meets them at connection.
class MenuTest : public ::testing::Test {
 protected:
  using Args = host::Args;

  void SetUp() override {
    support::ResetGlobals();
    char pattern[] = "/tmp/tw_menu_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    engine::Options options;
    options.normal_template = (dir_ / "Normal.dotx").string();
    options.faults = faults_;
    app_ = engine::CreateApplication(options);
    fake_.processes.running[100] = "C:\\Office\\WINWORD.EXE";
  }
  void TearDown() override {
    connect_.reset();
    app_.reset();
    support::ResetGlobals();
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }

  void ConnectNow() {
    connect_->AddinInstance_OnConnection(app_, ext_cm_Startup, nullptr, Value(host::Array{}));
  }
  ObjectPtr Bar(const char* name) { return host::item(host::deref(app_->get("CommandBars").as_object()), name); }
  ObjectPtr Controls(const char* bar) { return Bar(bar)->get("Controls").as_object(); }
  std::vector<ObjectPtr> ControlsOf(const char* bar) { return host::items(host::deref(Controls(bar))); }
  std::vector<std::string> Captions(const char* bar) {
    std::vector<std::string> out;
    for (auto& c : ControlsOf(bar)) out.push_back(c->get("Caption").as_string());
    return out;
  }
  size_t CountCaption(const char* bar, const std::string& caption) {
    auto all = Captions(bar);
    return static_cast<size_t>(std::count(all.begin(), all.end(), caption));
  }
  // Puts a control on a menu as an earlier session or the user left it.
  ObjectPtr AddControl(const char* bar, const Args& args, const std::string& caption) {
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

TEST_F(MenuTest, TheButtonGoesAtTheEndOfFormatAsACaptionOnlyCustomButton) {
  const size_t before = ControlsOf("Format").size();
  ConnectNow();
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
}

TEST_F(MenuTest, ConnectingTwiceLeavesOneButton) {
  ConnectNow();
  ObjectPtr first = connect_->mcbVellButton();
  Connect second(platform_);
  second.AddinInstance_OnConnection(app_, ext_cm_Startup, nullptr, Value(host::Array{}));
  EXPECT_EQ(CountCaption("Format", "&Tarnwell"), 1u);
  EXPECT_NE(second.mcbVellButton(), first);
  EXPECT_TRUE(std::dynamic_pointer_cast<engine::CommandBarControl>(first)->deleted());
}

TEST_F(MenuTest, OnlyTheFirstLeftOverButtonIsRemoved) {
  ObjectPtr other = AddControl("Format", {msoControlButton}, "Tarnwell");
  AddControl("Format", {msoControlButton}, "&Tarnwell");
  AddControl("Format", {msoControlButton}, "&Tarnwell");
  ConnectNow();
  EXPECT_EQ(CountCaption("Format", "&Tarnwell"), 2u);  // the second old one and the new one
  EXPECT_EQ(CountCaption("Format", "Tarnwell"), 1u);
  EXPECT_EQ(ControlsOf("Format").back(), connect_->mcbVellButton());
}

TEST_F(MenuTest, MissingComAddInsEntryIsAddedAtTheEndOfTools) {
  ASSERT_EQ(Bar("Tools")->call("FindControl", {Value::missing(), kComAddInsControlId}).as_object(), nullptr);
  const size_t before = ControlsOf("Tools").size();
  ConnectNow();
  auto controls = ControlsOf("Tools");
  ASSERT_EQ(controls.size(), before + 1);
  EXPECT_EQ(controls.back(), connect_->mcbCOMMenuButton());
  EXPECT_EQ(controls.back()->get("Id").as_int(), 3754);
  EXPECT_EQ(controls.back()->get("Caption").as_string(), "COM Add-Ins...");
  EXPECT_EQ(controls.back()->get("Style").as_int(), msoButtonCaption);
}

TEST_F(MenuTest, AcceleratedComAddInsEntryIsRecaptionedNotDuplicated) {
  // Office captions its built-in entry "&COM Add-Ins...".
  ObjectPtr entry = Controls("Tools")->call("Add", {msoControlButton, kComAddInsControlId}).as_object();
  ASSERT_EQ(entry->get("Caption").as_string(), "&COM Add-Ins...");
  const size_t before = ControlsOf("Tools").size();
  ConnectNow();
  EXPECT_EQ(ControlsOf("Tools").size(), before);
  EXPECT_EQ(connect_->mcbCOMMenuButton(), entry);
  EXPECT_EQ(entry->get("Caption").as_string(), "COM Add-Ins...");
  EXPECT_EQ(entry->get("Style").as_int(), msoButtonCaption);
}

TEST_F(MenuTest, RecaptionWalkStopsAtTheFirstComAddInsCaption) {
  AddControl("Tools", {msoControlButton}, "COM Add-Ins...");
  ObjectPtr later = AddControl("Tools", {msoControlButton}, "&COM Add-Ins...");
  ConnectNow();
  EXPECT_EQ(later->get("Caption").as_string(), "&COM Add-Ins...");
  // Neither custom control has the built-in id, so the entry is still added.
  EXPECT_EQ(ControlsOf("Tools").back()->get("Id").as_int(), kComAddInsControlId);
}

TEST_F(MenuTest, AFailingAddShowsTheErrorAndLeavesTheButtonUnset) {
  faults_->fail("CommandBarControls.Add", 1, host::kErrCommandFailed);
  ConnectNow();
  EXPECT_EQ(connect_->mcbVellButton(), nullptr);
  EXPECT_EQ(CountCaption("Format", "&Tarnwell"), 0u);
  ASSERT_EQ(fake_.ui.shown.size(), 1u);
  EXPECT_EQ(fake_.ui.shown[0].title, "Quillon Tarnwell");
  EXPECT_EQ(fake_.ui.shown[0].text.rfind("Error: 4605 ", 0), 0u) << fake_.ui.shown[0].text;
  // The connection carried on to the Tools menu.
  EXPECT_NE(connect_->mcbCOMMenuButton(), nullptr);
}

TEST_F(MenuTest, AMissingMenuIsReportedByEachRoutine) {
  faults_->fail("CommandBars.Item", 1, host::kErrInvalidProcedureCall);
  faults_->fail("CommandBars.Item", 2, host::kErrInvalidProcedureCall);
  ConnectNow();
  // Removal and creation both looked up "Format" and failed; Tools worked.
  ASSERT_EQ(fake_.ui.shown.size(), 2u);
  EXPECT_EQ(connect_->mcbVellButton(), nullptr);
  EXPECT_NE(connect_->mcbCOMMenuButton(), nullptr);
}

}  // namespace
}  // namespace tarnwell::addin
