#include "dialog/frmVell_COM.h"

#include <stdlib.h>

#include <algorithm>
#include <filesystem>

#include <gtest/gtest.h>

#include "engine/engine.h"
#include "engine/test_support.h"
#include "host/host_error.h"
#include "host/word.h"
#include "numbering/normal_docs.h"
#include "platform/fakes.h"
#include "support/globals.h"

namespace tarnwell::dialog {
namespace {

namespace fs = std::filesystem;
using host::StyleType;
using platform::kLbSetHorizontalExtent;
using platform::kLbSetTabStops;
using Strings = std::vector<std::string>;

class TestAddIn : public dialog::VellAddIn {
 public:
  host::ObjectPtr app;
  host::ObjectPtr wdAppConnect() const override { return app; }
};

class VellDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    support::ResetGlobals();
    std::string pattern = (fs::temp_directory_path() / "tw_dialog_XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    const fs::path docs = dir_ / "docs";
    const fs::path appdata = dir_ / "appdata";
    fs::create_directories(docs);
    fs::create_directories(appdata);
    fake_.folders.folders[platform::kCsidlPersonal] = docs.string();
    fake_.folders.folders[platform::kCsidlLocalAppData] = appdata.string();
    docs_folder_ = docs.string() + "/";
    fake_.files.AddFile(docs_folder_, {"letter.txt"});
    fake_.files.AddFile(appdata.string() + "/", {"cache.bin"});
  }

  void TearDown() override {
    support::ResetGlobals();
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }

  // Word of the given build with a Normal template of its own.
  void StartWord(const std::string& build = "11.0.8169") {
    engine::Options options;
    options.build = build;
    options.normal_template = (dir_ / "Normal.dotm").string();
    addin_.app = engine::CreateApplication(options);
    app_ = host::Application(addin_.app);
  }

  host::Document OpenNew(const std::string& relative) {
    const fs::path path = dir_ / relative;
    fs::create_directories(path.parent_path());
    engine::WriteBlankDocument(path.string());
    return app_.GetDocuments().Open(path.string());
  }

  void LoadDialog() {
    form_.SetVellAddIn(&addin_);
    form_.Load();
  }

  static int32_t IndexOf(const ListBox& list, const std::string& text) {
    for (int32_t i = 0; i < list.ListCount(); ++i) {
      if (list.List(i) == text || DocEntryName(list.List(i)) == text) return i;
    }
    ADD_FAILURE() << text << " not in " << list.name();
    return -1;
  }

  static bool Has(const ListBox& list, const std::string& text) {
    return std::find(list.items().begin(), list.items().end(), text) != list.items().end();
  }

  void ClickSource(const std::string& name) {
    form_.lstSourceDocs.SetListIndex(IndexOf(form_.lstSourceDocs, name));
    form_.lstSourceDocs_Click();
  }

  void ChooseType(int32_t index) {
    form_.cmbStyleTypes.SetListIndex(index);
    form_.cmbStyleTypes_Click();
  }

  Strings DocNames() {
    Strings names;
    for (const auto& doc : app_.GetDocuments().all()) names.push_back(doc.Name());
    return names;
  }

  std::vector<platform::FakeUi::ListMsg> Messages(uint32_t message) const {
    std::vector<platform::FakeUi::ListMsg> out;
    for (const auto& m : fake_.ui.list_messages) {
      if (m.message == message) out.push_back(m);
    }
    return out;
  }
  static Strings Lists(const std::vector<platform::FakeUi::ListMsg>& messages) {
    Strings names;
    for (const auto& m : messages) names.push_back(m.list);
    return names;
  }

  fs::path dir_;
  std::string docs_folder_;
  platform::FakePlatform fake_;
  platform::Platform platform_ = fake_.platform();
  TestAddIn addin_;
  host::Application app_;
  frmVell_COM form_{platform_};
};

// Sorted by code unit: names differing only in case put upper case first.
TEST_F(VellDialogTest, LoadListsOpenDocumentsSortedWithTheNormalTemplate) {
  StartWord();
  const auto b = OpenNew("b.docx");
  const auto a = OpenNew("a.docx");
  const auto lower = OpenNew("one/report.docx");
  const auto upper = OpenNew("two/Report.docx");
  LoadDialog();

  EXPECT_TRUE(form_.Visible());
  const Strings want{"Normal template\tNormal template", "Report.docx\t" + upper.FullName(), "a.docx\t" + a.FullName(),
                     "b.docx\t" + b.FullName(), "report.docx\t" + lower.FullName()};
  EXPECT_EQ(form_.lstSourceDocs.items(), want);
  EXPECT_EQ(form_.lstTargetDocs.items(), want);
  EXPECT_EQ(form_.lstSourceDocs.ListIndex(), -1);
  EXPECT_EQ(support::gWordApp.obj(), addin_.app);
  EXPECT_EQ(support::gWordVersion, "03");
  EXPECT_EQ(support::gDocsFolder, docs_folder_);
  EXPECT_EQ(DocEntryFullName(form_.lstSourceDocs.List(2)), a.FullName());
}

// Normal.dot open as a document stands for the Normal template.
TEST_F(VellDialogTest, LoadSetsCaptionsTabStopsHelpFileInstructionAndNormalDot) {
  StartWord();
  const auto normal = OpenNew("templates/Normal.dot");
  OpenNew("a.docx");
  LoadDialog();
  EXPECT_EQ(form_.lstSourceDocs.ListCount(), 2);
  for (const auto& entry : form_.lstSourceDocs.items()) EXPECT_NE(DocEntryName(entry), kNormalTemplateEntryName);
  EXPECT_EQ(form_.lstSourceDocs.List(0), "Normal.dot\t" + normal.FullName());

  EXPECT_EQ(form_.Caption, "Quillon Tarnwell");
  EXPECT_EQ(form_.FontName, "Tahoma");
  EXPECT_EQ(form_.cmdCopy.caption, "C&opy styles ");
  EXPECT_EQ(form_.cmdUpdate.caption, "&Update all from Normal.dot");
  EXPECT_EQ(form_.cmdCancel.caption, "&Cancel");
  EXPECT_EQ(form_.lblSource.caption, "&Source document:");
  EXPECT_EQ(form_.lblTarget.caption, "&Target document:");
  EXPECT_EQ(form_.lblStyleTypes.caption, "Sty&le type:");
  EXPECT_EQ(form_.lblStyles.caption, "S&elect style(s) to copy:");
  EXPECT_EQ(form_.imgHB.tooltip, "About");
  EXPECT_EQ(form_.btnGetStarted.caption, "Getting started");
  EXPECT_EQ(form_.btnUsing.caption, "Using Tarnwell");
  EXPECT_EQ(form_.btnAbout.caption, "About");
  EXPECT_EQ(form_.HelpFile, fake_.files.own_folder + "TarnwellHelp.chm");

  EXPECT_EQ(form_.lblDesc.caption,
            "Select the document you want to copy styles  from (source) the document you want to copy to (target) "
            "and which styles you want to copy then click the \"Copy styles\" button.\r\n\r\n"
            "If you want to copy all the styles and numbering in Normal.dot to a document, choose a target "
            "document and click \"Update all from Normal.dot\"\r\n\r\n"
            "If you want to styles to Normal.dot, open Normal.dot for editing then run Tarnwell.  That will help  "
            "prevent overwriting important styles by mistake.");

  const auto stops = Messages(kLbSetTabStops);
  EXPECT_EQ(Lists(stops), (Strings{"lstSourceDocs", "lstTargetDocs", "lstStyles"}));
  for (const auto& m : stops) EXPECT_EQ(m.args, (std::vector<int32_t>{2008, 2036}));
  EXPECT_EQ(form_.lstStyles.tab_stops, stops[2].args);
}

TEST_F(VellDialogTest, OnlyWordXpAnd2003OfferListAndTableStylesAndTheUpdate) {
  const Strings two{"Character", "Paragraph"}, four{"Character", "List", "Paragraph", "Table"};
  for (const std::string build : {"12.0.6425", "9.0.2720", "8.0", "10.0.2627", "11.0.8169"}) {
    SCOPED_TRACE(build);
    const bool xp_or_03 = build[0] == '1' && (build[1] == '0' || build[1] == '1');
    support::ResetGlobals();
    StartWord(build);
    OpenNew("a.docx");
    LoadDialog();
    EXPECT_EQ(form_.cmbStyleTypes.items(), xp_or_03 ? four : two);
    EXPECT_EQ(form_.cmbStyleTypes.Text(), "Paragraph");
    EXPECT_EQ(form_.WordStyleType(), static_cast<int32_t>(StyleType::Paragraph));
    EXPECT_EQ(form_.cmdUpdate.visible, xp_or_03);
    EXPECT_EQ(form_.cmdUpdate.enabled, xp_or_03);
  }
}

TEST_F(VellDialogTest, ALongDocumentNameWidensBothListsButTheNormalEntryDoesNotOnAFreshLoad) {
  StartWord();
  OpenNew("a.docx");
  LoadDialog();
  auto extents = Messages(kLbSetHorizontalExtent);
  ASSERT_EQ(Lists(extents), (Strings{"lstSourceDocs", "lstTargetDocs"}));
  // Three blanks and "a.docx": the longer "Normal template" is not measured.
  for (const auto& m : extents) EXPECT_EQ(m.args, std::vector<int32_t>{9});

  const std::string long_name = "Quarterly report for the regional board, final revision 7.docx";
  OpenNew(long_name);
  fake_.ui.list_messages.clear();
  // A second load starts from fresh controls.
  form_.Tag = "OK";
  form_.cmdCancel.enabled = false;
  form_.Hide();
  LoadDialog();
  EXPECT_EQ(form_.lstSourceDocs.ListCount(), 3);
  EXPECT_EQ(form_.Tag, "");
  EXPECT_TRUE(form_.cmdCancel.enabled);
  EXPECT_TRUE(form_.Visible());
  extents = Messages(kLbSetHorizontalExtent);
  ASSERT_EQ(Lists(extents), (Strings{"lstSourceDocs", "lstTargetDocs"}));
  const int32_t want = 3 + static_cast<int32_t>(long_name.size());
  for (const auto& m : extents) EXPECT_EQ(m.args, std::vector<int32_t>{want});
  EXPECT_EQ(form_.lstSourceDocs.horizontal_extent, want);
  EXPECT_EQ(form_.lstTargetDocs.horizontal_extent, want);
}

TEST_F(VellDialogTest, LoadWithoutTheAddInFailsAndStaysHidden) {
  EXPECT_EQ(engine::testing::ErrorOf([&] { form_.Load(); }), host::kErrObjectNotSet);
  EXPECT_FALSE(form_.Visible());
}

TEST_F(VellDialogTest, HelpOpensTopicsBesideTheAddInAndAboutShowsTheSameTextEachTime) {
  form_.btnGetStarted_Click();
  form_.btnUsing_Click();
  const std::string chm = fake_.files.own_folder + "TarnwellHelp.chm";
  EXPECT_EQ(fake_.ui.help_shown, (std::vector<std::pair<std::string, int32_t>>{{chm, 3}, {chm, 87}}));
  Strings seen;
  fake_.ui.user = [&](platform::ModalDialog& shown) {
    auto& about = dynamic_cast<frmVellAbout_COM&>(shown);
    seen.push_back(about.Caption + "|" + about.lblAbout.caption);
    seen.size() == 1 ? about.cmdOK_Click() : about.Close();
  };
  form_.btnAbout_Click();
  form_.imgHB_Click();
  EXPECT_EQ(seen, Strings(2, "About|Quillon Tarnwell\r\n\r\nVersion 2.3.30"));
  EXPECT_FALSE(form_.About().Visible());

  // A copy starts by unloading an About box that is up.
  form_.About().Load();
  form_.cmdCopy_Click();
  EXPECT_FALSE(form_.About().Visible());
}

TEST_F(VellDialogTest, StatusTextReachesTheStatusBarAndThePlatform) {
  form_.SetStatusText("Copying style:  Body");
  EXPECT_EQ(form_.StatusBar1.simple_text, "Copying style:  Body");
  form_.lstTargetDocs_Click();
  EXPECT_EQ(form_.StatusBar1.simple_text, "");
  form_.SetStatusText("x");
  form_.lstStyles_Click();
  EXPECT_EQ(form_.StatusBar1.simple_text, "");
  EXPECT_EQ(fake_.ui.statuses, (Strings{"Copying style:  Body", "", "x", ""}));
}

TEST_F(VellDialogTest, TheCloseBoxBehavesAsCancelClosingByCodeDoesNot) {
  StartWord();
  OpenNew("a.docx");
  LoadDialog();
  bool cancel = false;
  form_.QueryUnload(kUnloadFormCode, cancel);
  EXPECT_FALSE(cancel);
  EXPECT_EQ(form_.Tag, "");
  EXPECT_TRUE(support::gWordApp);

  app_.SetScreenUpdating(false);
  fake_.ui.user = [](platform::ModalDialog& shown) { static_cast<frmVell_COM&>(shown).Close(); };
  fake_.ui.ShowModal(form_);
  EXPECT_EQ(form_.Tag, "Cancel");
  EXPECT_FALSE(form_.Visible());
  EXPECT_FALSE(support::gWordApp);
  EXPECT_TRUE(app_.ScreenUpdating());
  EXPECT_TRUE(fake_.ui.shown.empty());
}

// The user's place, marked before a run, is selected again and unmarked.
TEST_F(VellDialogTest, CancelReturnsToTheBookmarkAndReleasesTheActiveDocument) {
  StartWord();
  const auto marked = OpenNew("a.docx");
  const auto unmarked = OpenNew("b.docx");
  LoadDialog();
  const auto marks = marked.ref().get("Bookmarks").as_object();
  marks->call("Add", {"ReturnHereQQQ", marked.ref().call("Range", {0, 0})});
  ASSERT_EQ(app_.ActiveDocument().Name(), "b.docx");
  support::gActiveDoc = marked;
  form_.cmdCancel_Click();
  EXPECT_EQ(app_.ActiveDocument().Name(), "a.docx") << "the bookmark was selected";
  EXPECT_FALSE(marks->call("Exists", {"ReturnHereQQQ"}).as_bool());
  EXPECT_FALSE(support::gActiveDoc);

  support::gActiveDoc = unmarked;
  EXPECT_NO_THROW(form_.cmdCancel_Click());
  EXPECT_EQ(app_.ActiveDocument().Name(), "a.docx") << "nothing to select";
}

TEST_F(VellDialogTest, CancelGoesOnWhateverWordRefuses) {
  StartWord();
  OpenNew("a.docx");
  LoadDialog();
  // No copy run: no active document, no Normal.dot to close; the engine's
  // documents have no bookmarks either.
  support::gNormalDotOpened = true;
  support::gActiveDoc = app_.ActiveDocument();
  EXPECT_NO_THROW(form_.cmdCancel_Click());
  EXPECT_EQ(form_.Tag, "Cancel");
  EXPECT_FALSE(form_.Visible());
  EXPECT_FALSE(support::gActiveDoc);
  // A second Cancel finds no Word at all and still closes.
  form_.Tag.clear();
  EXPECT_NO_THROW(form_.cmdCancel_Click());
  EXPECT_EQ(form_.Tag, "Cancel");
  // An unload, once or twice, releases the active document too.
  support::gActiveDoc = OpenNew("b.docx");
  form_.Unload();
  EXPECT_FALSE(support::gActiveDoc);
  EXPECT_NO_THROW(form_.Unload());
}

class StyleListTest : public VellDialogTest {
 protected:
  void SetUpSource(const std::string& build = "11.0.8169") {
    StartWord(build);
    source_ = OpenNew("source.docx");
    const auto styles = source_.GetStyles();
    styles.Add("Body Quote", StyleType::Paragraph);
    styles.Add("Emphatic", StyleType::Character);
    styles.Add("Legal List", StyleType::List);
    styles.Add("Grid Plain", StyleType::Table);
    target_ = OpenNew("target.docx");
    LoadDialog();
  }

  // The source's styles of a type, in collection order, as Word lists them.
  Strings StylesOfType(StyleType type) {
    Strings names;
    for (const auto& style : source_.GetStyles().all()) {
      if (style.Type() == type) names.push_back(style.NameLocal());
    }
    return names;
  }

  host::Document source_, target_;
};

// Word XP and 2003 measure the widest name with three blanks, older Word
// with two.
TEST_F(StyleListTest, ASourceClickListsItsParagraphStylesInCollectionOrder) {
  for (const auto& [build, blanks] : {std::pair{"11.0.8169", 3u}, {"9.0.2720", 2u}}) {
    SCOPED_TRACE(build);
    SetUpSource(build);
    form_.SetStatusText("left over");
    ClickSource("source.docx");

    EXPECT_EQ(form_.StatusBar1.simple_text, "");
    EXPECT_EQ(form_.lstStyles.items(), StylesOfType(StyleType::Paragraph));
    EXPECT_TRUE(Has(form_.lstStyles, "Body Quote"));
    EXPECT_TRUE(Has(form_.lstStyles, "Normal"));
    EXPECT_FALSE(Has(form_.lstStyles, "Emphatic"));
    EXPECT_EQ(form_.lstStyles.ListIndex(), -1);
    EXPECT_TRUE(fake_.ui.shown.empty());

    size_t widest = 0;
    for (const auto& name : form_.lstStyles.items()) widest = std::max(widest, name.size() + blanks);
    const auto extents = Messages(kLbSetHorizontalExtent);
    ASSERT_FALSE(extents.empty());
    EXPECT_EQ(extents.back().list, "lstStyles");
    EXPECT_EQ(extents.back().args, std::vector<int32_t>{static_cast<int32_t>(widest)});
    EXPECT_EQ(form_.lstStyles.horizontal_extent, static_cast<int32_t>(widest));
  }
}

TEST_F(StyleListTest, StyleTypeClickRefillsByTypeNeverWithNoListOrTableNormalAndAdvisesOnTables) {
  SetUpSource();
  ClickSource("source.docx");
  ChooseType(0);
  EXPECT_EQ(form_.lstStyles.items(), StylesOfType(StyleType::Character));
  EXPECT_TRUE(Has(form_.lstStyles, "Emphatic"));
  EXPECT_EQ(form_.WordStyleType(), static_cast<int32_t>(StyleType::Character));
  form_.cmbStyleTypes.SetListIndex(1);
  form_.cmbStyleTypes_Change();
  EXPECT_TRUE(Has(form_.lstStyles, "Legal List"));
  EXPECT_FALSE(Has(form_.lstStyles, "No List"));
  EXPECT_EQ(form_.WordStyleType(), static_cast<int32_t>(StyleType::List));
  // With no source chosen a type leaves the list alone.
  const Strings filled = form_.lstStyles.items();
  form_.lstSourceDocs.SetListIndex(-1);
  ChooseType(0);
  EXPECT_EQ(form_.lstStyles.items(), filled);
  form_.cmbStyleTypes_Change();
  EXPECT_EQ(form_.lstStyles.items(), filled);
  EXPECT_TRUE(fake_.ui.shown.empty());

  ClickSource("source.docx");
  ChooseType(3);
  EXPECT_TRUE(Has(form_.lstStyles, "Grid Plain"));
  EXPECT_FALSE(Has(form_.lstStyles, "Table Normal"));
  for (const auto& name : form_.lstStyles.items()) EXPECT_FALSE(name.empty());
  // The engine does hold both, so leaving them out is the list's doing.
  const Strings lists = StylesOfType(StyleType::List);
  const Strings tables = StylesOfType(StyleType::Table);
  EXPECT_NE(std::find(lists.begin(), lists.end(), "No List"), lists.end());
  EXPECT_NE(std::find(tables.begin(), tables.end(), "Table Normal"), tables.end());

  // The table advice came before the table fill, and comes before every one.
  ASSERT_EQ(fake_.ui.shown.size(), 1u);
  const auto& advice = fake_.ui.shown[0];
  EXPECT_EQ(advice.title, "A word about table styles...");
  EXPECT_EQ(advice.icon, platform::Icon::Exclamation);
  EXPECT_EQ(advice.buttons, platform::Buttons::OK);
  EXPECT_EQ(advice.text,
            "Word sometimes has trouble copying table styles between open documents, especially if you "
            "have copied batches of other styles immediately beforehand.\r\n\r\nIf you find that you "
            "are getting error messages about Word's memory or buffers being full when you try to copy "
            "styles, you will have better results if you save and close all your open documents, and "
            "then restart Word before trying again.");
  ClickSource("target.docx");
  EXPECT_EQ(fake_.ui.shown.size(), 2u);
  ChooseType(2);
  EXPECT_EQ(fake_.ui.shown.size(), 2u);
}

TEST_F(StyleListTest, ThirteenTableStylesAreRefusedAtValidationTwelveAreNot) {
  SetUpSource();
  for (int i = 1; i <= 13; ++i) source_.GetStyles().Add("Grid " + std::to_string(100 + i), StyleType::Table);
  ClickSource("source.docx");
  // Selection counts beyond twelve are fine for paragraph styles.
  for (int i = 1; i <= 13; ++i) form_.lstStyles.AddItem("Extra " + std::to_string(i));
  for (int32_t i = 0; i < form_.lstStyles.ListCount(); ++i) form_.lstStyles.SetSelected(i, true);
  bool cancel = false;
  form_.lstStyles_Validate(cancel);
  EXPECT_FALSE(cancel);
  EXPECT_TRUE(fake_.ui.shown.empty());

  ChooseType(3);
  fake_.ui.shown.clear();
  auto& list = form_.lstStyles;
  ASSERT_GE(list.ListCount(), 13);
  for (int32_t i = 0; i < 12; ++i) list.SetSelected(i, true);
  form_.cmdCancel.enabled = false;
  form_.lstStyles_Validate(cancel);
  EXPECT_FALSE(cancel);
  EXPECT_TRUE(fake_.ui.shown.empty());
  EXPECT_FALSE(form_.cmdCancel.enabled);

  list.SetSelected(12, true);
  for (platform::Answer answer : {platform::Answer::OK, platform::Answer::Cancel}) {
    fake_.ui.answers.push_back(answer);
    cancel = false;
    form_.cmdCancel.enabled = false;
    form_.lstStyles_Validate(cancel);
    EXPECT_TRUE(cancel);
    EXPECT_TRUE(form_.cmdCancel.enabled);
  }
  ASSERT_EQ(fake_.ui.shown.size(), 2u);
  EXPECT_EQ(fake_.ui.shown[0].title, "Too many table styles selected");
  EXPECT_EQ(fake_.ui.shown[0].text,
            "Word cannot process more than 12 table style copies at a time.  Please makes sure you only "
            "choose 15 table styles or less.");
  EXPECT_EQ(fake_.ui.shown[0].icon, platform::Icon::Exclamation);
  EXPECT_EQ(fake_.ui.shown[0].buttons, platform::Buttons::OKCancel);
}

TEST_F(StyleListTest, TheNormalTemplateStyleDocumentIsMadeOnceAndReused) {
  SetUpSource();
  const size_t before = DocNames().size();
  const std::string active = app_.ActiveDocument().Name();
  ClickSource("Normal template");
  // The fill leaves the active document active and unsaved.
  EXPECT_EQ(app_.ActiveDocument().Name(), active);
  EXPECT_FALSE(app_.ActiveDocument().Saved());

  Strings names = DocNames();
  ASSERT_EQ(names.size(), before + 1);
  EXPECT_EQ(std::count(names.begin(), names.end(), numbering::kNormalStylesDocName), 1);
  const auto style_doc = app_.GetDocuments().Item(numbering::kNormalStylesDocName);
  EXPECT_EQ(fs::path(style_doc.FullName()), fs::path(docs_folder_) / numbering::kNormalStylesDocName);
  EXPECT_TRUE(fs::exists(fs::path(docs_folder_) / numbering::kNormalStylesDocName));
  EXPECT_TRUE(Has(form_.lstStyles, "Normal"));
  EXPECT_FALSE(Has(form_.lstStyles, "Body Quote"));

  // The first source entry counts as chosen: a new type refills the list.
  ASSERT_EQ(form_.lstSourceDocs.ListIndex(), 0);
  ChooseType(0);
  EXPECT_TRUE(Has(form_.lstStyles, "Default Paragraph Font"));
  EXPECT_FALSE(Has(form_.lstStyles, "Normal"));
  ClickSource("Normal template");
  EXPECT_EQ(DocNames().size(), before + 1);
  EXPECT_TRUE(fake_.ui.shown.empty());

  // Another source closes it, and deletes its file.
  fake_.files.AddFile(docs_folder_, {numbering::kNormalStylesDocName});
  ClickSource("source.docx");
  EXPECT_EQ(DocNames().size(), before);
  EXPECT_EQ(fake_.files.deleted, Strings{docs_folder_ + numbering::kNormalStylesDocName});
}

TEST_F(StyleListTest, ASourceClosedSinceTheLoadGivesTheCommonErrorMessage) {
  SetUpSource();
  ClickSource("target.docx");
  ASSERT_GT(form_.lstStyles.ListCount(), 0);
  source_.Close(0);
  ClickSource("source.docx");

  ASSERT_EQ(fake_.ui.shown.size(), 1u);
  EXPECT_EQ(fake_.ui.shown[0].title, support::kAddInTitle);
  EXPECT_EQ(fake_.ui.shown[0].text.rfind("Error: " + std::to_string(host::kErrNoSuchCollectionMember) + " ", 0), 0u);
  EXPECT_EQ(fake_.ui.shown[0].icon, platform::Icon::None);
  EXPECT_EQ(form_.lstStyles.ListCount(), 0);
}

TEST_F(VellDialogTest, EveryCorpusDocumentFillsTheStyleListForEachType) {
  const fs::path corpus = TARNWELL_CORPUS_DIR;
  if (!fs::is_directory(corpus)) GTEST_SKIP() << "corpus not found at " << corpus;
  StartWord();
  int filled = 0;
  int listed = 0;
  for (const auto& entry : fs::recursive_directory_iterator(corpus)) {
    if (entry.path().extension() != ".docx") continue;
    SCOPED_TRACE(entry.path().string());
    host::Document doc;
    try {
      doc = app_.GetDocuments().Open(entry.path().string());
    } catch (const host::HostError&) {
      continue;  // the engine's own tests cover files it refuses
    }
    LoadDialog();
    for (int32_t type = 0; type < form_.cmbStyleTypes.ListCount(); ++type) {
      form_.cmbStyleTypes.SetListIndex(type);
      ClickSource(doc.Name());
      listed += form_.lstStyles.ListCount();
      for (const auto& name : form_.lstStyles.items()) {
        EXPECT_FALSE(name.empty() || name == "No List" || name == "Table Normal") << name;
      }
    }
    for (const auto& shown : fake_.ui.shown) EXPECT_EQ(shown.title, "A word about table styles...") << shown.text;
    fake_.ui.shown.clear();
    doc.Close(0);
    ++filled;
  }
  EXPECT_GT(filled, 0);
  // Every document has at least Normal among its paragraph styles.
  EXPECT_GE(listed, filled);
}

}  // namespace
}  // namespace tarnwell::dialog
