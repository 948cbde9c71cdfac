#include "engine/commandbars.h"

#include "engine/engine.h"
#include "engine/test_support.h"
#include "host/collection.h"

namespace tarnwell::engine {
namespace {

using host::ObjectPtr;
using host::Value;

const Value kMissing = Value::missing();

using testing::ErrorOf;

class CommandBarsTest : public ::testing::Test {
 protected:
  void Make(ComAddInsEntry entry = ComAddInsEntry::Absent, bool menu_bar = true) {
    CommandBarOptions options;
    options.com_addins = entry;
    options.menu_bar = menu_bar;
    bars_ = CreateCommandBars(options, faults_);
  }
  host::Object& Bar(const std::string& name) { return host::deref(host::item(*bars_, name)); }
  host::Object& Controls(const std::string& bar) { return host::deref(Bar(bar).get("Controls").as_object()); }
  std::vector<std::string> Captions(const std::string& bar) {
    std::vector<std::string> out;
    for (const auto& c : host::items(Controls(bar))) out.push_back(c->get("Caption").as_string());
    return out;
  }

  std::shared_ptr<host::FaultPlan> faults_ = std::make_shared<host::FaultPlan>();
  ObjectPtr bars_;
};

TEST_F(CommandBarsTest, BarsAreFoundByNameOrIndexToolsCarriesTheComAddInsEntryAndAddTakesPositionalArguments) {
  Make();
  EXPECT_EQ(host::count(*bars_), 3);
  EXPECT_EQ(Bar("Format").get("Name").as_string(), "Format");
  EXPECT_EQ(Bar("tools").get("Name").as_string(), "Tools");
  EXPECT_EQ(host::deref(host::item(*bars_, 1)).get("Name").as_string(), "Menu Bar");
  // The same bar object each time, so its Controls are one collection.
  EXPECT_EQ(host::item(*bars_, "Format"), host::item(*bars_, 2));

  EXPECT_EQ(ErrorOf([&] { host::item(*bars_, "Formats"); }), host::kErrInvalidProcedureCall);
  EXPECT_EQ(ErrorOf([&] { host::item(*bars_, 0); }), host::kErrInvalidProcedureCall);
  EXPECT_EQ(ErrorOf([&] { host::item(*bars_, 4); }), host::kErrInvalidProcedureCall);
  EXPECT_EQ(ErrorOf([&] { bars_->call("Item"); }), host::kErrArgumentNotOptional);

  Make(ComAddInsEntry::Absent, false);  // the menu bar left out
  EXPECT_EQ(host::count(*bars_), 2);
  EXPECT_EQ(ErrorOf([&] { host::item(*bars_, "Menu Bar"); }), host::kErrInvalidProcedureCall);

  Make(ComAddInsEntry::Absent);
  for (const auto& caption : Captions("Tools")) EXPECT_EQ(caption.find("COM Add-Ins"), std::string::npos);
  EXPECT_TRUE(Bar("Tools").call("FindControl", {kMissing, kComAddInsControlId}).as_object() == nullptr);
  for (const auto& [entry, caption] : {std::pair{ComAddInsEntry::Accelerated, "&COM Add-Ins..."},
                                       std::pair{ComAddInsEntry::Plain, "COM Add-Ins..."}}) {
    Make(entry);
    auto found = Bar("Tools").call("FindControl", {kMissing, kComAddInsControlId}).as_object();
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->get("Caption").as_string(), caption);
    EXPECT_EQ(found->get("Id").as_int(), kComAddInsControlId);
    EXPECT_EQ(found->get("BuiltIn").as_int(), host::kTrue);
    // Not last: a walk down the menu passes entries on both sides of it.
    EXPECT_NE(Captions("Tools").back(), caption);
    EXPECT_NE(Captions("Tools").front(), caption);
  }

  Make();
  auto& controls = Controls("Format");
  const int32_t before = host::count(controls);
  auto button = controls.call("Add", {kMsoControlButton}).as_object();
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(host::count(controls), before + 1);
  EXPECT_EQ(host::item(controls, before + 1), button);
  EXPECT_EQ(button->get("Caption").as_string(), "");
  EXPECT_EQ(button->get("Id").as_int(), kCustomControlId);
  EXPECT_EQ(button->get("Type").as_int(), kMsoControlButton);
  EXPECT_EQ(button->get("BuiltIn").as_int(), host::kFalse);
  EXPECT_EQ(button->get("Index").as_int(), before + 1);
  EXPECT_FALSE(std::dynamic_pointer_cast<CommandBarControl>(button)->temporary());

  button->put("Caption", "&Tarnwell");
  button->put("Tag", "VellTag");
  button->put("Style", kMsoButtonCaption);
  auto again = host::item(controls, "&Tarnwell");
  EXPECT_EQ(again, button);
  EXPECT_EQ(again->get("Tag").as_string(), "VellTag");
  EXPECT_EQ(again->get("Style").as_int(), kMsoButtonCaption);

  auto& tools = Controls("Tools");
  auto plain = tools.call("Add").as_object();
  EXPECT_EQ(plain->get("Id").as_int(), kCustomControlId);
  EXPECT_EQ(host::item(tools, host::count(tools)), plain);

  // A built-in by id, with position and Temporary given.
  auto first = controls.call("Add", {kMissing, kComAddInsControlId, kMissing, 1, true}).as_object();
  EXPECT_EQ(host::item(controls, 1), first);
  EXPECT_EQ(first->get("Caption").as_string(), "&COM Add-Ins...");
  EXPECT_TRUE(std::dynamic_pointer_cast<CommandBarControl>(first)->temporary());

  const int32_t count = host::count(controls);
  EXPECT_EQ(ErrorOf([&] { controls.call("Add", {kMissing, kMissing, kMissing, count + 2}); }),
            host::kErrInvalidProcedureCall);
  EXPECT_EQ(ErrorOf([&] { controls.call("Add", {kMissing, 99999}); }), host::kErrInvalidProcedureCall);
  EXPECT_EQ(ErrorOf([&] { controls.call("Add", {7}); }), host::kErrInvalidProcedureCall);
  EXPECT_EQ(host::count(controls), count);
  // The fault plan reaches command bar members.
  faults_->fail("CommandBarControls.Add", 1, host::kErrCommandFailed);
  EXPECT_EQ(ErrorOf([&] { Controls("Format").call("Add"); }), host::kErrCommandFailed);
  EXPECT_NE(Controls("Format").call("Add").as_object(), nullptr);
}

TEST_F(CommandBarsTest, FindControlSearchesOnlyItsOwnBarAndDeleteRetiresOnlyThatControlAndItsHandlers) {
  Make(ComAddInsEntry::Absent);
  // A COM Add-Ins control on the Format menu is not found from Tools.
  Controls("Format").call("Add", {kMsoControlButton, kComAddInsControlId});
  EXPECT_EQ(Bar("Tools").call("FindControl", {kMissing, kComAddInsControlId}).as_object(), nullptr);
  EXPECT_NE(Bar("Format").call("FindControl", {kMissing, kComAddInsControlId}).as_object(), nullptr);
  EXPECT_NE(bars_->call("FindControl", {kMissing, kComAddInsControlId}).as_object(), nullptr);

  // Criteria combine: type, id and tag must all match when given.
  auto custom = Controls("Tools").call("Add", {kMsoControlButton}).as_object();
  custom->put("Tag", "T");
  auto& tools = Bar("Tools");
  EXPECT_EQ(tools.call("FindControl", {kMissing, kMissing, "T"}).as_object(), custom);
  EXPECT_EQ(tools.call("FindControl", {kMsoControlPopup, kMissing, "T"}).as_object(), nullptr);
  custom->put("Visible", false);
  EXPECT_EQ(tools.call("FindControl", {kMissing, kMissing, "T", true}).as_object(), nullptr);
  EXPECT_EQ(tools.call("FindControl", {kMissing, kMissing, "T", false}).as_object(), custom);

  Make();
  auto& controls = Controls("Format");
  auto a = controls.call("Add").as_object();
  auto b = controls.call("Add").as_object();
  a->put("Caption", "&Tarnwell");
  b->put("Caption", "&Tarnwell");
  const int32_t count = host::count(controls);

  a->call("Delete");
  EXPECT_EQ(host::count(controls), count - 1);
  EXPECT_EQ(host::item(controls, "&Tarnwell"), b);
  EXPECT_EQ(b->get("Index").as_int(), count - 1);
  EXPECT_EQ(ErrorOf([&] { a->get("Caption"); }), host::kErrUnspecified);
  EXPECT_EQ(ErrorOf([&] { a->call("Delete"); }), host::kErrUnspecified);
  Make();
  EXPECT_EQ(b->get("Index").as_int(), 0) << "its bar is gone";

  auto button = Controls("Format").call("Add").as_object();
  auto source = std::dynamic_pointer_cast<host::ClickSource>(button);
  ASSERT_NE(source, nullptr);
  std::vector<std::string> calls;
  const auto first = source->OnClick([&] { calls.push_back("first"); });
  source->OnClick([&] { calls.push_back("second"); });

  source->Click();
  button->call("Execute");
  EXPECT_EQ(calls, (std::vector<std::string>{"first", "second", "first", "second"}));

  calls.clear();
  source->RemoveClick(first);
  source->RemoveClick(first);  // twice is harmless
  host::item(Controls("Format"), host::count(Controls("Format")))->call("Execute");
  EXPECT_EQ(calls, std::vector<std::string>{"second"});

  // A deleted button raises no more clicks and lets go of its handlers.
  calls.clear();
  button->call("Delete");
  source->Click();
  EXPECT_TRUE(calls.empty());
  EXPECT_EQ(std::dynamic_pointer_cast<CommandBarControl>(button)->handler_count(), 0u);

  // A handler may unbind another during a click.
  source = std::dynamic_pointer_cast<host::ClickSource>(Controls("Format").call("Add").as_object());
  int second_calls = 0;
  host::ClickSource::Token second = 0;
  source->OnClick([&] { source->RemoveClick(second); });
  second = source->OnClick([&] { ++second_calls; });
  source->Click();
  EXPECT_EQ(second_calls, 0);
}

// The controls of an application's bar, asked for afresh each time.
host::Object& ControlsOf(const ObjectPtr& app, const std::string& bar) {
  auto& b = host::deref(host::item(host::deref(app->get("CommandBars").as_object()), bar));
  return host::deref(b.get("Controls").as_object());
}

int32_t CaptionCount(const ObjectPtr& app, const std::string& bar, const std::string& caption) {
  int32_t n = 0;
  for (const auto& c : host::items(ControlsOf(app, bar))) n += c->get("Caption").as_string() == caption;
  return n;
}

TEST(ApplicationCommandBarsTest, MenusAndContextBelongToTheApplicationForTheSession) {
  Options options;
  options.command_bars.com_addins = ComAddInsEntry::Accelerated;
  auto app = CreateApplication(options);

  // One connection adds a button and binds to it...
  auto button = ControlsOf(app, "Format").call("Add", {kMsoControlButton}).as_object();
  button->put("Caption", "&Tarnwell");
  int clicks = 0;
  std::dynamic_pointer_cast<host::ClickSource>(button)->OnClick([&] { ++clicks; });

  // ...and the next one, asking the same Application again, finds it.
  EXPECT_EQ(CaptionCount(app, "Format", "&Tarnwell"), 1);
  host::item(ControlsOf(app, "Format"), "&Tarnwell")->call("Execute");
  EXPECT_EQ(clicks, 1);

  // The options reach the menus.
  EXPECT_EQ(CaptionCount(app, "Tools", "&COM Add-Ins..."), 1);

  // One customization context, under the application's fault plan.
  auto context = app->get("CustomizationContext").as_object();
  auto& typed = dynamic_cast<CustomizationContext&>(*context);
  EXPECT_EQ(app->get("CustomizationContext").as_object(), context);
  context->put("Saved", false);
  EXPECT_EQ(context->get("Saved").as_int(), host::kFalse);
  context->call("Save");
  EXPECT_EQ(typed.save_count(), 1);
  EXPECT_EQ(context->get("Saved").as_int(), host::kTrue);
  options.faults->fail("CustomizationContext.Save", 1, host::kErrCustomizationSave);
  context->put("Saved", false);
  EXPECT_EQ(ErrorOf([&] { context->call("Save"); }), host::kErrCustomizationSave);
  EXPECT_EQ(typed.save_count(), 1);
  EXPECT_FALSE(typed.saved());
  context->call("Save");
  EXPECT_EQ(typed.save_count(), 2);

  // Another Word session starts with its own, untouched menus.
  EXPECT_EQ(CaptionCount(CreateApplication(Options{}), "Format", "&Tarnwell"), 0);
}

}  // namespace
}  // namespace tarnwell::engine
