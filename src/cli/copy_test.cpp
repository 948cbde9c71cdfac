// End to end: `tarnwell copy` on documents our code makes and on the corpus,
// checked in the target's XML.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include <pugixml.hpp>

#include "cli/app.h"
#include "cli/test_support.h"
#include "ooxml/package.h"
#include "ooxml/xml.h"

namespace tarnwell::cli {
namespace {

namespace fs = std::filesystem;

using testing::Result;

Result Tarnwell(const fs::path& dir, std::vector<std::string> args) { return testing::RunTarnwell(dir, args); }

// A document's styles part, with each style's definition written with
// names in place of the ids its references use.
class StylesXml {
 public:
  explicit StylesXml(const fs::path& file) {
    auto package = ooxml::Package::Open(file.string());
    if (package.Has("word/styles.xml")) ooxml::LoadXml(doc_, package.Get("word/styles.xml"), file.string(), "styles");
    if (package.Has("word/numbering.xml"))
      ooxml::LoadXml(numbering_, package.Get("word/numbering.xml"), file.string(), "numbering");
    for (auto s : Styles()) names_[s.attribute("w:styleId").value()] = s.child("w:name").attribute("w:val").value();
  }

  std::vector<pugi::xml_node> Styles() const {
    std::vector<pugi::xml_node> out;
    for (auto s : doc_.document_element().children("w:style")) out.push_back(s);
    return out;
  }

  pugi::xml_node ByName(const std::string& name) const {
    for (auto s : Styles())
      if (name == s.child("w:name").attribute("w:val").value()) return s;
    return {};
  }

  // The definition with references by name and without the id and the
  // numbering instance (whose number differs from document to document).
  // Given the document it was copied into, without a linked partner that
  // document lacks: the organizer drops those.
  std::string Definition(const std::string& name, const StylesXml* copied_into = nullptr) const {
    pugi::xml_document copy;
    copy.append_copy(ByName(name));
    auto s = copy.first_child();
    s.remove_attribute("w:styleId");
    // A reference to nothing reads as none, as Word reads it; a style that
    // follows itself says so with or without a w:next.
    std::string own = s.child("w:name").attribute("w:val").value();
    for (const char* ref : {"w:basedOn", "w:next", "w:link"}) {
      auto r = s.child(ref);
      if (!r) continue;
      auto it = names_.find(r.attribute("w:val").value());
      if (it == names_.end() || (std::string(ref) == "w:next" && it->second == own) ||
          (std::string(ref) == "w:link" && copied_into && !copied_into->ByName(it->second))) {
        s.remove_child(r);
      } else {
        r.attribute("w:val").set_value(it->second.c_str());
      }
    }
    // Links to numbering are the list-template phases' business (the
    // activation pass unlinks styles without a list template in the source);
    // Dangling() checks that what was brought resolves.
    if (auto ppr = s.child("w:pPr")) ppr.remove_child("w:numPr");
    std::ostringstream os;
    copy.save(os, "", pugi::format_raw | pugi::format_no_declaration);
    return os.str();
  }

  // Every reference a style makes leads somewhere.
  std::vector<std::string> Dangling() const {
    std::vector<std::string> out;
    std::set<std::string> nums, abstracts;
    for (auto n : numbering_.document_element().children("w:num")) nums.insert(n.attribute("w:numId").value());
    for (auto a : numbering_.document_element().children("w:abstractNum"))
      abstracts.insert(a.attribute("w:abstractNumId").value());
    for (auto n : numbering_.document_element().children("w:num"))
      if (!abstracts.count(n.child("w:abstractNumId").attribute("w:val").value()))
        out.push_back(std::string("num ") + n.attribute("w:numId").value());
    for (auto s : Styles()) {
      std::string id = s.attribute("w:styleId").value();
      for (const char* ref : {"w:basedOn", "w:next", "w:link"})
        if (auto r = s.child(ref); r && !names_.count(r.attribute("w:val").value()))
          out.push_back(id + " " + ref + " " + r.attribute("w:val").value());
      if (auto num = s.child("w:pPr").child("w:numPr").child("w:numId")) {
        std::string n = num.attribute("w:val").value();
        if (n != "0" && !nums.count(n)) out.push_back(id + " numId " + n);
      }
    }
    return out;
  }

 private:
  std::string NameOf(const std::string& id) const {
    auto it = names_.find(id);
    return it == names_.end() ? "?" + id : it->second;
  }
  pugi::xml_document doc_, numbering_;
  std::map<std::string, std::string> names_;
};

class CopyCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = testing::TestHome("tw-copy");
    ASSERT_EQ(Tarnwell(dir_, {"example", dir_.string()}).code, kExitDone);
  }
  void TearDown() override { fs::remove_all(dir_); }

  fs::path dir_;
};

TEST_F(CopyCommand, CopiesTheChosenStylesWithWhatTheyDependOn) {
  auto r = Tarnwell(dir_, {"--yes", "copy", (dir_ / "source.docx").string(), (dir_ / "target.docx").string(), "-s",
                           "Report Quote"});
  ASSERT_EQ(r.code, kExitDone) << r.err;
  EXPECT_NE(r.err.find("Done: Copying complete."), std::string::npos);
  StylesXml source(dir_ / "source.docx"), target(dir_ / "target.docx");
  // The chosen style, its base, and the follow-on chain.
  for (const char* name : {"Report Quote", "Report Body", "Report Quote Source"})
    EXPECT_EQ(target.Definition(name), source.Definition(name)) << name;
  EXPECT_FALSE(target.ByName("Report Title")) << "not chosen and not depended on";
  EXPECT_TRUE(target.ByName("Letter Closing")) << "the target's own styles stay";
  EXPECT_TRUE(target.Dangling().empty());
  // No scratch document is left behind.
  std::vector<std::string> left;
  for (auto& e : fs::directory_iterator(dir_ / "home" / "Documents")) left.push_back(e.path().filename().string());
  EXPECT_EQ(left, std::vector<std::string>{"notes.txt"});
}

TEST_F(CopyCommand, DependenciesCanBeDeclined) {
  auto r = Tarnwell(dir_, {"--yes", "copy", "--deps", "none", (dir_ / "source.docx").string(),
                           (dir_ / "target.docx").string(), "-s", "Report Subtitle"});
  ASSERT_EQ(r.code, kExitDone) << r.err;
  StylesXml target(dir_ / "target.docx");
  EXPECT_TRUE(target.ByName("Report Subtitle"));
  EXPECT_NE(r.err.find("Copying style:  Report Subtitle\n"), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find("Copying style:  Report Lead\n"), std::string::npos) << "the follow-on was declined";
  EXPECT_FALSE(target.ByName("Report Lead")) << "nor brought by the organizer";
  EXPECT_TRUE(target.Dangling().empty());
}

TEST_F(CopyCommand, RefusalsAndCancelsExitWithOne) {
  auto source = (dir_ / "source.docx").string(), target = (dir_ / "target.docx").string();
  auto before = StylesXml(dir_ / "target.docx").Styles().size();
  // Nobody to answer "Save documents?": cancelled, nothing written.
  EXPECT_EQ(Tarnwell(dir_, {"copy", source, target, "-s", "Report Quote"}).code, kExitRefused);
  EXPECT_EQ(StylesXml(dir_ / "target.docx").Styles().size(), before);
  // The same document both ways.
  auto same = Tarnwell(dir_, {"--yes", "copy", source, source, "-s", "Report Quote"});
  EXPECT_EQ(same.code, kExitRefused);
  EXPECT_NE(same.err.find("Sorry...: You can't copy to the same document."), std::string::npos) << same.err;
  EXPECT_EQ(Tarnwell(dir_, {"--yes", "copy", source, target, "-s", "No Such Style"}).code, kExitRefused);
  EXPECT_EQ(Tarnwell(dir_, {"--yes", "copy", source, "-s", "Report Quote"}).code, kExitUsage);
}

TEST_F(CopyCommand, IntoTheNormalTemplate) {
  auto r = Tarnwell(dir_, {"--yes", "copy", "--to-normal", (dir_ / "source.docx").string(), "-s", "Report Lead"});
  ASSERT_EQ(r.code, kExitDone) << r.err;
  StylesXml normal(dir_ / "Normal.dotx");
  EXPECT_TRUE(normal.ByName("Report Lead"));
  EXPECT_TRUE(normal.Dangling().empty());
}

TEST_F(CopyCommand, CorpusStylesCopyIntoABlankDocument) {
  fs::path corpus = TARNWELL_CORPUS_DIR;
  if (!fs::is_directory(corpus)) GTEST_SKIP() << "no corpus at " << corpus << "; skipped";
  int copied = 0;
  for (const auto& entry : fs::recursive_directory_iterator(corpus)) {
    if (entry.path().extension() != ".docx") continue;
    // The corpus is read-only and the run saves its source: work on a copy.
    auto source = dir_ / ("src-" + entry.path().filename().string());
    auto target = dir_ / ("tgt-" + entry.path().filename().string());
    fs::copy_file(entry.path(), source, fs::copy_options::overwrite_existing);
    fs::permissions(source, fs::perms::owner_read | fs::perms::owner_write);
    fs::copy_file(dir_ / "target.docx", target, fs::copy_options::overwrite_existing);
    auto listed = Tarnwell(dir_, {"styles", source.string()});
    std::istringstream names(listed.out);
    std::vector<std::string> args{"--yes", "copy", source.string(), target.string()};
    std::string name;
    std::vector<std::string> chosen;
    while (std::getline(names, name) && chosen.size() < 4) {
      if (name == "Normal") continue;
      chosen.push_back(name);
      args.push_back("-s");
      args.push_back(name);
    }
    if (chosen.empty()) continue;
    auto r = Tarnwell(dir_, args);
    ASSERT_EQ(r.code, kExitDone) << entry.path() << ": " << r.err;
    StylesXml from(source), to(target);
    for (const auto& c : chosen) EXPECT_EQ(to.Definition(c), from.Definition(c, &to)) << entry.path() << " " << c;
    EXPECT_TRUE(to.Dangling().empty()) << entry.path() << ": " << to.Dangling().front();
    ++copied;
  }
  EXPECT_GT(copied, 0);
}

}  // namespace
}  // namespace tarnwell::cli
