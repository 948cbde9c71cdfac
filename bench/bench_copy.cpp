// Times a copy of 50 styles (with their dependencies) between two documents
// of about 500 styles each, beside a plain open-and-save of the same two
// documents by the same engine. Usage: tarnwell_bench_copy [ROUNDS]

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "bench/bench_cli.h"
#include "bench/bench_util.h"
#include "engine/engine.h"
#include "host/word.h"

namespace fs = std::filesystem;
using tarnwell::host::Application;
using tarnwell::host::StyleType;

using tarnwell::bench::Median;
using tarnwell::bench::Millis;
using tarnwell::bench::NewWord;

namespace {

// 500 paragraph styles in chains of ten, each following the next one.
void Make(const fs::path& path, const std::string& prefix, const fs::path& dir) {
  auto word = NewWord(dir);
  tarnwell::engine::WriteBlankDocument(path.string());
  auto doc = word.GetDocuments().Open(path.string());
  auto styles = doc.GetStyles();
  for (int i = 0; i < 500; ++i) styles.Add(prefix + std::to_string(i), StyleType::Paragraph);
  for (int i = 0; i < 500; ++i) {
    auto s = styles.Item(prefix + std::to_string(i));
    if (i % 10) s.SetBaseStyle(prefix + std::to_string(i - 1));
    if (i + 1 < 500) s.SetNextParagraphStyle(prefix + std::to_string(i + 1));
  }
  doc.Save();
  doc.Close(0);
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::atoi(argv[1]) : 5;
  const fs::path dir = tarnwell::bench::BenchFolder("tarnwell-bench-copy");
  Make(dir / "source0.docx", "Source Style ", dir);
  Make(dir / "target0.docx", "Target Style ", dir);

  // The same run with one style and no dependencies: what a run costs
  // before any style is copied (connecting, the dialog, the activation
  // pass, the saves).
  const auto run = tarnwell::bench::RunCommand;
  // The command refuses a Normal template it is given that does not exist.
  if (!fs::exists(dir / "Normal.dotx")) tarnwell::engine::WriteBlankDocument((dir / "Normal.dotx").string());
  std::vector<double> plain_ms, copy_ms, one_ms;
  for (int r = 0; r < rounds; ++r) {
    fs::copy_file(dir / "source0.docx", dir / "source.docx", fs::copy_options::overwrite_existing);
    fs::copy_file(dir / "target0.docx", dir / "target.docx", fs::copy_options::overwrite_existing);
    plain_ms.push_back(Millis([&] {
      auto word = NewWord(dir);
      for (const char* name : {"source.docx", "target.docx"}) {
        auto doc = word.GetDocuments().Open((dir / name).string());
        doc.GetStyles().Item("Normal").SetBaseStyle("");  // a change, so the save writes
        doc.SaveAs((dir / ("saved-" + std::string(name))).string());
      }
    }));
    // Every tenth style: 50 chosen, each dragging its chain along.
    std::vector<std::string> args{"tarnwell", "--normal", (dir / "Normal.dotx").string(), "--yes", "copy",
                                  (dir / "source.docx").string(), (dir / "target.docx").string()};
    for (int i = 5; i < 500; i += 10) {
      args.push_back("-s");
      args.push_back("Source Style " + std::to_string(i));
    }
    int code = 0;
    copy_ms.push_back(Millis([&] { code = run(args); }));
    if (code != 0) return 1;

    fs::copy_file(dir / "source0.docx", dir / "source.docx", fs::copy_options::overwrite_existing);
    fs::copy_file(dir / "target0.docx", dir / "target.docx", fs::copy_options::overwrite_existing);
    std::vector<std::string> one(args.begin(), args.begin() + 7);
    for (const char* a : {"--deps", "none", "-s", "Source Style 5"}) one.push_back(a);
    one_ms.push_back(Millis([&] { code = run(one); }));
    if (code != 0) return 1;
  }
  double plain = Median(plain_ms), copy = Median(copy_ms), single = Median(one_ms);
  std::printf("two documents of 500 styles, 50 styles chosen (with dependencies), %d rounds, medians:\n", rounds);
  std::printf("  open and save both   %8.1f ms\n", plain);
  std::printf("  tarnwell copy        %8.1f ms  (%.2f times the open and save)\n", copy, copy / plain);
  std::printf("  one style, no deps   %8.1f ms  (%.2f times: what a run costs before copying)\n", single,
              single / plain);
  fs::remove_all(dir);
  return 0;
}
