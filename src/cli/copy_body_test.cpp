// A copy changes styles and numbering, never what the user wrote: the body,
// headers, footers, notes and comments of both documents stay as they were,
// in real documents and in bodies Word itself would not write, and a run that
// fails leaves no trace of itself on disk.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <map>
#include <regex>
#include <sstream>

#include <pugixml.hpp>

#include "cli/app.h"
#include "cli/commands.h"
#include "cli/test_support.h"
#include "engine/engine.h"
#include "engine/test_support.h"
#include "host/host_error.h"
#include "ooxml/opc_check.h"
#include "ooxml/package.h"

namespace tarnwell::cli {
namespace {

namespace fs = std::filesystem;
using engine::testing::BodyCases;

// The parts a copy must leave alone, each parsed and written raw, so that
// only a change of content shows.
std::map<std::string, std::string> UserParts(const fs::path& file) {
  static const std::regex user_part(
      "word/(document|header[0-9]*|footer[0-9]*|footnotes|endnotes|comments[A-Za-z]*)\\.xml");
  std::map<std::string, std::string> parts;
  auto package = ooxml::Package::Open(file.string());
  for (const auto& name : package.Names()) {
    if (!std::regex_match(name, user_part)) continue;
    const std::string& bytes = package.Get(name);
    pugi::xml_document doc;
    doc.load_buffer(bytes.data(), bytes.size());
    std::ostringstream os;
    doc.save(os, "", pugi::format_raw | pugi::format_no_declaration);
    parts[name] = os.str();
  }
  return parts;
}

struct StyleType {
  const char* choice;  // as the dialog's style-type list shows it
  host::StyleType type;
};
const StyleType kTypes[] = {{"Paragraph", host::StyleType::Paragraph},
                            {"Character", host::StyleType::Character},
                            {"Table", host::StyleType::Table},
                            {"List", host::StyleType::List}};

std::string MadeStyle(const StyleType& t) { return std::string(t.choice) + " Made"; }

class CopyBody : public testing::CommandTest {
 protected:
  host::Application Word() {
    engine::Options o;
    o.normal_template = (dir_ / "Normal.dotx").string();
    return host::Application(engine::CreateApplication(o));
  }

  // A document with this body and one style of each type.
  fs::path Make(const std::string& name, const std::string& body) {
    auto path = (dir_ / name).string();
    auto package = engine::BlankPackage(path);
    package.Set("word/document.xml", engine::testing::DocumentXml(body));
    package.Save(path);
    auto doc = Word().GetDocuments().Open(path);
    for (const auto& t : kTypes) doc.GetStyles().Add(MadeStyle(t), t.type);
    doc.Save();
    doc.Close(0);
    return path;
  }

  // Copies the named styles of one type; neither document's own content moves.
  void ExpectCopyLeavesContent(const fs::path& source, const fs::path& target, const char* type,
                               const std::vector<std::string>& names) {
    SCOPED_TRACE(source.filename().string() + " -> " + target.filename().string() + ", " + type);
    auto source_before = UserParts(source), target_before = UserParts(target);
    // A corpus document may break a packaging rule itself; a copy breaks none.
    auto source_opc = Problems(source), target_opc = Problems(target);
    std::vector<std::string> args{"--yes", "copy", "--type", type, source.string(), target.string()};
    for (const auto& n : names) args.insert(args.end(), {"-s", n});
    auto r = Tarnwell(args);
    EXPECT_EQ(r.code, kExitDone) << r.err;
    EXPECT_EQ(UserParts(source), source_before);
    EXPECT_EQ(UserParts(target), target_before);
    EXPECT_EQ(Problems(source), source_opc);
    EXPECT_EQ(Problems(target), target_opc);
    Keep(source);
    Keep(target);
  }

  static std::vector<std::string> Problems(const fs::path& file) {
    return ooxml::CheckPackage(ooxml::Package::Open(file.string()));
  }

  // scripts/check-with-libreoffice.sh has another program open what we wrote.
  void Keep(const fs::path& file) {
    const char* keep = std::getenv("TARNWELL_KEEP_WRITTEN");
    if (!keep || !*keep) return;
    fs::create_directories(keep);
    std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    fs::copy_file(file, fs::path(keep) / (test + "-" + std::to_string(++kept_) + "-" + file.filename().string()),
                  fs::copy_options::overwrite_existing);
  }
  int kept_ = 0;
};

TEST_F(CopyBody, BodiesWordWouldNotWriteStayAsTheyWereEitherWay) {
  auto partner = Make("partner.docx", BodyCases("<w:p><w:r><w:t>Partner</w:t></w:r></w:p>")[0].xml);
  int n = 0;
  for (const auto& body : BodyCases("<w:p><w:r><w:t>Mine</w:t></w:r></w:p>")) {
    SCOPED_TRACE(body.name);
    auto mine = Make("case" + std::to_string(++n) + ".docx", body.xml);
    for (const auto& t : kTypes) {
      ExpectCopyLeavesContent(mine, partner, t.choice, {MadeStyle(t)});
      ExpectCopyLeavesContent(partner, mine, t.choice, {MadeStyle(t)});
    }
  }
}

// Each corpus document takes one part, source or target in turn, with the
// style types in rotation; as a source it gives up to two styles of its type.
TEST_F(CopyBody, CorpusDocumentsStayAsTheyWereEitherWay) {
  auto corpus = engine::testing::CorpusDocuments();
  if (corpus.empty()) GTEST_SKIP() << "no corpus at " << TARNWELL_CORPUS_DIR << "; skipped";
  auto partner = Make("partner.docx", BodyCases("<w:p><w:r><w:t>Partner</w:t></w:r></w:p>")[0].xml);
  int runs = 0;
  for (size_t i = 0; i < corpus.size(); ++i) {
    if (corpus[i].extension() != ".docx") continue;
    // The corpus is read-only and a run saves both documents: work on a copy.
    auto mine = dir_ / ("corpus-" + corpus[i].filename().string());
    fs::copy_file(corpus[i], mine, fs::copy_options::overwrite_existing);
    fs::permissions(mine, fs::perms::owner_read | fs::perms::owner_write);
    const StyleType& wanted = kTypes[(i / 2) % std::size(kTypes)];
    if (i % 2 == 1) {
      ExpectCopyLeavesContent(partner, mine, wanted.choice, {MadeStyle(wanted)});
      ++runs;
      continue;
    }
    host::Document doc;
    try {
      doc = Word().GetDocuments().Open(mine.string());
    } catch (const host::HostError&) {
      continue;  // refusals are the corpus round trip's business
    }
    // The wanted type, or the next the document has a style of.
    for (size_t k = 0; k < std::size(kTypes); ++k) {
      const StyleType& t = kTypes[((i / 2) + k) % std::size(kTypes)];
      std::vector<std::string> names;
      for (const auto& s : doc.GetStyles().all()) {
        std::string name = s.NameLocal();
        if (s.Type() == t.type && name != "Table Normal" && name != "No List" && names.size() < 2)
          names.push_back(name);
      }
      if (names.empty()) continue;
      doc.Close(0);
      ExpectCopyLeavesContent(mine, partner, t.choice, names);
      ++runs;
      break;
    }
  }
  std::cout << runs << " copies with " << corpus.size() << " corpus documents left their content alone\n";
  EXPECT_GT(runs, static_cast<int>(corpus.size()) / 2);
}

// The run saves both documents before it copies, with the user's place
// marked in the active one; when it then fails, the mark must not stay in
// the file, whether the target is a document or the Normal template.
TEST_F(CopyBody, AFailedRunLeavesNoBookmarkOnDisk) {
  auto source = Make("source.docx", BodyCases("<w:p><w:r><w:t>From</w:t></w:r></w:p>")[0].xml);
  auto target = Make("target.docx", BodyCases("<w:p><w:r><w:t>To</w:t></w:r></w:p>")[0].xml);
  if (!fs::exists(dir_ / "Normal.dotx")) engine::WriteBlankDocument((dir_ / "Normal.dotx").string());
  for (bool to_normal : {false, true}) {
    SCOPED_TRACE(to_normal ? "into the Normal template" : "into a document");
    auto written = to_normal ? dir_ / "Normal.dotx" : target;
    auto source_before = UserParts(source), target_before = UserParts(written);
    GlobalOptions g;
    g.normal_template = (dir_ / "Normal.dotx").string();
    g.answering = TerminalUi::Answering::AssumeYes;
    g.faults = std::make_shared<host::FaultPlan>();
    g.faults->fail("Application.OrganizerCopy", 1, host::kErrPermissionDenied);
    CopyRequest request;
    request.source = source.string();
    request.target = to_normal ? "" : target.string();
    request.to_normal = to_normal;
    request.styles = {MadeStyle(kTypes[0])};
    std::ostringstream out, err;
    std::istringstream in;
    ASSERT_EQ(Copy(g, request, out, err, in), kExitRunFailed) << err.str();
    EXPECT_EQ(UserParts(source), source_before);
    EXPECT_EQ(UserParts(written), target_before);
    EXPECT_EQ(err.str().find("tarnwell: "), std::string::npos) << err.str();
  }
}

}  // namespace
}  // namespace tarnwell::cli
