// Times the command on a generated document shaped like a large real one
// (thousands of styles of every type, hundreds of list definitions, a body
// of about 10 MB with tables), beside a plain open and save of the same
// documents by the same engine, at a quarter, half and full size.
// Usage: tarnwell_bench_large [ROUNDS] [SCALE...]   (defaults: 3 0.25 0.5 1)

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/bench_cli.h"
#include "bench/bench_util.h"
#include "engine/engine.h"
#include "host/word.h"
#include "ooxml/package.h"

namespace fs = std::filesystem;
using tarnwell::bench::Median;
using tarnwell::bench::Millis;
using tarnwell::bench::NewWord;

namespace {

// Counts at full size.
constexpr int kParagraph = 440, kCharacter = 130, kTable = 1100, kList = 1000, kAbstract = 300;
constexpr size_t kBodyBytes = 10u << 20;

struct Shape {
  int paragraph, character, table, list, abstract;
  size_t body_bytes;
};

Shape Scaled(double s) {
  auto n = [s](int full) { return std::max(1, static_cast<int>(full * s)); };  // never none
  return {n(kParagraph), n(kCharacter), n(kTable), n(kList), n(kAbstract), static_cast<size_t>(kBodyBytes * s)};
}

std::string Attr(const std::string& name, const std::string& value) { return " w:" + name + "=\"" + value + "\""; }

std::string StyleXml(const char* type, const std::string& id, const std::string& name, const std::string& inner) {
  return "<w:style" + Attr("type", type) + Attr("styleId", id) + "><w:name" + Attr("val", name) + "/>" + inner +
         "</w:style>";
}

std::string Val(const char* element, const std::string& v) { return "<w:" + std::string(element) + Attr("val", v) + "/>"; }

std::string Styles(const Shape& s) {
  std::string x;
  for (int i = 0; i < s.paragraph; ++i) {
    std::string inner = i % 10 ? Val("basedOn", "P" + std::to_string(i - 1)) : Val("basedOn", "Normal");
    if (i + 1 < s.paragraph) inner += Val("next", "P" + std::to_string(i + 1));
    inner += "<w:pPr>";
    if (i % 7 == 0) inner += "<w:numPr>" + Val("numId", std::to_string(1 + i % s.list)) + "</w:numPr>";
    inner += "<w:spacing w:after=\"" + std::to_string(i % 12 * 20) + "\"/></w:pPr><w:rPr>" +
             Val("sz", std::to_string(18 + i % 10)) + "</w:rPr>";
    x += StyleXml("paragraph", "P" + std::to_string(i), "Para Style " + std::to_string(i), inner);
  }
  for (int i = 0; i < s.character; ++i) {
    x += StyleXml("character", "C" + std::to_string(i), "Char Style " + std::to_string(i),
                  Val("basedOn", "DefaultParagraphFont") + "<w:rPr>" + (i % 2 ? "<w:b/>" : "<w:i/>") + "</w:rPr>");
  }
  for (int i = 0; i < s.table; ++i) {
    x += StyleXml("table", "T" + std::to_string(i), "Table Style " + std::to_string(i),
                  Val("basedOn", "TableNormal") + "<w:tblPr><w:tblBorders><w:top w:val=\"single\" w:sz=\"" +
                      std::to_string(4 + i % 8) +
                      "\"/></w:tblBorders></w:tblPr><w:tblStylePr w:type=\"firstRow\"><w:rPr><w:b/></w:rPr>"
                      "</w:tblStylePr>");
  }
  for (int i = 0; i < s.list; ++i) {
    x += StyleXml("numbering", "L" + std::to_string(i), "List Style " + std::to_string(i),
                  "<w:pPr><w:numPr>" + Val("numId", std::to_string(1 + i)) + "</w:numPr></w:pPr>");
  }
  return x;
}

std::string Numbering(const Shape& s) {
  std::string x =
      "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n<w:numbering "
      "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\">";
  for (int a = 0; a < s.abstract; ++a) {
    x += "<w:abstractNum" + Attr("abstractNumId", std::to_string(a)) + ">" + Val("multiLevelType", "multilevel");
    for (int l = 0; l < 9; ++l) {
      x += "<w:lvl" + Attr("ilvl", std::to_string(l)) + ">" + Val("start", "1") +
           Val("numFmt", l % 2 ? "lowerLetter" : "decimal") + Val("lvlText", "%" + std::to_string(l + 1) + ".") +
           "<w:pPr><w:ind w:left=\"" + std::to_string(360 * (l + 1)) + "\" w:hanging=\"360\"/></w:pPr></w:lvl>";
    }
    x += "</w:abstractNum>";
  }
  for (int n = 1; n <= s.list; ++n) {
    x += "<w:num" + Attr("numId", std::to_string(n)) + ">" + Val("abstractNumId", std::to_string(n % s.abstract)) +
         "</w:num>";
  }
  return x + "</w:numbering>";
}

// Paragraphs in the generated styles, with a small table now and then.
std::string Body(const Shape& s) {
  std::string x;
  const std::string words = "The quick survey of the harbour found the old pier sound and the new one wanting. ";
  for (int i = 0; i == 0 || x.size() < s.body_bytes; ++i) {
    if (i % 40 == 39) {
      x += "<w:tbl><w:tblPr>" + Val("tblStyle", "T" + std::to_string(i % s.table)) +
           "<w:tblW w:w=\"0\" w:type=\"auto\"/></w:tblPr><w:tblGrid><w:gridCol w:w=\"3000\"/>"
           "<w:gridCol w:w=\"3000\"/><w:gridCol w:w=\"3000\"/></w:tblGrid>";
      for (int r = 0; r < 3; ++r) {
        x += "<w:tr>";
        for (int c = 0; c < 3; ++c) x += "<w:tc><w:p><w:r><w:t>cell " + std::to_string(r * 3 + c) + "</w:t></w:r></w:p></w:tc>";
        x += "</w:tr>";
      }
      x += "</w:tbl>";
    }
    x += "<w:p><w:pPr>" + Val("pStyle", "P" + std::to_string(i % s.paragraph)) + "</w:pPr><w:r><w:rPr>" +
         Val("rStyle", "C" + std::to_string(i % s.character)) + "</w:rPr><w:t xml:space=\"preserve\">" + words +
         "</w:t></w:r><w:r><w:t>" + words + words + "</w:t></w:r></w:p>";
  }
  return x;
}

// Splices the generated parts into a blank document made by the engine.
void MakeLarge(const fs::path& path, const Shape& s) {
  tarnwell::engine::WriteBlankDocument(path.string());
  auto pkg = tarnwell::ooxml::Package::Open(path.string());
  auto splice = [&](const std::string& part, const std::string& before, const std::string& what) {
    std::string x = pkg.Get(part);
    x.insert(x.rfind(before), what);
    pkg.Set(part, x);
  };
  splice("word/styles.xml", "</w:styles>", Styles(s));
  std::string document = pkg.Get("word/document.xml");
  size_t body = document.find("<w:body>") + 8;
  document.replace(body, document.find("<w:sectPr>") - body, Body(s));
  pkg.Set("word/document.xml", document);
  pkg.Set("word/numbering.xml", Numbering(s));
  splice("[Content_Types].xml", "</Types>",
         "<Override PartName=\"/word/numbering.xml\" "
         "ContentType=\"application/vnd.openxmlformats-officedocument.wordprocessingml.numbering+xml\"/>");
  splice("word/_rels/document.xml.rels", "</Relationships>",
         "<Relationship Id=\"rIdBenchNumbering\" "
         "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/numbering\" "
         "Target=\"numbering.xml\"/>");
  pkg.Save(path.string());
}

struct Bench {
  fs::path dir;
  int rounds;
  bool failed = false;

  std::string At(const std::string& name) const { return (dir / name).string(); }

  // Fresh working copies of the given originals, untimed, then the timed step.
  double Time(const std::vector<std::pair<std::string, std::string>>& copies, const std::function<void()>& step) {
    std::vector<double> ms;
    for (int r = 0; r < rounds; ++r) {
      for (const auto& [from, to] : copies) fs::copy_file(dir / from, dir / to, fs::copy_options::overwrite_existing);
      ms.push_back(Millis(step));
    }
    return Median(ms);
  }

  double Command(const std::vector<std::pair<std::string, std::string>>& copies, std::vector<std::string> args) {
    args.insert(args.begin(), {"tarnwell", "--normal", At("Normal.dotx"), "--yes"});
    return Time(copies, [&] { failed |= tarnwell::bench::RunCommand(args) != 0; });
  }

  // The least a run adds to a plain open and save: its activation pass edits
  // the end of each document's story, so reads each body; and the document
  // it returns to, the target, is saved with a bookmark at its start.
  enum class Extra { kNone, kReadBody, kBookmarkSaved };

  // The engine alone: open both, one change each so the save writes, save both.
  double Plain(const std::vector<std::pair<std::string, std::string>>& copies, Extra extra = Extra::kNone) {
    return Time(copies, [&] {
      auto word = NewWord(dir);
      for (const auto& c : copies) {
        auto doc = word.GetDocuments().Open(At(c.second));
        if (extra != Extra::kNone) (void)doc.ref().call("Range").as_object()->get("End");
        if (extra == Extra::kBookmarkSaved && &c == &copies.front()) {
          doc.ref().get("Bookmarks").as_object()->call("Add", {"ReturnHereQQQ", doc.ref().call("Range", {0, 0})});
        }
        doc.GetStyles().Item("Normal").SetBaseStyle("");
        doc.SaveAs(At("saved-" + c.second));
      }
    });
  }
};

void Row(const char* what, double ms, double base) {
  std::printf("  %-34s %9.1f ms  %5.2f x\n", what, ms, base > 0 ? ms / base : 0.0);
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
  std::vector<double> scales;
  for (int i = 2; i < argc; ++i) scales.push_back(std::atof(argv[i]));
  if (scales.empty()) scales = {0.25, 0.5, 1.0};

  Bench b{tarnwell::bench::BenchFolder("tarnwell-bench-large"), rounds};
  tarnwell::engine::WriteBlankDocument(b.At("Normal.dotx"));
  // One style of each type and a one-paragraph body.
  MakeLarge(b.dir / "small0.docx", Scaled(0));

  std::printf("medians of %d rounds; ratios to the plain open and save of the same two documents\n", rounds);
  for (double scale : scales) {
    Shape s = Scaled(scale);
    MakeLarge(b.dir / "large0.docx", s);
    std::printf("size %.2f: %d paragraph, %d character, %d table, %d list styles, %d list definitions, %.1f MB body\n",
                scale, s.paragraph, s.character, s.table, s.list, s.abstract, s.body_bytes / 1048576.0);
    const std::vector<std::pair<std::string, std::string>> large_small{{"large0.docx", "large.docx"},
                                                                       {"small0.docx", "small.docx"}};
    const std::vector<std::pair<std::string, std::string>> large_large{{"large0.docx", "large.docx"},
                                                                       {"large0.docx", "large2.docx"}};
    const std::vector<std::pair<std::string, std::string>> large_only{{"large0.docx", "large.docx"}};
    double plain_one = b.Plain(large_only);
    double plain_pair = b.Plain(large_small);
    double plain_two = b.Plain(large_large);
    Row("open and save the large one", plain_one, plain_one);
    Row("open and save large + small", plain_pair, plain_pair);
    Row("open and save large + large", plain_two, plain_two);
    Row("least of a run: read both bodies", b.Plain(large_small, Bench::Extra::kReadBody), plain_pair);
    Row("  and the large one's bookmark saved", b.Plain(large_small, Bench::Extra::kBookmarkSaved), plain_pair);
    Row("open (docs)", b.Command(large_only, {"docs", b.At("large.docx")}), plain_one);
    Row("enumerate (styles --type Paragraph)",
        b.Command(large_only, {"styles", "--type", "Paragraph", b.At("large.docx")}), plain_one);
    Row("inspect", b.Command(large_only, {"inspect", b.At("large.docx")}), plain_one);
    // The one style both documents have.
    std::vector<std::string> one{"--deps", "none", "-s", "Para Style 0"};
    auto copy = [&](const std::string& from, const std::string& to, std::vector<std::string> rest) {
      rest.insert(rest.begin(), {"copy", b.At(from), b.At(to)});
      return rest;
    };
    Row("one style, --deps none, as source", b.Command(large_small, copy("large.docx", "small.docx", one)),
        plain_pair);
    Row("one style, --deps none, as target", b.Command(large_small, copy("small.docx", "large.docx", one)),
        plain_pair);
    std::vector<std::string> every{"--deps", "none"};
    for (int i = 0; i < s.paragraph; ++i) every.insert(every.end(), {"-s", "Para Style " + std::to_string(i)});
    Row("every paragraph style, as source", b.Command(large_small, copy("large.docx", "small.docx", every)),
        plain_pair);
    Row("every paragraph style, as target", b.Command(large_large, copy("large2.docx", "large.docx", every)),
        plain_two);
    if (b.failed) return 1;
  }
  // Kept on request, to profile single commands on the generated documents.
  if (std::getenv("TARNWELL_BENCH_KEEP")) {
    std::printf("documents kept in %s\n", b.dir.c_str());
  } else {
    fs::remove_all(b.dir);
  }
  return 0;
}
