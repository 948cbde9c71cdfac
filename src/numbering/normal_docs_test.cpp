#include "numbering/normal_docs.h"

#include "engine/engine.h"
#include "engine/test_support.h"
#include "platform/fakes.h"
#include "support/globals.h"

namespace tarnwell::numbering {
namespace {

using engine::testing::ErrorOf;
using engine::testing::RaisedBy;

class NormalDocsTest : public engine::testing::EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    support::ResetGlobals();
    app_ = Word();
    support::gWordApp = app_;
    support::gDocsFolder = dir_.string() + "/";
  }
  void TearDown() override {
    support::ResetGlobals();
    EngineTest::TearDown();
  }

  host::Document OpenNew(const std::string& relative) {
    const std::filesystem::path path = dir_ / relative;
    std::filesystem::create_directories(path.parent_path());
    engine::WriteBlankDocument(path.string());
    return app_.GetDocuments().Open(path.string());
  }

  // The style document as the style list makes it.
  void MakeStylesDoc() {
    app_.GetDocuments().Add().SaveAs(NormalStylesDocPath());
    fake_.files.AddFile(support::gDocsFolder, {kNormalStylesDocName});
  }

  bool IsOpen(const std::string& name) {
    for (const auto& doc : app_.GetDocuments().all()) {
      if (doc.Name() == name) return true;
    }
    return false;
  }

  host::Application app_;
  platform::FakePlatform fake_;
  platform::Platform platform_ = fake_.platform();
};

TEST_F(NormalDocsTest, ClosingTheStylesDocumentOrNormalDotTouchesOnlyWhatIsOpenAndErrorsReachTheCaller) {
  OpenNew("a.docx");
  fake_.files.AddFile(support::gDocsFolder, {kNormalStylesDocName});
  fncCloseNormalStylesDoc(platform_);
  EXPECT_TRUE(fake_.files.deleted.empty()) << "not open: the file is left alone";
  EXPECT_TRUE(fake_.files.Exists(NormalStylesDocPath()));

  MakeStylesDoc();
  ASSERT_TRUE(IsOpen(kNormalStylesDocName));
  fncCloseNormalStylesDoc(platform_);
  EXPECT_FALSE(IsOpen(kNormalStylesDocName));
  EXPECT_TRUE(IsOpen("a.docx"));
  EXPECT_EQ(fake_.files.deleted, std::vector<std::string>{support::gDocsFolder + kNormalStylesDocName});

  // Open without a file: closed, with nothing to delete.
  MakeStylesDoc();
  fake_.files.folders.clear();
  fake_.files.deleted.clear();
  EXPECT_NO_THROW(fncCloseNormalStylesDoc(platform_));
  EXPECT_FALSE(IsOpen(kNormalStylesDocName));
  EXPECT_TRUE(fake_.files.deleted.empty());

  // A file that cannot be deleted raises, naming it.
  MakeStylesDoc();
  fake_.files.undeletable.insert(NormalStylesDocPath());
  host::HostError e = RaisedBy([&] { fncCloseNormalStylesDoc(platform_); });
  EXPECT_EQ(e.number(), host::kErrPermissionDenied);
  EXPECT_NE(e.description().find(NormalStylesDocPath()), std::string::npos);
  EXPECT_FALSE(IsOpen(kNormalStylesDocName));

  OpenNew("templates/Normal.dot");
  for (const host::Value& flag : {host::Value(false), host::Value(int32_t{0}), host::Value(int32_t{1}),
                                  host::Value("True"), host::Value()}) {
    fncCloseNormalDot(flag);
    EXPECT_TRUE(IsOpen(kNormalDotName));
  }
  fncCloseNormalDot(host::Value(true));
  EXPECT_FALSE(IsOpen(kNormalDotName));

  OpenNew("templates/Normal.dot");
  fncCloseNormalDot(host::Value(host::kTrue));
  EXPECT_FALSE(IsOpen(kNormalDotName));

  EXPECT_EQ(ErrorOf([] { fncCloseNormalDot(host::Value(true)); }), host::kErrNoSuchCollectionMember) << "not open";
  EXPECT_TRUE(IsOpen("a.docx"));
  support::gWordApp = host::Application();
  EXPECT_EQ(ErrorOf([&] { fncCloseNormalStylesDoc(platform_); }), host::kErrObjectNotSet) << "without Word";
}

}  // namespace
}  // namespace tarnwell::numbering
