#include <stdlib.h>

#include <filesystem>

#include <gtest/gtest.h>

#include "engine/engine.h"
#include "host/host_error.h"
#include "platform/fakes.h"
#include "support/globals.h"
#include "support/word_environment.h"

namespace tarnwell::support {
namespace {

class WordEnvironmentTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetGlobals();
    char pattern[] = "/tmp/tw_wordenv_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override {
    ResetGlobals();
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  // The embedded Word reporting the given build.
  host::ObjectPtr Word(const std::string& build) {
    engine::Options options;
    options.build = build;
    options.normal_template = (dir_ / "Normal.dotx").string();
    return engine::CreateApplication(options);
  }
  host::Document BlankDocument(const host::ObjectPtr& word) {
    const std::string path = (dir_ / "Blank.docx").string();
    engine::WriteBlankDocument(path);
    return host::Application(word).GetDocuments().Open(path);
  }

  std::filesystem::path dir_;
  platform::FakePlatform fake;
};

TEST_F(WordEnvironmentTest, WordVersionLabelsFollowTheMajorNumber) {
  const std::pair<const char*, const char*> table[] = {
      {"8", "97"}, {"9", "00"}, {"10", "XP"}, {"11", "03"}, {"12", "07"}};
  for (const auto& [major, label] : table) {
    fncSetWordVersion(major);
    EXPECT_EQ(gWordVersion, label) << major;
  }
}

TEST_F(WordEnvironmentTest, UnknownMajorNumberLeavesTheLabel) {
  fncSetWordVersion("13");
  EXPECT_EQ(gWordVersion, "");
  fncSetWordVersion("11");
  fncSetWordVersion("13");
  fncSetWordVersion("1");
  fncSetWordVersion("011");
  fncSetWordVersion("");
  EXPECT_EQ(gWordVersion, "03");
}

TEST_F(WordEnvironmentTest, ReadWordEnvironmentTakesTheTextBeforeTheFirstDot) {
  fncReadWordEnvironment(host::Application(Word("11.0.8169")));
  EXPECT_EQ(gWordVersion, "03");
  fncReadWordEnvironment(host::Application(Word("12.0.4518")));
  EXPECT_EQ(gWordVersion, "07");
  fncReadWordEnvironment(host::Application(Word("10.1.11.0")));
  EXPECT_EQ(gWordVersion, "XP");
  fncReadWordEnvironment(host::Application(Word("13.0.1")));
  EXPECT_EQ(gWordVersion, "XP");
}

TEST_F(WordEnvironmentTest, ReadWordEnvironmentRaisesForNothingAndForAnUndottedBuild) {
  try {
    fncReadWordEnvironment(host::Application());
    FAIL() << "no error";
  } catch (const host::HostError& e) {
    EXPECT_EQ(e.number(), host::kErrObjectNotSet);
  }
  try {
    fncReadWordEnvironment(host::Application(Word("11")));
    FAIL() << "no error";
  } catch (const host::HostError& e) {
    EXPECT_EQ(e.number(), host::kErrInvalidProcedureCall);
  }
  EXPECT_EQ(gWordVersion, "");
}

TEST_F(WordEnvironmentTest, WordAppGetterPassesAnApplicationAndNothingSilently) {
  EXPECT_FALSE(GetWordApp(fake.ui));
  auto app = Word("11.0.1");
  SetWordApp(app);
  EXPECT_EQ(GetWordApp(fake.ui).obj(), app);
  EXPECT_TRUE(fake.ui.shown.empty());
}

TEST_F(WordEnvironmentTest, WordAppGetterRefusesAnotherObjectWithAMessage) {
  SetWordApp(BlankDocument(Word("11.0.1")).obj());
  EXPECT_FALSE(GetWordApp(fake.ui));
  ASSERT_EQ(fake.ui.shown.size(), 1u);
  const auto& box = fake.ui.shown[0];
  EXPECT_EQ(box.text.rfind(std::to_string(host::kErrTypeMismatch) + " ", 0), 0u) << box.text;
  EXPECT_EQ(box.buttons, platform::Buttons::OK);
}

}  // namespace
}  // namespace tarnwell::support
