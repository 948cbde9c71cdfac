#include "cli/commands.h"

#include <filesystem>
#include <ostream>

#include "cli/app.h"
#include "cli/json_report.h"
#include "engine/engine.h"
#include "host/word.h"

namespace tarnwell::cli {

namespace fs = std::filesystem;

host::Application NewWord(const GlobalOptions& g) {
  engine::Options o;
  o.build = g.build;
  o.normal_template = g.normal_template;
  if (g.faults) o.faults = g.faults;
  return host::Application(engine::CreateApplication(o));
}

namespace {

std::string TypeName(host::StyleType type) {
  switch (type) {
    case host::StyleType::Paragraph: return "paragraph";
    case host::StyleType::Character: return "character";
    case host::StyleType::Table: return "table";
    case host::StyleType::List: return "list";
  }
  return std::to_string(static_cast<int32_t>(type));
}

}  // namespace

int Inspect(const GlobalOptions& g, const std::vector<std::string>& files, bool numeric_types, std::ostream& out,
            std::ostream&) {
  auto word = NewWord(g);
  auto docs = word.GetDocuments();
  auto json = nlohmann::json::array();
  for (const auto& file : files) {
    auto doc = docs.Open(file);
    if (g.json) {
      auto styles = nlohmann::json::array();
      for (const auto& style : doc.GetStyles().all())
        styles.push_back({{"name", style.NameLocal()},
                          {"type", TypeName(style.Type())},
                          {"type_number", static_cast<int32_t>(style.Type())},
                          {"based_on", style.BaseStyle()},
                          {"next", style.NextParagraphStyle()}});
      json.push_back({{"file", file}, {"styles", styles}});
      doc.Close(0);
      continue;
    }
    if (files.size() > 1) out << "==> " << file << " <==\n";
    if (g.out_is_terminal) out << "Name\tType\tBased on\tNext\n";
    for (const auto& style : doc.GetStyles().all()) {
      out << style.NameLocal() << '\t'
          << (numeric_types ? std::to_string(static_cast<int32_t>(style.Type())) : TypeName(style.Type())) << '\t'
          << style.BaseStyle() << '\t' << style.NextParagraphStyle() << '\n';
    }
    doc.Close(0);
  }
  if (g.json) PrintJson(out, {{"files", json}});
  return kExitDone;
}

namespace {

struct ExampleStyle {
  const char* name;
  host::StyleType type;
  const char* based_on;  // "" keeps Word's default
  const char* next;      // "" keeps the style following itself
};

// A small house style with chains of based-on and follow-on styles, so that
// a copy has dependencies to gather.
const ExampleStyle kSourceStyles[] = {
    {"Heading 1", host::StyleType::Paragraph, "", "Report Body"},
    {"Heading 2", host::StyleType::Paragraph, "Heading 1", "Report Body"},
    {"Report Body", host::StyleType::Paragraph, "Normal", ""},
    {"Report Lead", host::StyleType::Paragraph, "Report Body", "Report Body"},
    {"Report Quote", host::StyleType::Paragraph, "Report Body", "Report Quote Source"},
    {"Report Quote Source", host::StyleType::Paragraph, "Report Quote", "Report Body"},
    {"Report Title", host::StyleType::Paragraph, "Heading 1", "Report Subtitle"},
    {"Report Subtitle", host::StyleType::Paragraph, "Report Title", "Report Lead"},
    {"Key Term", host::StyleType::Character, "", ""},
    {"Key Term Strong", host::StyleType::Character, "Key Term", ""},
    {"Report Grid", host::StyleType::Table, "", ""},
};

const ExampleStyle kTargetStyles[] = {
    {"Report Body", host::StyleType::Paragraph, "Normal", ""},
    {"Letter Closing", host::StyleType::Paragraph, "Normal", ""},
};

void MakeExample(const fs::path& path, const ExampleStyle* begin, const ExampleStyle* end) {
  engine::Options o;
  o.normal_template = (path.parent_path() / ".example-normal.dotx").string();
  auto word = host::Application(engine::CreateApplication(o));
  engine::WriteBlankDocument(path.string());
  auto doc = word.GetDocuments().Open(path.string());
  auto styles = doc.GetStyles();
  for (auto* s = begin; s != end; ++s) {
    // Built-in names are already known to Word; looking them up makes them real.
    auto style = host::Style(nullptr);
    try {
      style = styles.Add(s->name, s->type);
    } catch (const host::HostError& e) {
      if (e.number() != host::kErrStyleNameInUse) throw;
      style = styles.Item(s->name);
    }
  }
  for (auto* s = begin; s != end; ++s) {
    auto style = styles.Item(s->name);
    if (*s->based_on) style.SetBaseStyle(s->based_on);
    if (*s->next) style.SetNextParagraphStyle(s->next);
  }
  doc.Save();
  doc.Close(0);
  fs::remove(o.normal_template);
}

}  // namespace

int WriteExamples(const std::string& dir, bool force, std::ostream& out, std::ostream& err) {
  std::error_code ec;
  fs::create_directories(dir, ec);
  if (ec || !fs::is_directory(dir)) {
    err << "tarnwell: cannot write into " << dir << ": " << (ec ? ec.message() : "it is not a folder") << "\n";
    return kExitDocument;
  }
  fs::path source = fs::path(dir) / "source.docx";
  fs::path target = fs::path(dir) / "target.docx";
  for (const auto& p : {source, target}) {
    if (!force && fs::exists(p)) {
      err << "tarnwell: " << p.string() << " exists; add --force to replace it\n";
      return kExitRefused;
    }
  }
  MakeExample(source, std::begin(kSourceStyles), std::end(kSourceStyles));
  MakeExample(target, std::begin(kTargetStyles), std::end(kTargetStyles));
  out << source.string() << '\n' << target.string() << '\n';
  return kExitDone;
}

}  // namespace tarnwell::cli
