#include "transfer/single_style.h"

#include "engine/engine.h"
#include "engine/test_support.h"
#include "platform/fakes.h"
#include "support/globals.h"

namespace tarnwell::transfer {
namespace {

using host::StyleType;

using engine::testing::ErrorOf;

class SingleStyleTest : public engine::testing::EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    faults_ = options_.faults;
    word_ = Word();
    for (const char* name : {"source.docx", "target.docx", "scratch.docx"}) {
      engine::WriteBlankDocument((dir_ / name).string());
    }
    source_ = word_.GetDocuments().Open((dir_ / "source.docx").string());
    target_ = word_.GetDocuments().Open((dir_ / "target.docx").string());
    support::ResetGlobals();
  }
  void TearDown() override {
    support::ResetGlobals();
    EngineTest::TearDown();
  }

  TransferContext Context() {
    return TransferContext{
        platform_,
        word_,
        [this](const std::string& name, int32_t number, const std::string&) {
          reports_.push_back(name + " " + std::to_string(number));
        },
        [this](const host::Document& doc) { flushes_.push_back(doc.Name()); },
        [this](const host::Document& doc) { flushes_.push_back("off:" + doc.Name()); },
        [this](int32_t seconds) { waits_.push_back(seconds); },
        &routines_,
    };
  }
  // Every row of the real choice, each running the test's routine.
  void Route(std::function<support::ErrInfo(const host::Style&)> routine) {
    routines_.clear();
    for (const auto& row : DefaultTransferRoutines()) {
      routines_.push_back({row.type, row.version,
                           [this, routine](const TransferContext&, const host::Style& from, const host::Style& to,
                                           const host::Document&, const host::Document& doc) {
                             calls_.push_back(from.NameLocal() + ">" + to.NameLocal() + "@" + doc.Name());
                             return routine(from);
                           }});
    }
  }

  std::shared_ptr<host::FaultPlan> faults_;
  host::Application word_;
  host::Document source_, target_;
  platform::FakePlatform fake_;
  platform::Platform platform_ = fake_.platform();
  std::vector<TransferSelection> routines_;
  std::vector<std::string> reports_, flushes_, calls_;
  std::vector<int32_t> waits_;
};

TEST_F(SingleStyleTest, FastCopyAndEnsureStyleAddWhatIsMissingAndTransferRaisesOnly4605AndFlushesBoth) {
  source_.GetStyles().Add("R&D Notes", StyleType::Character);
  source_.Save();
  std::string scratch = (dir_ / "scratch.docx").string();
  fncFastCopyStyle(word_, source_.FullName(), scratch, target_.FullName(), "R&D Notes");
  EXPECT_EQ(target_.GetStyles().Item("R&D Notes").Type(), StyleType::Character);
  auto scratch_doc = word_.GetDocuments().Open(scratch);
  EXPECT_EQ(scratch_doc.GetStyles().Item("R&D Notes").NameLocal(), "R&D Notes") << "it passed through the scratch";
  EXPECT_EQ(ErrorOf([&] { fncFastCopyStyle(word_, source_.FullName(), scratch, target_.FullName(), "Missing"); }),
            host::kErrNoSuchCollectionMember);

  source_.GetStyles().Add("Quote Char", StyleType::Character);
  target_.GetStyles().Add("Existing");
  source_.GetStyles().Add("Existing");
  int32_t before = target_.GetStyles().Count();
  fncEnsureStyle(source_, target_, "Existing");
  EXPECT_EQ(target_.GetStyles().Count(), before);
  fncEnsureStyle(source_, target_, "Quote Char");
  EXPECT_EQ(target_.GetStyles().Count(), before + 1);
  EXPECT_EQ(target_.GetStyles().Item("Quote Char").Type(), StyleType::Character);

  // 5173 for a latent built-in is swallowed, other errors are not.
  EXPECT_EQ(ErrorOf([&] { fncEnsureStyle(source_, target_, "Heading 3"); }), 0);
  EXPECT_EQ(target_.GetStyles().Count(), before + 1) << "Add was refused, nothing added";
  EXPECT_EQ(target_.GetStyles().Item("Heading 3").NameLocal(), "Heading 3");

  source_.GetStyles().Add("Fresh");
  faults_->fail("Styles.Add", 1, host::kErrWordBuffersFull);
  EXPECT_EQ(ErrorOf([&] { fncEnsureStyle(source_, target_, "Fresh"); }), host::kErrWordBuffersFull);

  support::gWordVersion = "03";
  source_.GetStyles().Add("Para");
  target_.GetStyles().Add("Para");
  Route([](const host::Style&) { return support::ErrInfo{host::kErrCommandFailed, "buffers"}; });
  EXPECT_EQ(ErrorOf([&] { fncTransferStyle(Context(), source_, target_, "Para"); }), host::kErrCommandFailed);
  EXPECT_EQ(calls_.size(), 1u);
  EXPECT_TRUE(reports_.empty());
  EXPECT_TRUE(flushes_.empty());
  calls_.clear();

  support::gWordVersion = "00";
  source_.GetStyles().Add("A&B", StyleType::Character);
  target_.GetStyles().Add("A&B", StyleType::Character);
  Route([](const host::Style&) { return support::ErrInfo{5152, "bad"}; });
  fncTransferStyle(Context(), source_, target_, "A&B");
  EXPECT_EQ(calls_, (std::vector<std::string>{"A&B>A&B@target.docx"}));
  EXPECT_EQ(reports_, (std::vector<std::string>{"A&B 5152"}));
  EXPECT_EQ(flushes_, (std::vector<std::string>{"source.docx", "target.docx"}));

  Route([](const host::Style&) { return support::ErrInfo{}; });
  reports_.clear();
  flushes_.clear();
  fncTransferStyle(Context(), source_, target_, "A&B");
  EXPECT_TRUE(reports_.empty());
  EXPECT_EQ(flushes_.size(), 2u);
}

TEST_F(SingleStyleTest, TheChoiceCoversEveryTypeAndProfileAndUnder07OnlyTablesTransfer) {
  support::gWordVersion = "07";
  source_.GetStyles().Add("Para");
  target_.GetStyles().Add("Para");
  source_.GetStyles().Add("Grid", StyleType::Table);
  target_.GetStyles().Add("Grid", StyleType::Table);
  Route([](const host::Style&) { return support::ErrInfo{}; });
  fncTransferStyle(Context(), source_, target_, "Para");
  EXPECT_TRUE(calls_.empty());
  EXPECT_TRUE(flushes_.empty()) << "no routine ran, so no flush";
  fncTransferStyle(Context(), source_, target_, "Grid");
  EXPECT_EQ(calls_.size(), 1u);
  EXPECT_EQ(flushes_.size(), 2u);

  const auto& table = DefaultTransferRoutines();
  for (const char* v : {"97", "00", "XP", "03", "07"}) {
    bool profiled = std::string(v) != "97" && std::string(v) != "07";
    EXPECT_EQ(bool(SelectTransferRoutine(table, StyleType::Paragraph, v)), profiled) << v;
    EXPECT_EQ(bool(SelectTransferRoutine(table, StyleType::Character, v)), profiled) << v;
    EXPECT_TRUE(SelectTransferRoutine(table, StyleType::Table, v)) << v;
    EXPECT_TRUE(SelectTransferRoutine(table, StyleType::List, v)) << v;
  }
}

}  // namespace
}  // namespace tarnwell::transfer
