// End to end: `tarnwell copy` on documents our code makes and on the corpus,
// checked in the target's XML.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>

#include <pugixml.hpp>

#include "cli/app.h"
#include "cli/test_support.h"
#include "engine/test_support.h"
#include "ooxml/package.h"
#include "ooxml/xml.h"

namespace tarnwell::cli {
namespace {

namespace fs = std::filesystem;

using testing::Result;

// A document's styles part, with each style's definition written with
// names in place of the ids its references use.
class StylesXml {
 public:
  explicit StylesXml(const fs::path& file) : file_(file.string()) {
    auto package = ooxml::Package::Open(file_);
    if (package.Has("word/styles.xml")) ooxml::LoadXml(doc_, package.Get("word/styles.xml"), file_, "styles");
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
    engine::DocumentModel model(ooxml::Package::Open(file_), file_, "", true);
    return engine::testing::Dangling(model);
  }

 private:
  std::string file_;
  pugi::xml_document doc_;
  std::map<std::string, std::string> names_;
};

class CopyCommand : public testing::CommandTest {
 protected:
  void SetUp() override {
    CommandTest::SetUp();
    ASSERT_EQ(Tarnwell({"example", dir_.string()}).code, kExitDone);
  }
};

TEST_F(CopyCommand, CopiesTheChosenStylesWithWhatTheyDependOn) {
  // Global options stand where users put them, after the command too.
  auto r = Tarnwell({"copy", (dir_ / "source.docx").string(), (dir_ / "target.docx").string(), "-s",
                           "Report Quote", "--yes", "--word-version", "03", "--verbose"});
  ASSERT_EQ(r.code, kExitDone) << r.err;
  EXPECT_NE(r.err.find("Done: Copying complete."), std::string::npos);
  // Verbose tells the Word calls that matter.
  for (const char* step : {"Word: the organizer copies a style", "Word: saves a document",
                           "Word: the activation pass adds its scratch paragraph", "Copying style:  Report Quote"})
    EXPECT_NE(r.err.find(step), std::string::npos) << step;
  EXPECT_EQ(r.out,
            "Copied (with the styles they depend on, as confirmed):\n  Report Quote\n  Normal  overwritten\n"
            "  Report Body  overwritten\n  Report Quote Source\nWritten: " + (dir_ / "target.docx").string() + "\n");
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

TEST_F(CopyCommand, RefusalsAndCancelsExitWithOne) {
  auto source = (dir_ / "source.docx").string(), target = (dir_ / "target.docx").string();
  auto before = StylesXml(dir_ / "target.docx").Styles().size();
  // Nobody to answer "Save documents?": cancelled, nothing written.
  EXPECT_EQ(Tarnwell({"copy", source, target, "-s", "Report Quote"}).code, kExitRefused);
  EXPECT_EQ(StylesXml(dir_ / "target.docx").Styles().size(), before);
  // The same document both ways.
  auto same = Tarnwell({"--yes", "copy", source, source, "-s", "Report Quote"});
  EXPECT_EQ(same.code, kExitRefused);
  EXPECT_NE(same.err.find("Sorry...: You can't copy to the same document."), std::string::npos) << same.err;
  EXPECT_EQ(Tarnwell({"--yes", "copy", source, "-s", "Report Quote"}).code, kExitUsage);
  // A style that is not listed gets a pointer to what was meant.
  const std::pair<std::vector<std::string>, std::string> unlisted[] = {
      {{"-s", "Key Term"}, "it is a Character style: add --type Character"},
      {{"-s", "Report Qoute"}, "did you mean \"Report Quote\"?"},
      {{"-s", "Nothing Like It"}, "'tarnwell styles " + source + " --type Paragraph' lists them"},
  };
  for (const auto& [style, answer] : unlisted) {
    std::vector<std::string> args{"--yes", "copy", source, target};
    args.insert(args.end(), style.begin(), style.end());
    auto r = Tarnwell(args);
    EXPECT_EQ(r.code, kExitRefused) << style[1];
    EXPECT_NE(r.err.find(answer), std::string::npos) << r.err;
  }
}

TEST_F(CopyCommand, OptionsStandAnywhereAndTakeOneStyleEach) {
  auto r = Tarnwell({"copy", "--style", "Key Term", "-s", "Key Term Strong", (dir_ / "source.docx").string(),
                           (dir_ / "target.docx").string(), "--type", "character", "-q", "--yes"});
  ASSERT_EQ(r.code, kExitDone) << r.err;
  StylesXml target(dir_ / "target.docx");
  EXPECT_TRUE(target.ByName("Key Term"));
  EXPECT_TRUE(target.ByName("Key Term Strong"));
  EXPECT_EQ(r.out, "") << "--quiet prints only errors";
  EXPECT_EQ(r.err, "");
}

TEST_F(CopyCommand, DependenciesAreDeclinedOrAskedOneByOneOnATerminal) {
  auto source = (dir_ / "source.docx").string(), target = (dir_ / "target.docx").string();
  // "Report Quote" is based on "Report Body", in turn on "Normal", and is
  // followed by "Report Quote Source"; the target has the first two.
  const char* const kAll = "  Report Quote\n  Normal  overwritten\n  Report Body  overwritten\n  Report Quote Source\n";
  const char* const kNone = "  Report Quote\nDeclined: Normal\nDeclined: Report Body\nDeclined: Report Quote Source\n";
  struct Case {
    const char* deps;
    const char* typed;  // on a terminal, after "ok" to "Save documents?"; nullptr: --yes
    int code;
    const char* said;  // in the summary, or on stderr
  };
  const Case cases[] = {
      {"none", nullptr, kExitDone, kNone},
      {"ask", nullptr, kExitDone, "--deps ask: --yes, so every style offered is taken (3)"},
      {"ask", "y\nn\ny\n", kExitDone, "  Report Quote\n  Normal  overwritten\n  Report Quote Source\nDeclined: Report Body\n"},
      {"ask", "huh?\nd\n", kExitDone, kNone},
      {"ask", "\n\na\n", kExitDone, kAll},
      {"ask", "y\nq\n", kExitRefused, ""},
      {"ask", "y\n", kExitRefused, ""},  // end of input: the dialog's Cancel
  };
  const auto pristine = dir_ / "pristine.docx";
  fs::copy_file(target, pristine);
  for (const auto& c : cases) {
    fs::copy_file(pristine, target, fs::copy_options::overwrite_existing);
    std::vector<std::string> args{"copy", source, target, "-s", "Report Quote", "--deps", c.deps};
    if (!c.typed) args.push_back("--yes");
    auto r = Tarnwell(args, c.typed ? std::string("ok\n") + c.typed : "", c.typed != nullptr);
    const std::string trace = std::string(c.deps) + " " + (c.typed ? c.typed : "--yes");
    EXPECT_EQ(r.code, c.code) << trace << r.err;
    EXPECT_NE((r.out + r.err).find(c.said), std::string::npos) << trace << r.out << r.err;
    StylesXml to(target);
    EXPECT_EQ(!!to.ByName("Report Quote"), c.code == kExitDone) << trace;
    // The organizer must not bring a declined follow-on either.
    if (c.said == kNone) {
      EXPECT_FALSE(to.ByName("Report Quote Source")) << trace;
    }
    EXPECT_TRUE(to.Dangling().empty()) << trace;
  }
}

void MakeReadOnly(const fs::path& file) { fs::permissions(file, fs::perms::owner_read | fs::perms::group_read); }

TEST_F(CopyCommand, EachSaveAsPathGoesToItsOwnDocumentAndTheClosingLineNamesTheFileWritten) {
  auto source = dir_ / "source.docx", target = dir_ / "target.docx";
  for (bool source_read_only : {true, false}) {
    SCOPED_TRACE(source_read_only ? "source read-only" : "target read-only");
    fs::remove(source);
    fs::remove(target);
    ASSERT_EQ(Tarnwell({"example", dir_.string()}).code, kExitDone);
    MakeReadOnly(source_read_only ? source : target);
    auto new_source = dir_ / "new-source.docx", new_target = dir_ / "new-target";  // the extension is added
    fs::remove(new_source);
    fs::remove(dir_ / "new-target.docx");
    auto r = Tarnwell({"--yes", "copy", source.string(), target.string(), "-s", "Report Quote",
                             "--save-source-as", new_source.string(), "--save-target-as", new_target.string()});
    ASSERT_EQ(r.code, kExitDone) << r.err;
    const fs::path written = source_read_only ? new_source : dir_ / "new-target.docx";
    const fs::path unused = source_read_only ? dir_ / "new-target.docx" : new_source;
    ASSERT_TRUE(fs::exists(written));
    EXPECT_FALSE(fs::exists(unused)) << "the other document's path is not taken";
    EXPECT_EQ(StylesXml(written).ByName("Letter Closing").empty(), source_read_only) << "its own document's content";
    EXPECT_NE(r.err.find(std::string(source_read_only ? "--save-target-as" : "--save-source-as") + " was not used"),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.out.find("Written: " + (source_read_only ? target : written).string() + "\n"), std::string::npos)
        << r.out;
    fs::permissions(source_read_only ? source : target, fs::perms::owner_all);
  }
}

TEST_F(CopyCommand, ASaveAsNeverReplacesAnotherOpenDocumentAndAFileOnlyWhenTheUserAgrees) {
  auto source = dir_ / "source.docx", target = dir_ / "target.docx", taken = dir_ / "home" / "taken.docx";
  fs::copy_file(source, taken);
  MakeReadOnly(target);
  auto run = [&](const std::string& save_as, const std::string& typed, bool terminal) {
    std::vector<std::string> args{"copy", source.string(), target.string(), "-s", "Report Quote", "--save-target-as",
                                  save_as};
    if (!terminal) args.push_back("--yes");
    return Tarnwell(args, typed, terminal);
  };
  // Word refuses the source's file; with nobody to ask again the run ends.
  auto refused = run(source.string(), "", false);
  EXPECT_EQ(refused.code, kExitRefused);
  EXPECT_NE(refused.err.find("Invalid filename: " + source.string()), std::string::npos) << refused.err;
  EXPECT_FALSE(StylesXml(source).ByName("Letter Closing"));
  // An existing file: "no" to replacing it, then no other name.
  auto declined = run("~/taken", "ok\nn\n\n", true);
  EXPECT_EQ(declined.code, kExitRefused);
  EXPECT_NE(declined.err.find(taken.string() + " already exists."), std::string::npos) << declined.err;
  EXPECT_FALSE(StylesXml(taken).ByName("Letter Closing")) << "kept as it was";
  // Refused, then another name typed on the terminal.
  auto other = dir_ / "other.docx";
  auto asked = run(source.string(), "ok\nok\n" + other.string() + "\n", true);
  ASSERT_EQ(asked.code, kExitDone) << asked.err;
  EXPECT_TRUE(StylesXml(other).ByName("Report Quote"));
  EXPECT_FALSE(StylesXml(source).ByName("Letter Closing"));
  auto agreed = run("~/taken", "", false);
  ASSERT_EQ(agreed.code, kExitDone) << agreed.err;
  EXPECT_TRUE(StylesXml(taken).ByName("Letter Closing"));
  EXPECT_NE(agreed.out.find("Written: " + taken.string() + "\n"), std::string::npos) << agreed.out;
  fs::permissions(target, fs::perms::owner_all);
}

TEST_F(CopyCommand, IntoTheNormalTemplate) {
  auto r = Tarnwell({"--yes", "copy", "--to-normal", (dir_ / "source.docx").string(), "-s", "Report Lead"});
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
    auto listed = Tarnwell({"styles", source.string()});
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
    auto r = Tarnwell(args);
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
