#include "fuzz/targets.h"

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "engine/document_model.h"
#include "engine/numbering.h"
#include "engine/organizer.h"
#include "engine/styles.h"
#include "host/host_error.h"
#include "host/word.h"

namespace tarnwell::fuzz {

namespace {

// The package reader takes a path; a per-process file on a memory-backed
// folder keeps the cost of each input small.
std::string ScratchPath(const char* ext) {
  static const std::string folder = [] {
    const char* shm = "/dev/shm";
    return std::string(access(shm, W_OK) == 0 ? shm : "/tmp");
  }();
  return folder + "/tarnwell-fuzz-" + std::to_string(getpid()) + ext;
}

void WriteFile(const std::string& path, std::string_view bytes) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string_view Bytes(const uint8_t* data, size_t size) { return {reinterpret_cast<const char*>(data), size}; }

// A blank document with only "Normal" defined: Word's full blank style sheet
// would dominate the cost of each input without reaching more code.
const ooxml::Package& SmallBlank() {
  static const ooxml::Package blank = [] {
    auto p = engine::BlankPackage("blank.docx");
    p.Set("word/styles.xml",
          "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
          "<w:styles xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\">"
          "<w:style w:type=\"paragraph\" w:default=\"1\" w:styleId=\"Normal\"><w:name w:val=\"Normal\"/></w:style>"
          "</w:styles>");
    return p;
  }();
  return blank;
}

std::shared_ptr<engine::DocumentModel> OpenDocument(ooxml::Package package) {
  return std::make_shared<engine::DocumentModel>(std::move(package), "", "Fuzz", false);
}

// What `inspect` reads of every style, read straight from the style sheet.
void ReadEveryStyle(engine::DocumentModel& doc) {
  auto& sheet = doc.styles();
  for (size_t i = 0; i < sheet.count(); ++i) {
    auto style = sheet.at(i);
    (void)sheet.display_name(style);
    (void)sheet.kind(style);
    for (const char* ref : {"basedOn", "next", "link"}) {
      auto id = sheet.reference(style, ref);
      if (!id.empty()) (void)sheet.by_id(id);
    }
    (void)engine::StyleNumId(doc, style);
  }
}

// Carries the named styles into a blank document and writes the result, as
// a copy run's organizer step would.
void CopyStyles(engine::DocumentModel& source, const std::vector<std::string>& names) {
  auto target = OpenDocument(SmallBlank());
  for (const auto& name : names) {
    try {
      engine::OrganizerCopyStyle(source, *target, name);
    } catch (const host::HostError&) {
    }
  }
  // What a save would write of them, without the zip's deflate, which
  // would cost more than everything else here.
  for (const char* part : {"styles", "numbering"}) {
    auto name = target->related_part(part);
    if (name.empty()) continue;
    std::ostringstream xml;
    target->xml(name).save(xml, "", pugi::format_raw);
  }
}

template <typename F>
void Guarded(F&& f) {
  try {
    f();
  } catch (const host::HostError&) {
    // A refused input is the expected outcome for most of them.
  }
}

}  // namespace

void FuzzPackage(const uint8_t* data, size_t size) {
  auto path = ScratchPath(".docx");
  WriteFile(path, Bytes(data, size));
  Guarded([&] {
    auto package = ooxml::Package::Open(path);
    for (const auto& name : package.Names()) (void)package.Get(name);
    (void)package.MainPart();
    (void)package.Related(package.MainPart(), "styles");
    (void)package.Serialize();
  });
  std::remove(path.c_str());
}

void FuzzStyles(const uint8_t* data, size_t size) {
  // Built once: making a blank document costs far more than reading one.
  static const ooxml::Package blank = engine::BlankPackage("fuzz.docx");
  Guarded([&] {
    auto package = blank;
    package.Set("word/styles.xml", std::string(Bytes(data, size)));
    auto doc = OpenDocument(std::move(package));
    // What `inspect` reads, through the same Style objects.
    host::Styles styles(std::make_shared<engine::Styles>(doc, std::make_shared<host::FaultPlan>()));
    for (const auto& style : styles.all()) {
      (void)style.NameLocal();
      (void)style.Type();
      (void)style.BaseStyle();
      (void)style.NextParagraphStyle();
    }
    ReadEveryStyle(*doc);
  });
}

void FuzzNumbering(const uint8_t* data, size_t size) {
  Guarded([&] {
    auto doc = OpenDocument(SmallBlank());
    doc->add_related_part("word/numbering.xml", engine::kRelNumbering, engine::kCtNumbering,
                          std::string(Bytes(data, size)));
    // Styles that lead into the numbering part by the ids most inputs use.
    std::vector<std::string> numbered;
    for (int id = 0; id < 4; ++id) {
      numbered.push_back("Fuzz List " + std::to_string(id));
      auto style = doc->styles().add(numbered.back(), engine::StyleKind::Paragraph);
      auto ppr = style.append_child(doc->styles().q("pPr").c_str());
      auto numpr = ppr.append_child(doc->styles().q("numPr").c_str());
      numpr.append_child(doc->styles().q("numId").c_str())
          .append_attribute(doc->styles().q("val").c_str())
          .set_value(std::to_string(id).c_str());
    }
    ReadEveryStyle(*doc);
    CopyStyles(*doc, numbered);
  });
}

void FuzzCopy(const uint8_t* data, size_t size) {
  auto path = ScratchPath(".docx");
  WriteFile(path, Bytes(data, size));
  Guarded([&] {
    auto doc = OpenDocument(ooxml::Package::Open(path));
    ReadEveryStyle(*doc);
    auto& sheet = doc->styles();
    if (sheet.count() > 0) CopyStyles(*doc, {sheet.display_name(sheet.at(0))});
  });
  std::remove(path.c_str());
}

}  // namespace tarnwell::fuzz
