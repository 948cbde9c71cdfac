#pragma once
// Shared by the engine's tests: a scratch folder, documents with chosen
// styles, and error capture.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>
#include <unistd.h>

#include "engine/application.h"
#include "engine/builtin_styles.h"
#include "engine/document_model.h"
#include "engine/numbering.h"
#include "engine/styles.h"
#include "host/host_error.h"
#include "host/word.h"

namespace tarnwell::engine::testing {

namespace fs = std::filesystem;

inline int32_t ErrorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const host::HostError& e) {
    return e.number();
  }
  return 0;
}

// The error f raises; a failure of the test when it raises none.
inline host::HostError RaisedBy(const std::function<void()>& f) {
  try {
    f();
  } catch (const host::HostError& e) {
    return e;
  }
  ADD_FAILURE() << "no error raised";
  return host::HostError(0, "");
}

inline constexpr const char* kStylesOpen =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
    "<w:styles xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\">";

inline constexpr const char* kNumberingOpen =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
    "<w:numbering xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\">";

// Heading numbering as Word writes it: one named outline template whose
// first two levels are linked to Heading 1 and Heading 2.
inline constexpr const char* kHeadingStyles =
    "<w:style w:type=\"paragraph\" w:default=\"1\" w:styleId=\"Normal\"><w:name w:val=\"Normal\"/></w:style>"
    "<w:style w:type=\"paragraph\" w:styleId=\"Heading1\"><w:name w:val=\"heading 1\"/><w:basedOn w:val=\"Normal\"/>"
    "<w:pPr><w:numPr><w:numId w:val=\"1\"/></w:numPr></w:pPr></w:style>"
    "<w:style w:type=\"paragraph\" w:styleId=\"Heading2\"><w:name w:val=\"heading 2\"/><w:basedOn w:val=\"Normal\"/>"
    "<w:pPr><w:numPr><w:ilvl w:val=\"1\"/><w:numId w:val=\"1\"/></w:numPr></w:pPr></w:style>"
    "<w:style w:type=\"paragraph\" w:styleId=\"Plain\"><w:name w:val=\"Plain\"/></w:style>";
inline constexpr const char* kHeadingNumbering =
    "<w:abstractNum w:abstractNumId=\"0\"><w:multiLevelType w:val=\"multilevel\"/><w:name w:val=\"Headings\"/>"
    "<w:lvl w:ilvl=\"0\"><w:start w:val=\"1\"/><w:numFmt w:val=\"upperRoman\"/><w:pStyle w:val=\"Heading1\"/>"
    "<w:lvlText w:val=\"%1.\"/><w:lvlJc w:val=\"left\"/><w:pPr><w:ind w:left=\"720\" w:hanging=\"360\"/></w:pPr>"
    "<w:rPr><w:b/><w:color w:val=\"FF0000\"/><w:sz w:val=\"28\"/><w:u w:val=\"double\" w:color=\"0000FF\"/>"
    "<w:vertAlign w:val=\"superscript\"/></w:rPr></w:lvl>"
    "<w:lvl w:ilvl=\"1\"><w:start w:val=\"3\"/><w:numFmt w:val=\"lowerLetter\"/><w:lvlRestart w:val=\"0\"/>"
    "<w:pStyle w:val=\"Heading2\"/><w:suff w:val=\"space\"/><w:lvlText w:val=\"%1.%2\"/><w:lvlJc w:val=\"right\"/>"
    "<w:pPr><w:tabs><w:tab w:val=\"num\" w:pos=\"1080\"/></w:tabs><w:ind w:left=\"1440\" w:firstLine=\"0\"/></w:pPr>"
    "</w:lvl></w:abstractNum><w:num w:numId=\"1\"><w:abstractNumId w:val=\"0\"/></w:num>";

inline std::string Replace(std::string s, const std::string& from, const std::string& to) {
  for (size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size())) s.replace(at, from.size(), to);
  return s;
}

// Style references that point at nothing, as "style child -> id".
inline std::vector<std::string> Dangling(DocumentModel& m) {
  std::vector<std::string> out;
  StyleSheet& s = m.styles();
  for (size_t i = 0; i < s.count(); ++i) {
    pugi::xml_node st = s.at(i);
    for (const char* child : {"basedOn", "next", "link"}) {
      std::string ref = s.reference(st, child);
      if (!ref.empty() && !s.by_id(ref)) out.push_back(s.id(st) + " " + child + " -> " + ref);
    }
    std::string num = st.child(s.q("pPr").c_str()).child(s.q("numPr").c_str()).child(s.q("numId").c_str())
                          .attribute(s.q("val").c_str()).value();
    if (!num.empty() && num != "0" && !m.numbering().abstract_for_num(num)) {
      out.push_back(s.id(st) + " numId -> " + num);
    }
  }
  return out;
}

// Styles written before the style they are based on.
inline std::vector<std::string> BeforeTheirBases(StyleSheet& s) {
  std::vector<std::string> out, seen;
  for (size_t i = 0; i < s.count(); ++i) {
    std::string base = s.reference(s.at(i), "basedOn");
    if (!base.empty() && s.by_id(base) && std::find(seen.begin(), seen.end(), base) == seen.end()) {
      out.push_back(s.id(s.at(i)) + " before " + base);
    }
    seen.push_back(s.id(s.at(i)));
  }
  return out;
}

// A folder of its own for each test, removed afterwards.
class EngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = fs::temp_directory_path() /
           ("tw-engine-" + std::to_string(::getpid()) + "-" + info->test_suite_name() + "-" + info->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    options_.normal_template = (dir_ / "Normal.dotm").string();
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }
  std::string WriteBlank(const std::string& name) const {
    WriteBlankDocument(Path(name));
    return Path(name);
  }

  host::Application Word() {
    if (!app_) app_ = Application::Create(options_);
    return host::Application(app_);
  }

  // A blank document whose styles part holds body (w:style elements and
  // anything else) after the blank's own docDefaults.
  std::string WriteWithStyles(const std::string& name, const std::string& body) {
    auto pkg = BlankPackage(name);
    pkg.Set("word/styles.xml", std::string(kStylesOpen) + body + "</w:styles>");
    pkg.Save(Path(name));
    return Path(name);
  }

  // As WriteWithStyles, with a numbering part holding numbering (w:abstractNum
  // and w:num elements).
  std::string WriteWithNumbering(const std::string& name, const std::string& styles, const std::string& numbering) {
    auto pkg = BlankPackage(name);
    pkg.Set("word/styles.xml", std::string(kStylesOpen) + styles + "</w:styles>");
    DocumentModel model(std::move(pkg), "", name, false);
    model.add_related_part("word/numbering.xml", kRelNumbering, kCtNumbering,
                           std::string(kNumberingOpen) + numbering + "</w:numbering>");
    model.write(Path(name));
    return Path(name);
  }

  static std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  Options options_;
  std::shared_ptr<Application> app_;
  fs::path dir_;
};

// Bodies as documents come: one ending in a paragraph, and the ones whose
// story lacks a last paragraph outside any table (Word's own files always
// have one). para is the paragraph put in the body and in each cell.
struct BodyCase {
  const char* name;
  std::string xml;  // what w:body holds
};
inline std::vector<BodyCase> BodyCases(const std::string& para) {
  const std::string section = "<w:sectPr><w:pgSz w:w=\"12240\" w:h=\"15840\"/></w:sectPr>";
  auto table = [](const std::string& cell) {
    return "<w:tbl><w:tblGrid><w:gridCol w:w=\"4000\"/></w:tblGrid><w:tr><w:tc>" + cell + "</w:tc></w:tr></w:tbl>";
  };
  return {
      {"a paragraph", para + section},
      {"a table before the section", "<w:p/>" + table(para) + section},
      {"a table, a bookmark end and a proofing mark",
       "<w:p><w:bookmarkStart w:id=\"7\" w:name=\"All\"/></w:p>" + table(para) +
           "<w:bookmarkEnd w:id=\"7\"/><w:proofErr w:type=\"gramEnd\"/>" + section},
      {"a nested table in the last cell", table(table(para) + "<w:p/>")},
      {"only a section", section},
      {"nothing", ""},
  };
}

inline std::string DocumentXml(const std::string& body) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
         "<w:document xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"><w:body>" +
         body + "</w:body></w:document>";
}

// Every Word package under the corpus folder, sorted; none when it is absent.
inline std::vector<fs::path> CorpusDocuments() {
  std::vector<fs::path> files;
  fs::path root = TARNWELL_CORPUS_DIR;
  if (!fs::is_directory(root)) return files;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    std::string ext = Lower(entry.path().extension().string());
    if (entry.is_regular_file() && (ext == ".docx" || ext == ".dotx" || ext == ".docm" || ext == ".dotm")) {
      files.push_back(entry.path());
    }
  }
  std::sort(files.begin(), files.end());
  return files;
}

// Tests over the corpus, skipped with a message when it is absent.
class CorpusTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    files_ = CorpusDocuments();
    if (files_.empty()) GTEST_SKIP() << "no corpus at " << TARNWELL_CORPUS_DIR;
  }
  std::vector<fs::path> files_;
};

}  // namespace tarnwell::engine::testing
