// Times the slow copy of 50 paragraph styles and of 10 table styles (each
// with formatting in every conditional area) beside the fast copy of the
// same styles, both through `tarnwell copy` without pacing.
// Usage: tarnwell_bench_slowcopy [ROUNDS]

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "bench/bench_util.h"
#include "cli/app.h"
#include "engine/engine.h"
#include "host/word.h"
#include "platform/fakes.h"
#include "support/globals.h"
#include "transfer/property_lists.h"
#include "transfer/single_style.h"

namespace fs = std::filesystem;
using tarnwell::bench::Median;
using tarnwell::bench::Millis;
using tarnwell::bench::NewWord;
using tarnwell::host::ObjectPtr;
using tarnwell::host::StyleType;

namespace {

constexpr int kParagraphs = 50;
constexpr int kTables = 10;

// A source whose styles set something in every group the slow copy visits.
void MakeSource(const fs::path& path, const fs::path& dir) {
  auto word = NewWord(dir);
  tarnwell::engine::WriteBlankDocument(path.string());
  auto doc = word.GetDocuments().Open(path.string());
  auto styles = doc.GetStyles();
  for (int i = 0; i < kParagraphs; ++i) {
    auto s = styles.Add("Body " + std::to_string(i), StyleType::Paragraph);
    auto font = s.obj()->get("Font").as_object();
    font->put("Size", 9.0 + i % 5);
    font->put("Bold", i % 2 ? -1 : 0);
    auto format = s.obj()->get("ParagraphFormat").as_object();
    format->put("LeftIndent", 6.0 * (i % 4));
    format->put("SpaceAfter", 3.0 * (i % 3));
    format->get("TabStops").as_object()->call("Add", {36.0 + i, 1, 1});
    format->get("Borders", {-1}).as_object()->put("LineStyle", 1);
    format->get("Shading").as_object()->put("Texture", 250);
  }
  for (int i = 0; i < kTables; ++i) {
    auto s = styles.Add("Grid " + std::to_string(i), StyleType::Table);
    auto table = s.obj()->get("Table").as_object();
    table->put("LeftPadding", 4.0 + i);
    for (int code = 0; code < 12; ++code) {
      auto area = table->call("Condition", {code}).as_object();
      area->get("Font").as_object()->put("Bold", -1);
      area->get("Shading").as_object()->put("BackgroundPatternColor", 0x00CCFF);
      area->get("Borders", {-3}).as_object()->put("LineStyle", 1);
    }
  }
  doc.Save();
  doc.Close(0);
}

// The slow copy's two passes alone, without the run around them.
double TransfersOnly(const fs::path& dir, const std::string& prefix, int count) {
  fs::copy_file(dir / "target0.docx", dir / "target.docx", fs::copy_options::overwrite_existing);
  auto word = NewWord(dir);
  auto source = word.GetDocuments().Open((dir / "source0.docx").string());
  auto target = word.GetDocuments().Open((dir / "target.docx").string());
  tarnwell::platform::FakePlatform fake;
  tarnwell::platform::Platform platform = fake.platform();
  tarnwell::support::gWordVersion = "03";
  auto nothing = [](const tarnwell::host::Document&) {};
  tarnwell::transfer::TransferContext ctx{
      platform, word, [](const std::string&, int32_t, const std::string&) { std::exit(1); }, nothing, nothing,
      [](int32_t) {}, nullptr};
  return Millis([&] {
    using tarnwell::transfer::fncEnsureStyle, tarnwell::transfer::fncTransferStyle;
    for (int i = 0; i < count; ++i) fncEnsureStyle(source, target, prefix + std::to_string(i));
    for (int i = 0; i < count; ++i) fncTransferStyle(ctx, source, target, prefix + std::to_string(i));
  });
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::atoi(argv[1]) : 5;
  fs::path dir = fs::temp_directory_path() / ("tarnwell-bench-slow-" + std::to_string(::getpid()));
  fs::create_directories(dir / "home" / "Documents");
  { std::FILE* f = std::fopen((dir / "home" / "Documents" / "keep.txt").c_str(), "w"); if (f) std::fclose(f); }
  setenv("HOME", (dir / "home").c_str(), 1);
  MakeSource(dir / "source0.docx", dir);
  tarnwell::engine::WriteBlankDocument((dir / "target0.docx").string());

  auto run = [&](const std::string& method, const std::string& type, const std::string& prefix, int count) {
    fs::copy_file(dir / "source0.docx", dir / "source.docx", fs::copy_options::overwrite_existing);
    fs::copy_file(dir / "target0.docx", dir / "target.docx", fs::copy_options::overwrite_existing);
    std::vector<std::string> args{"tarnwell", "--normal", (dir / "Normal.dotx").string(), "--yes", "copy",
                                  "--method", method, "--type", type, (dir / "source.docx").string(),
                                  (dir / "target.docx").string()};
    for (int i = 0; i < count; ++i) args.insert(args.end(), {"-s", prefix + std::to_string(i)});
    std::vector<const char*> argv2;
    for (auto& a : args) argv2.push_back(a.c_str());
    std::ostringstream out, err;
    std::istringstream in;
    int code = 0;
    double ms = Millis([&] {
      code = tarnwell::cli::Run(static_cast<int>(argv2.size()), argv2.data(), out, err, in, false);
    });
    if (code != 0 || err.str().find("Copy error") != std::string::npos) {
      std::fprintf(stderr, "copy failed (%d): %s\n", code, err.str().c_str());
      std::exit(1);
    }
    return ms;
  };

  struct Row {
    const char* what;
    const char* type;
    const char* prefix;
    int count;
  };
  using namespace tarnwell::transfer;
  // Each copy is a read of the source and a write of the target.
  const size_t table_copies = kFontOrderA.size() + 1 + kParagraphOrderXP.size() + 1 + kTableProps.size() +
                              kShadingColorProps.size() + kTableSides.size() + 1 +
                              kConditionOrder.size() * (kPaddingProps.size() + kShadingColorProps.size() +
                                                        kConditionSides.size() + 1 + kFontOrderA.size() +
                                                        kParagraphOrderXP.size() + 1);
  std::printf("slow and fast copy through tarnwell copy, %d rounds, medians:\n", rounds);
  for (const Row& r : {Row{"50 paragraph styles", "Paragraph", "Body ", kParagraphs},
                       Row{"10 table styles", "Table", "Grid ", kTables}}) {
    std::vector<double> slow, fast, alone;
    for (int i = 0; i < rounds; ++i) {
      slow.push_back(run("slow", r.type, r.prefix, r.count));
      fast.push_back(run("fast", r.type, r.prefix, r.count));
      alone.push_back(TransfersOnly(dir, r.prefix, r.count));
    }
    std::printf("  %-20s slow %8.1f ms   fast %8.1f ms   (%.2f times); the transfers alone %6.1f ms\n", r.what,
                Median(slow), Median(fast), Median(slow) / Median(fast), Median(alone));
  }
  std::printf("  (a table style is %zu property copies besides its base: %zu for the ten)\n", table_copies,
              table_copies * kTables);
  fs::remove_all(dir);
  return 0;
}
