// Times a copy of 50 numbered styles sharing 10 list templates between two
// documents of 500 styles, beside the same copy of 50 unnumbered styles;
// the difference is what carrying the numbering costs.
// Usage: tarnwell_bench_numbering [ROUNDS]

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/bench_cli.h"
#include "bench/bench_util.h"
#include "host/collection.h"

namespace fs = std::filesystem;
using tarnwell::bench::Median;
using tarnwell::bench::Millis;
using tarnwell::bench::NewWord;
using tarnwell::host::deref;

namespace {

constexpr int kStyles = 500, kNumbered = 50, kTemplates = 10;

// 500 paragraph styles; in the source the first 50 are linked, five at a
// time, to levels 1 to 5 of ten outline-numbered list templates.
void Make(const fs::path& path, const fs::path& dir, bool numbered) {
  auto word = NewWord(dir);
  tarnwell::engine::WriteBlankDocument(path.string());
  auto doc = word.GetDocuments().Open(path.string());
  auto styles = doc.GetStyles();
  for (int i = 0; i < kStyles; ++i) styles.Add("Style " + std::to_string(i), tarnwell::host::StyleType::Paragraph);
  if (numbered) {
    auto templates = doc.ref().get("ListTemplates").as_object();
    for (int t = 0; t < kTemplates; ++t) {
      auto lt = deref(templates).call("Add", {true}).as_object();
      deref(lt).put("Name", "List " + std::to_string(t));
      auto levels = deref(lt).get("ListLevels").as_object();
      for (int k = 0; k < kNumbered / kTemplates; ++k) {
        auto level = tarnwell::host::item(deref(levels), k + 1);
        deref(level).put("LinkedStyle", "Style " + std::to_string(t * (kNumbered / kTemplates) + k));
      }
    }
  }
  doc.Save();
  doc.Close(0);
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::atoi(argv[1]) : 5;
  const fs::path dir = tarnwell::bench::BenchFolder("tarnwell-bench-numbering");
  Make(dir / "source0.docx", dir, true);
  Make(dir / "target0.docx", dir, false);

  auto copy_of = [&](int first) {
    std::vector<std::string> args{"tarnwell", "--normal", (dir / "Normal.dotx").string(), "--yes", "copy",
                                  "--deps", "none", (dir / "source.docx").string(), (dir / "target.docx").string()};
    for (int i = first; i < first + kNumbered; ++i) {
      args.push_back("-s");
      args.push_back("Style " + std::to_string(i));
    }
    return args;
  };
  std::vector<double> numbered_ms, plain_ms;
  for (int r = 0; r < rounds; ++r) {
    for (auto [first, times] : {std::pair{0, &numbered_ms}, std::pair{kNumbered, &plain_ms}}) {
      fs::copy_file(dir / "source0.docx", dir / "source.docx", fs::copy_options::overwrite_existing);
      fs::copy_file(dir / "target0.docx", dir / "target.docx", fs::copy_options::overwrite_existing);
      int code = 0;
      const auto args = copy_of(first);
      times->push_back(Millis([&] { code = tarnwell::bench::RunCommand(args); }));
      if (code != 0) return 1;
    }
  }
  const double numbered = Median(numbered_ms), plain = Median(plain_ms);
  std::printf("two documents of %d styles, %d styles copied, %d rounds, medians:\n", kStyles, kNumbered, rounds);
  std::printf("  unnumbered styles              %8.1f ms\n", plain);
  std::printf("  numbered (%d list templates)   %8.1f ms\n", kTemplates, numbered);
  std::printf("  numbering phases               %8.1f ms  (%.2f times the unnumbered copy)\n", numbered - plain,
              (numbered - plain) / plain);
  fs::remove_all(dir);
  return 0;
}
