#pragma once
// The commands of tarnwell, each over a fresh embedded Word.

#include <iosfwd>
#include <string>
#include <vector>

#include "cli/terminal_ui.h"

namespace tarnwell::cli {

struct GlobalOptions {
  std::string normal_template;
  std::string build = "11.0.0";
  bool assume_yes = false;
  bool verbose = false;
  TerminalUi::Answering answering = TerminalUi::Answering::NoTerminal;
};

// One line per defined style of each file: NameLocal, Type, BaseStyle,
// NextParagraphStyle, tab-separated. Several files get a header line each.
int Inspect(const GlobalOptions& g, const std::vector<std::string>& files, std::ostream& out, std::ostream& err);

// Writes the example documents the README's first command works on.
int WriteExamples(const std::string& dir, std::ostream& out);

}  // namespace tarnwell::cli
