#include "support/word_environment.h"

#include "engine/engine.h"
#include "engine/test_support.h"
#include "platform/fakes.h"
#include "support/globals.h"

namespace tarnwell::support {
namespace {

using engine::testing::ErrorOf;

class WordEnvironmentTest : public engine::testing::EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    ResetGlobals();
  }
  void TearDown() override {
    ResetGlobals();
    EngineTest::TearDown();
  }
  host::ObjectPtr WordOf(const std::string& build) {
    engine::Options options = options_;
    options.build = build;
    return engine::CreateApplication(options);
  }
  platform::FakePlatform fake;
};

// Reading raises for nothing and for an undotted build; then each step in
// turn, where a major number without a label leaves the last one.
TEST_F(WordEnvironmentTest, VersionLabelsFollowTheMajorNumberBeforeTheFirstDot) {
  EXPECT_EQ(ErrorOf([] { fncReadWordEnvironment(host::Application()); }), host::kErrObjectNotSet);
  EXPECT_EQ(ErrorOf([&] { fncReadWordEnvironment(host::Application(WordOf("11"))); }), host::kErrInvalidProcedureCall);
  EXPECT_EQ(gWordVersion, "");

  const std::pair<const char*, const char*> majors[] = {{"13", ""},  {"8", "97"},  {"9", "00"}, {"10", "XP"},
                                                        {"12", "07"}, {"11", "03"}, {"13", "03"}, {"1", "03"},
                                                        {"011", "03"}, {"", "03"}};
  for (const auto& [major, label] : majors) {
    fncSetWordVersion(major);
    EXPECT_EQ(gWordVersion, label) << major;
  }
  const std::pair<const char*, const char*> builds[] = {
      {"11.0.8169", "03"}, {"12.0.4518", "07"}, {"10.1.11.0", "XP"}, {"13.0.1", "XP"}};
  for (const auto& [build, label] : builds) {
    fncReadWordEnvironment(host::Application(WordOf(build)));
    EXPECT_EQ(gWordVersion, label) << build;
  }
}

// An application and nothing pass silently; another object is refused with a message.
TEST_F(WordEnvironmentTest, WordAppGetterPassesAnApplicationOrNothingAndRefusesAnotherObject) {
  EXPECT_FALSE(GetWordApp(fake.ui));
  auto app = WordOf("11.0.1");
  SetWordApp(app);
  EXPECT_EQ(GetWordApp(fake.ui).obj(), app);
  EXPECT_TRUE(fake.ui.shown.empty());

  SetWordApp(host::Application(app).GetDocuments().Open(WriteBlank("Blank.docx")).obj());
  EXPECT_FALSE(GetWordApp(fake.ui));
  ASSERT_EQ(fake.ui.shown.size(), 1u);
  const auto& box = fake.ui.shown[0];
  EXPECT_EQ(box.text.rfind(std::to_string(host::kErrTypeMismatch) + " ", 0), 0u) << box.text;
  EXPECT_EQ(box.buttons, platform::Buttons::OK);
}

}  // namespace
}  // namespace tarnwell::support
