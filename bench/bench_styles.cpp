// Times the engine on a document with many styles: open, enumerate, save.
// Usage: tarnwell_bench [STYLES] [ROUNDS]

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <unistd.h>

#include "bench/bench_util.h"
#include "engine/engine.h"
#include "host/word.h"

namespace fs = std::filesystem;
using tarnwell::host::Application;
using tarnwell::host::StyleType;

using tarnwell::bench::Median;
using tarnwell::bench::Millis;
using tarnwell::bench::NewWord;


int main(int argc, char** argv) {
  const int styles = argc > 1 ? std::atoi(argv[1]) : 2000;
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 5;
  fs::path dir = fs::temp_directory_path() / ("tarnwell-bench-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  fs::path doc_path = dir / "many-styles.docx";

  double build_ms = Millis([&] {
    auto word = NewWord(dir);
    tarnwell::engine::WriteBlankDocument(doc_path.string());
    auto doc = word.GetDocuments().Open(doc_path.string());
    auto all = doc.GetStyles();
    for (int i = 0; i < styles; ++i) {
      auto type = i % 4 == 3 ? StyleType::Character : StyleType::Paragraph;
      auto s = all.Add("Bench Style " + std::to_string(i), type);
      // Chains of based-on styles, as real templates have.
      if (type == StyleType::Paragraph && i >= 4) s.SetBaseStyle("Bench Style " + std::to_string(i - 4));
    }
    doc.Save();
    doc.Close(0);
  });

  std::vector<double> open_ms, enum_ms, save_ms;
  size_t seen = 0;
  for (int r = 0; r < rounds; ++r) {
    auto word = NewWord(dir);
    tarnwell::host::Document doc;
    open_ms.push_back(Millis([&] { doc = word.GetDocuments().Open(doc_path.string()); }));
    enum_ms.push_back(Millis([&] {
      seen = 0;
      for (auto& s : doc.GetStyles().all()) {
        seen += s.NameLocal().size() + s.BaseStyle().size() + s.NextParagraphStyle().size();
        seen += static_cast<size_t>(s.Type());
      }
    }));
    doc.GetStyles().Add("Touched " + std::to_string(r));  // so the save rewrites styles.xml
    save_ms.push_back(Millis([&] { doc.SaveAs((dir / ("saved-" + std::to_string(r) + ".docx")).string()); }));
    doc.Close(0);
  }

  std::printf("document with %d added styles (%ju bytes), %d rounds, median of each:\n", styles,
              static_cast<uintmax_t>(fs::file_size(doc_path)), rounds);
  std::printf("  build (add, link, save) %9.1f ms (once)\n", build_ms);
  std::printf("  open                    %9.1f ms\n", Median(open_ms));
  std::printf("  enumerate (4 reads each)%9.1f ms\n", Median(enum_ms));
  std::printf("  save (styles changed)   %9.1f ms\n", Median(save_ms));
  fs::remove_all(dir);
  return seen > 0 ? 0 : 1;
}
