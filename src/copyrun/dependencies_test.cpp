#include "copyrun/dependencies.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "engine/engine.h"
#include "engine/test_support.h"
#include "platform/fakes.h"

namespace tarnwell::copyrun {
namespace {

namespace fs = std::filesystem;
using host::StyleType;

TEST(Tidy, SortsByCodeUnitAndDropsEmpties) {
  NameList list{"alpha", "", "Zeta", "Beta", ""};
  TidyList(list);
  EXPECT_EQ(list, (NameList{"Beta", "Zeta", "alpha"}));
  NameList empty{""};
  TidyList(empty);
  EXPECT_TRUE(empty.empty());
}

class ClosureTest : public engine::testing::EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    engine::WriteBlankDocument(Path("s.docx"));
    doc_ = Word().GetDocuments().Open(Path("s.docx"));
  }
  void Add(const std::string& name, const std::string& base, const std::string& next = "") {
    auto s = doc_.GetStyles().Add(name, StyleType::Paragraph);
    s.SetBaseStyle(base);
    s.SetNextParagraphStyle(next.empty() ? name : next);
  }
  // Seeds as the run takes them from the chosen styles, then the closure.
  void Collect(NameList selected) {
    based_.clear();
    follow_.clear();
    for (auto& name : selected) {
      auto s = doc_.GetStyles().Item(name);
      based_.push_back(s.BaseStyle());
      follow_.push_back(s.NextParagraphStyle());
    }
    TidyList(selected);
    TidyList(based_);
    TidyList(follow_);
    CompleteDependencies(doc_, selected, based_, follow_);
  }
  host::Document doc_;
  NameList based_, follow_;
};

TEST_F(ClosureTest, ChainsOfBasesAndFollowOnsAreFollowedToTheEnd) {
  Add("C", "Normal");
  Add("B", "C");
  Add("A", "B");
  Collect({"A"});
  EXPECT_EQ(based_, (NameList{"B", "C", "Normal"}));
  EXPECT_TRUE(follow_.empty());  // each follows itself, the chosen one is never offered
  // Follow-ons of bases and bases of follow-ons.
  Add("BaseNext", "Normal");
  Add("Base", "Normal", "BaseNext");
  Add("AfterBase", "Normal");
  Add("After", "AfterBase");
  Add("Chosen", "Base", "After");
  Collect({"Chosen"});
  EXPECT_EQ(based_, (NameList{"AfterBase", "Base", "Normal"}));
  EXPECT_EQ(follow_, (NameList{"After", "BaseNext"}));
}

TEST_F(ClosureTest, ANameInBothListsIsOfferedOnceAsBasedOnAndChosenOnesNever) {
  Add("Shared", "Normal");
  Add("One", "Shared");
  Add("Two", "Normal", "Shared");
  Collect({"One", "Two"});
  EXPECT_EQ(based_, (NameList{"Normal", "Shared"}));
  EXPECT_TRUE(follow_.empty());
  Add("Parent", "Normal");
  Add("Child", "Parent", "Parent");
  Collect({"Child", "Parent", "Normal"});
  EXPECT_TRUE(based_.empty());
  EXPECT_TRUE(follow_.empty());
}

TEST_F(ClosureTest, ExcludedNamesAreNeverCollected) {
  NameList based{"Table Normal"}, follow{"No List", ""};
  CompleteDependencies(doc_, {}, based, follow);
  EXPECT_EQ(based, (NameList{"Table Normal"}));  // a seed stays; the run never seeds it
  based = {};
  Add("T", "Normal");
  follow = {"T"};
  CompleteDependencies(doc_, {"T"}, based, follow);
  EXPECT_EQ(based, (NameList{"Normal"}));
  based = {"Nowhere"};
  follow.clear();
  EXPECT_THROW(CompleteDependencies(doc_, {}, based, follow), host::HostError);
}

// Cancel, the close box, or no click at all leave the lists and say Cancel;
// OK shows everything selected and keeps what is left selected.
TEST(DependenciesDialog, CancelLeavesTheListsAndOKKeepsWhatIsLeftSelected) {
  platform::FakeUi ui;
  NameList based{"B1", "B2"}, follow{"F1"};
  ui.user = [](platform::ModalDialog& d) { dynamic_cast<frmVellDependencies_COM&>(d).cmdCancel_Click(); };
  EXPECT_FALSE(ConfirmDependencies(ui, based, follow));
  ui.user = [](platform::ModalDialog& d) {
    auto& dlg = dynamic_cast<frmVellDependencies_COM&>(d);
    bool cancel = true;
    dlg.QueryUnload(0, cancel);
    EXPECT_FALSE(cancel);
    EXPECT_EQ(dlg.Tag, "Cancel");
    EXPECT_FALSE(dlg.Visible());
  };
  EXPECT_FALSE(ConfirmDependencies(ui, based, follow));
  ui.user = nullptr;
  EXPECT_FALSE(ConfirmDependencies(ui, based, follow));
  EXPECT_EQ(based, (NameList{"B1", "B2"}));
  EXPECT_EQ(follow, (NameList{"F1"}));

  ui.user = [](platform::ModalDialog& d) {
    auto& dlg = dynamic_cast<frmVellDependencies_COM&>(d);
    EXPECT_EQ(dlg.Caption, "Additional styles to be copied");
    EXPECT_EQ(dlg.lblInstrux, kDependenciesInstruction);
    EXPECT_EQ(dlg.lblBased, "The styles you're copying are &based on:");
    EXPECT_EQ(dlg.lblFollow, "These styles &follow the styles you're copying:");
    EXPECT_EQ(dlg.cmdOK, "&OK");
    EXPECT_EQ(dlg.cmdCancel, "&Cancel");
    EXPECT_EQ(dlg.lstBased.selected, (std::vector<bool>{true, true}));
    EXPECT_EQ(dlg.lstFollow.selected, (std::vector<bool>{true}));
    dlg.lstBased.selected[0] = false;
    dlg.lstFollow.selected[0] = false;
    dlg.cmdOK_Click();
  };
  EXPECT_TRUE(ConfirmDependencies(ui, based, follow));
  EXPECT_EQ(based, (NameList{"B2"}));
  EXPECT_TRUE(follow.empty());
  EXPECT_NE(std::string(kDependenciesInstruction).find("paragraph in one of the styles you're copying.\r\n\r\nSelect"),
            std::string::npos);
}

}  // namespace
}  // namespace tarnwell::copyrun
