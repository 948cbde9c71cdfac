#include "copyrun/copy_run.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "engine/engine.h"
#include "host/host_error.h"
#include "platform/fakes.h"
#include "support/globals.h"

namespace tarnwell::copyrun {
namespace {

namespace fs = std::filesystem;
using host::StyleType;
using platform::Answer;
using platform::Icon;
using Strings = std::vector<std::string>;

// Files on disk, so the embedded Word and the run see the same scratch files.
class DiskFiles : public platform::Files {
 public:
  std::string own;
  std::vector<platform::FileEntry> List(const std::string&) override { return {}; }
  bool Delete(const std::string& path) override { return fs::remove(path); }
  bool Copy(const std::string& from, const std::string& to) override {
    std::error_code ec;
    return fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec);
  }
  bool Exists(const std::string& path) override { return !path.empty() && fs::exists(path); }
  std::string OwnFolder() override { return own; }
};

// The main dialog's lists and state as the run sees them.
class FakeMain : public MainDialog {
 public:
  struct Line {
    std::string text;
    bool selected = false;
  };
  int32_t source_index = 0, target_index = 0, styles_index = 0;
  std::string source_text, target_text;
  std::vector<Line> styles;
  bool cancel_enabled = true, visible = true;
  std::string tag;
  int cancel_clicks = 0;
  std::function<void()> on_status;  // plays the user while a status shows
  std::vector<std::string> statuses;

  int32_t SourceListIndex() const override { return source_index; }
  std::string SourceText() const override { return source_text; }
  int32_t TargetListIndex() const override { return target_index; }
  std::string TargetText() const override { return target_text; }
  int32_t StylesListIndex() const override { return styles_index; }
  std::string StylesText() const override {
    return styles_index < 0 || styles.empty() ? "" : styles[static_cast<size_t>(styles_index)].text;
  }
  int32_t StylesCount() const override { return static_cast<int32_t>(styles.size()); }
  bool StyleSelected(int32_t i) const override { return styles[static_cast<size_t>(i)].selected; }
  std::string StyleItem(int32_t i) const override { return styles[static_cast<size_t>(i)].text; }
  void SetCancelEnabled(bool enabled) override { cancel_enabled = enabled; }
  void SetStatusText(const std::string& text) override {
    statuses.push_back(text);
    if (on_status) on_status();
  }
  void SetTag(const std::string& t) override { tag = t; }
  void HideDialog() override { visible = false; }
  void ShowDialog() override { visible = true; }
  platform::WindowHandle DialogHwnd() const override { return 42; }
  void CancelClick() override {
    ++cancel_clicks;
    tag = "Cancel";
    visible = false;
  }
};

std::string Entry(const host::Document& d) { return d.Name() + "\t" + d.FullName(); }

class CopyRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = fs::temp_directory_path() / ("tw-copyrun-" + std::to_string(::getpid()) + "-" + info->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "docs");
    fs::create_directories(dir_ / "addin");
    engine::Options options;
    // The name Word's Normal template has when opened as a document here.
    options.normal_template = (dir_ / "Normal.dot").string();
    faults_ = options.faults;
    support::ResetGlobals();
    support::gWordApp = host::Application(engine::CreateApplication(options));
    app_ = support::gWordApp;
    support::gDocsFolder = (dir_ / "docs").string() + "/";
    files_.own = (dir_ / "addin").string() + "/";
    engine::WriteBlankDocument((dir_ / "addin" / kScratchTemplateName).string());
    engine::WriteBlankDocument((dir_ / "source.docx").string());
    engine::WriteBlankDocument((dir_ / "target.docx").string());
    source_ = app_.GetDocuments().Open((dir_ / "source.docx").string());
    target_ = app_.GetDocuments().Open((dir_ / "target.docx").string());
    main_.source_text = Entry(source_);
    main_.target_text = Entry(target_);
  }
  void TearDown() override {
    support::ResetGlobals();
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }
  platform::Platform Platform() {
    return platform::Platform{fake_.ui, files_, fake_.registry, fake_.processes, fake_.folders, fake_.settings,
                              fake_.clock};
  }
  void Choose(std::initializer_list<std::string> names) {
    for (auto& n : names) main_.styles.push_back({n, true});
  }
  void AddStyle(const host::Document& doc, const std::string& name, const std::string& base,
                const std::string& next = "") {
    auto s = doc.GetStyles().Add(name, StyleType::Paragraph);
    s.SetBaseStyle(base);
    if (!next.empty()) s.SetNextParagraphStyle(next);
  }
  void RunCopy() {
    auto p = Platform();
    CopyRun run(p, main_);
    run.cmdCopy_Click();
  }
  void Restart() {
    TearDown();
    main_ = FakeMain{};
    fake_.ui.shown.clear();
    SetUp();
  }
  // Neither the shipped scratch template nor one Word makes: the slow copy.
  void NoScratch() {
    fs::remove(dir_ / "addin" / kScratchTemplateName);
    faults_->fail("Documents.Add", 1, host::kErrCommandFailed);
  }
  static bool Marked(const host::Document& d) {
    return host::deref(d.ref().get("Bookmarks").as_object()).call("Exists", {kReturnBookmark}).as_bool();
  }
  Strings Titles() const {
    Strings t;
    for (auto& s : fake_.ui.shown) t.push_back(s.title);
    return t;
  }
  bool HasTarget(const std::string& name) {
    for (auto& s : target_.GetStyles().all()) {
      if (s.NameLocal() == name) return true;
    }
    return false;
  }

  fs::path dir_;
  std::shared_ptr<host::FaultPlan> faults_;
  host::Application app_;
  host::Document source_, target_;
  platform::FakePlatform fake_;
  DiskFiles files_;
  FakeMain main_;
};

TEST_F(CopyRunTest, RefusalsKeepTheDialogOpenWithCancelEnabled) {
  struct Case {
    std::function<void(FakeMain&)> setup;
    std::string title, text;
    Icon icon;
  };
  const std::vector<Case> cases = {
      {[](FakeMain& m) { m.source_index = -1; }, "Source document?", "What document are you copying from?",
       Icon::Question},
      {[](FakeMain& m) { m.source_text = "   "; }, "Source document?", "What document are you copying from?",
       Icon::Question},
      {[](FakeMain& m) { m.target_index = -1; }, "Target document?", "What document are you copying to?",
       Icon::Question},
      {[](FakeMain& m) { m.target_text = m.source_text; }, "Sorry...",
       "You can't copy to the same document.  Please choose a different target document.", Icon::Exclamation},
      {[](FakeMain& m) { m.styles_index = -1; }, "Style(s)?", "What style(s) do you want to copy?", Icon::Question},
  };
  for (const auto& c : cases) {
    FakeMain saved = main_;
    main_.styles = {{"Normal", false}};
    c.setup(main_);
    fake_.ui.shown.clear();
    RunCopy();
    ASSERT_EQ(fake_.ui.shown.size(), 1u) << c.title;
    EXPECT_EQ(fake_.ui.shown[0].title, c.title);
    EXPECT_EQ(fake_.ui.shown[0].text, c.text);
    EXPECT_EQ(fake_.ui.shown[0].icon, c.icon);
    EXPECT_TRUE(main_.cancel_enabled);
    EXPECT_TRUE(main_.visible);
    EXPECT_EQ(main_.tag, "");
    main_ = saved;
  }
}

TEST_F(CopyRunTest, DecliningTheSaveClosesThroughTheDialogsCancel) {
  Choose({"Normal"});
  fake_.ui.answers = {Answer::Cancel};
  RunCopy();
  ASSERT_EQ(Titles(), (std::vector<std::string>{"Save documents?"}));
  EXPECT_EQ(fake_.ui.shown[0].text,
            "Your documents need to be saved before styles can be copied.  You can't undo copying styles so if you "
            "need to make a safety copy of your document, please do so now.\r\n\r\nClick OK to save your source and "
            "target documents now, or click Cancel to cancel.");
  EXPECT_EQ(fake_.ui.shown[0].buttons, platform::Buttons::OKCancel);
  EXPECT_EQ(main_.cancel_clicks, 1);
}

TEST_F(CopyRunTest, FastCopyBringsStylesWithTheirBaseAndNext) {
  AddStyle(source_, "Quote Base", "Normal");
  AddStyle(source_, "Body & Co", "Quote Base");
  AddStyle(source_, "Lead", "Quote Base", "Body & Co");
  Choose({"Lead"});
  Strings offered;
  fake_.ui.user = [&](platform::ModalDialog& d) {
    auto& dlg = dynamic_cast<frmVellDependencies_COM&>(d);
    offered = dlg.lstBased.items;
    offered.insert(offered.end(), dlg.lstFollow.items.begin(), dlg.lstFollow.items.end());
    dlg.cmdOK_Click();
  };
  RunCopy();
  EXPECT_EQ(offered, (Strings{"Normal", "Quote Base", "Body & Co"}));
  EXPECT_EQ(Titles(), (Strings{"Save documents?", "Done"}));
  EXPECT_EQ(fake_.ui.shown.back().text,
            "Copying complete.\r\n\r\nNote that if your numbering has not copied correctly you should check your "
            "source document to make sure numbering is correctly defined.  \r\n\r\nUse Quillon Marrowby to make sure "
            "that your numbering styles are defined correctly.");
  EXPECT_EQ(main_.tag, "OK");
  EXPECT_FALSE(main_.visible);
  for (const char* name : {"Lead", "Quote Base", "Body & Co"}) {
    ASSERT_TRUE(HasTarget(name)) << name;
    auto t = target_.GetStyles().Item(std::string(name));
    auto s = source_.GetStyles().Item(std::string(name));
    EXPECT_EQ(t.BaseStyle(), s.BaseStyle()) << name;
    EXPECT_EQ(t.NextParagraphStyle(), s.NextParagraphStyle()) << name;
  }
  // Copy order: selected, then based-on, then follow-on; ampersands doubled.
  std::vector<std::string> copying;
  for (auto& s : main_.statuses) {
    if (s.rfind("Copying style:  ", 0) == 0) copying.push_back(s);
  }
  EXPECT_EQ(copying, (std::vector<std::string>{"Copying style:  Lead", "Copying style:  Normal",
                                                "Copying style:  Quote Base", "Copying style:  Body && Co"}));
  EXPECT_FALSE(fs::exists(support::gDocsFolder + kFastScratchName));
  EXPECT_FALSE(support::gWordApp);
  EXPECT_TRUE(app_.ScreenUpdating());
}

// Declined dependencies are not brought by the organizer either, so the
// fast copy makes the very styles the slow copy's ensure step makes.
TEST_F(CopyRunTest, DeclinedDependenciesAddNothingOnEitherPath) {
  for (bool fast : {true, false}) {
    SCOPED_TRACE(fast ? "fast" : "slow");
    Restart();
    AddStyle(source_, "Quote Base", "Normal");
    AddStyle(source_, "Body", "Normal");
    AddStyle(source_, "Lead", "Quote Base", "Body");
    if (!fast) NoScratch();
    size_t before = target_.GetStyles().all().size();
    Choose({"Lead"});
    fake_.ui.user = [](platform::ModalDialog& d) {
      auto& dlg = dynamic_cast<frmVellDependencies_COM&>(d);
      dlg.lstBased.selected.assign(dlg.lstBased.selected.size(), false);
      dlg.lstFollow.selected.assign(dlg.lstFollow.selected.size(), false);
      dlg.cmdOK_Click();
    };
    RunCopy();
    EXPECT_EQ(main_.tag, "OK");
    EXPECT_EQ(target_.GetStyles().all().size(), before + 1) << "only the chosen style";
    EXPECT_EQ(target_.GetStyles().Item("Lead").BaseStyle(), "Normal");
  }
}

TEST_F(CopyRunTest, DependenciesCancelKeepsTheDialogOpen) {
  AddStyle(source_, "Child", "Normal");
  Choose({"Child"});
  fake_.ui.user = [](platform::ModalDialog& d) { dynamic_cast<frmVellDependencies_COM&>(d).cmdCancel_Click(); };
  RunCopy();
  EXPECT_TRUE(main_.visible);
  EXPECT_TRUE(main_.cancel_enabled);
  EXPECT_EQ(main_.statuses.back(), "");
  EXPECT_EQ(main_.tag, "");
  EXPECT_FALSE(HasTarget("Child"));
  // The bookmark stays for the main dialog's Cancel.
  ASSERT_TRUE(support::gActiveDoc);
  EXPECT_TRUE(Marked(support::gActiveDoc));
}

TEST_F(CopyRunTest, MissingScratchTemplateUsesAWordMadeScratchDocument) {
  fs::remove(dir_ / "addin" / kScratchTemplateName);
  AddStyle(source_, "Solo", "Normal");
  Choose({"Solo", "Normal"});
  RunCopy();
  EXPECT_EQ(Titles(), (Strings{"Save documents?", "Done"}));
  EXPECT_TRUE(HasTarget("Solo"));
  EXPECT_FALSE(fs::exists(support::gDocsFolder + kCreatedScratchName));
}

TEST_F(CopyRunTest, NoScratchAtAllFallsBackToTheSlowCopyWithItsPauses) {
  NoScratch();
  for (int i = 0; i < 41; ++i) {
    const std::string name = "S" + std::string(i < 10 ? "0" : "") + std::to_string(i);
    AddStyle(source_, name, "Normal");
    main_.styles.push_back({name, true});
  }
  main_.styles.push_back({"Normal", true});
  RunCopy();
  ASSERT_GE(fake_.ui.shown.size(), 2u);
  EXPECT_EQ(fake_.ui.shown[1].title, "Slow copy");
  EXPECT_EQ(fake_.ui.shown[1].text, "There was a problem with fast copy.  Slow copy will be used instead.");
  EXPECT_EQ(std::count(main_.statuses.begin(), main_.statuses.end(), "(Slow copy) Waiting for Word"), 2);
  EXPECT_EQ(std::count(fake_.clock.events.begin(), fake_.clock.events.end(), "wait 2"), 2);
  EXPECT_EQ(std::count(fake_.clock.events.begin(), fake_.clock.events.end(), "wait 3"), 1);
  EXPECT_TRUE(HasTarget("S40"));
  EXPECT_EQ(main_.tag, "OK");
}

TEST_F(CopyRunTest, ErrorTableRowsEndOrPassOver) {
  struct Row {
    int32_t number;
    std::string title;  // "" when the run goes on
  };
  const std::vector<Row> rows = {
      {host::kErrOutOfMemory, "Word memory full"},
      {host::kErrWordBuffersFull, "Word memory full"},
      {host::kErrCommandFailed, "Word memory full"},
      {host::kErrUnspecified, "Word memory full"},
      {host::kErrWordAutomation, "Word memory full"},
      {host::kErrServerFault, "Cannot copy Normal"},
      {host::kErrStyleNameInUse, ""},
      {host::kErrNoSuchStyle, ""},
      {host::kErrPermissionDenied, "*"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.number);
    Restart();
    Choose({"Normal"});
    faults_->fail("Application.OrganizerCopy", 1, row.number);
    RunCopy();
    ASSERT_GE(fake_.ui.shown.size(), 2u);
    const auto& last = fake_.ui.shown.back();
    if (row.title.empty()) {
      EXPECT_EQ(last.title, "Done");
      EXPECT_EQ(main_.tag, "OK");
      continue;
    }
    if (row.title != "*") {
      EXPECT_EQ(last.title, row.title);
    }
    EXPECT_NE(last.title, "Done");
    EXPECT_EQ(main_.tag, "");
    EXPECT_FALSE(main_.visible);
    EXPECT_TRUE(main_.cancel_enabled);
    EXPECT_FALSE(Marked(app_.ActiveDocument()));
  }
}

// Read-only and never-saved documents go through a save-as, in the file
// dialog of the Word version; a cancelled one stops, a bad name asks again.
TEST_F(CopyRunTest, SaveAsForReadOnlyAndNeverSavedDocuments) {
  using namespace std::string_literals;
  fs::permissions(dir_ / "source.docx", fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  host::Document fresh = app_.GetDocuments().Add();
  main_.target_text = Entry(fresh);
  const std::string fresh_name = fresh.Name();
  Choose({"Normal"});
  const std::string new_source = support::gDocsFolder + "copied.docx";
  const std::string new_target = support::gDocsFolder + "fresh.docx";
  fake_.ui.file_answers = {new_source, new_target};
  RunCopy();
  ASSERT_EQ(fake_.ui.file_requests.size(), 2u);
  EXPECT_EQ(fake_.ui.file_requests[0].file_name, "NewDocument");
  EXPECT_EQ(fake_.ui.file_requests[1].file_name, fresh_name);
  const auto& r = fake_.ui.file_requests[0];
  EXPECT_EQ(r.flags, 3);
  EXPECT_FALSE(r.open);
  EXPECT_EQ(r.initial_dir, support::gDocsFolder);
  EXPECT_EQ(r.owner, 42u);
  EXPECT_EQ(r.filter, "Documents (*.doc)\0*.doc\0Templates (*.dot)\0*.dot\0All files (*.*)\0*.*\0"s);
  EXPECT_EQ(Titles(), (Strings{"Save documents?", "Read only document", "Done"}));
  EXPECT_EQ(fake_.ui.shown[1].text,
            "Your source document is read only.  You must save it under a new name to continue.");
  EXPECT_TRUE(fs::exists(new_source));
  EXPECT_TRUE(fs::exists(new_target));

  Restart();
  main_.target_text = Entry(app_.GetDocuments().Add());
  Choose({"Normal"});
  support::gWordVersion = "07";
  RunCopy();  // no file answer: the save-as is cancelled, the source stays saved
  EXPECT_EQ(Titles(), (Strings{"Save documents?", "Save before continuing"}));
  EXPECT_EQ(fake_.ui.shown[1].text, "Both documents must be saved in order to continue.");
  EXPECT_TRUE(main_.visible);
  EXPECT_TRUE(main_.cancel_enabled);
  EXPECT_TRUE(source_.Saved());
  EXPECT_EQ(fake_.ui.file_requests.back().filter,
            "Documents (*.docx)\0*.docx\0Templates (*.dotx)\0*.dotx\0All files (*.*)\0*.*\0"s);

  Restart();
  main_.target_text = Entry(app_.GetDocuments().Add());
  Choose({"Normal"});
  const std::string bad = (dir_ / "no-such-folder" / "x.docx").string();
  fake_.ui.file_answers = {bad, support::gDocsFolder + "good.docx"};
  RunCopy();
  EXPECT_EQ(Titles(), (Strings{"Save documents?", "Invalid filename", "Done"}));
  EXPECT_EQ(fake_.ui.shown[1].text, bad + " does not appear to be a valid filename.  Please try again.");
  EXPECT_EQ(fake_.ui.shown[1].buttons, platform::Buttons::OKCancel);
}

// Opened for the run, or used as the user has it open; saved, then closed
// without a second save, so the template has the style.
TEST_F(CopyRunTest, NormalTemplateAsTarget) {
  for (bool open : {false, true}) {
    SCOPED_TRACE(open ? "open already" : "opened by the run");
    if (open) {
      Restart();
      ASSERT_EQ(app_.NormalTemplate().OpenAsDocument().Name(), "Normal.dot");
    }
    AddStyle(source_, "ToNormal", "Normal");
    Choose({"ToNormal", "Normal"});
    main_.target_text = "Normal template\tNormal template";
    RunCopy();
    EXPECT_EQ(Titles().back(), "Done");
    EXPECT_EQ(support::gNormalDotOpened, !open);
    for (auto& d : app_.GetDocuments().all()) EXPECT_NE(d.Name(), "Normal.dot");
    bool found = false;
    for (auto& s : app_.NormalTemplate().OpenAsDocument().GetStyles().all())
      found = found || s.NameLocal() == "ToNormal";
    EXPECT_TRUE(found);
  }
}

TEST(CopyRunHelpers, AmpersandsAndTheCopyErrorBox) {
  EXPECT_EQ(DoubleAmpersands("A&B&&"), "A&&B&&&&");
  platform::FakeUi ui;
  ReportCopyError(ui, "Heading", 4605, "Failed");
  ASSERT_EQ(ui.shown.size(), 1u);
  EXPECT_EQ(ui.shown[0].title, "Copy error");
  EXPECT_EQ(ui.shown[0].text, "There was a problem copying style Heading.\r\n\r\nError:  \r\n\r\n4605 Failed");
  EXPECT_EQ(ui.shown[0].icon, Icon::Critical);
  EXPECT_EQ(ui.shown[0].buttons, platform::Buttons::OKCancel);
}

TEST_F(CopyRunTest, NormalTemplateAsSourceReadsTheStyleDocument) {
  const std::string path = support::gDocsFolder + "NormalTemplateStyles_Vell.doc";
  engine::WriteBlankDocument(path);
  host::Document styles_doc = app_.GetDocuments().Open(path);
  AddStyle(styles_doc, "FromNormal", "Normal");
  styles_doc.Save();
  main_.source_text = "Normal template\tNormal template";
  Choose({"FromNormal", "Normal"});
  RunCopy();
  EXPECT_EQ(Titles().back(), "Done");
  EXPECT_TRUE(HasTarget("FromNormal"));
}

TEST_F(CopyRunTest, FastCopyPacingNoDependenciesDialogTheBookmarkComesBackAndASecondClickIsIgnored) {
  Choose({"Normal"});
  host::Document active = app_.ActiveDocument();
  auto p = Platform();
  CopyRun run(p, main_);
  int nested = 0;
  main_.on_status = [&] {
    if (run.Running() && nested == 0) {
      ++nested;
      run.cmdCopy_Click();
    }
  };
  run.cmdCopy_Click();
  EXPECT_EQ(nested, 1);
  EXPECT_EQ(fake_.ui.modal_showings, 0);
  EXPECT_EQ(Titles(), (Strings{"Save documents?", "Done"}));
  const auto& ev = fake_.clock.events;
  ASSERT_GE(ev.size(), 2u);
  EXPECT_EQ(ev[0], "pump");
  EXPECT_EQ(ev[1], "sleep 100");
  EXPECT_EQ(std::count(ev.begin(), ev.end(), "wait 1"), 4);  // two activations, dependencies, fast copy
  EXPECT_EQ(std::count(ev.begin(), ev.end(), "wait 2"), 0);
  EXPECT_FALSE(Marked(active));
  EXPECT_EQ(fake_.ui.foregrounded.size(), 3u);
}

TEST_F(CopyRunTest, AFailedActivationShowsOnlyItsOwnReportAndCleansUp) {
  Choose({"Normal"});
  faults_->fail("Range.Style", 1, host::kErrWordBuffersFull);
  host::Document active = app_.ActiveDocument();
  RunCopy();
  EXPECT_EQ(Titles(), (Strings{"Save documents?", support::kAddInTitle}));  // the pass's own report, nothing more
  EXPECT_EQ(main_.tag, "");
  EXPECT_FALSE(main_.visible);
  EXPECT_TRUE(main_.cancel_enabled);
  EXPECT_FALSE(support::gActiveDoc);
  EXPECT_FALSE(Marked(active));
  EXPECT_TRUE(app_.ScreenUpdating());
}

TEST_F(CopyRunTest, SlowCopyDoublesAmpersandsOnlyWhileEnsuring) {
  NoScratch();
  AddStyle(source_, "R&D", "Normal");
  Choose({"R&D", "Normal"});
  RunCopy();
  EXPECT_NE(std::find(main_.statuses.begin(), main_.statuses.end(), "(Slow copy) Copying style:  R&&D"),
            main_.statuses.end());
  EXPECT_NE(std::find(main_.statuses.begin(), main_.statuses.end(), "(Slow copy) Copying style:  R&D"),
            main_.statuses.end());
  EXPECT_EQ(std::count(main_.statuses.begin(), main_.statuses.end(), "(Slow copy) Waiting for Word"), 0);
  EXPECT_TRUE(HasTarget("R&D"));
}

TEST_F(CopyRunTest, SameNamedDocumentsInTwoFoldersMarkTheActiveOne) {
  for (const char* folder : {"a", "b"}) {
    fs::create_directories(dir_ / folder);
    engine::WriteBlankDocument((dir_ / folder / "doc.docx").string());
  }
  source_ = app_.GetDocuments().Open((dir_ / "a" / "doc.docx").string());
  target_ = app_.GetDocuments().Open((dir_ / "b" / "doc.docx").string());
  main_.source_text = Entry(source_);
  main_.target_text = Entry(target_);
  Choose({"Normal"});
  RunCopy();
  EXPECT_EQ(Titles().back(), "Done");
}

TEST_F(CopyRunTest, ServerFaultNamesTheStyleBeingCopied) {
  AddStyle(source_, "Broken", "Normal");
  Choose({"Broken", "Normal"});
  faults_->fail("Application.OrganizerCopy", 3, host::kErrServerFault);
  RunCopy();
  const auto& last = fake_.ui.shown.back();
  EXPECT_EQ(last.title, "Cannot copy Normal");
  EXPECT_EQ(last.text,
            "There is a problem copying style Normal.  The source document or template may be corrupt.  Copying "
            "cannot continue.");
  EXPECT_EQ(last.icon, Icon::Exclamation);
  EXPECT_FALSE(main_.visible);
}

}  // namespace
}  // namespace tarnwell::copyrun
