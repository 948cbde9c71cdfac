#pragma once
// The commands of tarnwell, each over a fresh embedded Word.

#include <iosfwd>
#include <string>
#include <vector>

#include "cli/terminal_ui.h"
#include "host/word.h"

namespace tarnwell::cli {

struct GlobalOptions {
  std::string normal_template;
  std::string build = "11.0.0";
  std::string version = "03";  // the label the build gives
  bool assume_yes = false;
  bool verbose = false;
  bool pace = false;  // real waits for Word; the embedded engine needs none
  TerminalUi::Answering answering = TerminalUi::Answering::NoTerminal;
};

// One line per defined style of each file: NameLocal, Type, BaseStyle,
// NextParagraphStyle, tab-separated. Several files get a header line each.
// An embedded Word as the global options ask for it.
host::Application NewWord(const GlobalOptions& g);

int Inspect(const GlobalOptions& g, const std::vector<std::string>& files, std::ostream& out, std::ostream& err);

// The document list of the main dialog, one entry per line, in its order.
int Docs(const GlobalOptions& g, const std::vector<std::string>& files, std::ostream& out, std::ostream& err,
         std::istream& in);

struct StylesRequest {
  std::string file;  // the source document, unless from_normal
  bool from_normal = false;
  std::string type = "Paragraph";
};
// The style list the dialog shows for a source and a style type.
int Styles(const GlobalOptions& g, const StylesRequest& request, std::ostream& out, std::ostream& err,
           std::istream& in);

struct CopyRequest {
  std::string source, target;  // files; empty with from_normal / to_normal
  bool from_normal = false;
  bool to_normal = false;
  std::vector<std::string> styles;
  std::string type = "Paragraph";
  std::string deps = "all";  // all, none or ask
  std::string save_source_as, save_target_as;
  std::string method = "fast";  // fast or slow
};
// Selects as a user would and clicks "C&opy styles ". Exit 0 only after
// "Copying complete.", 1 refused or cancelled, 4 the run failed.
int Copy(const GlobalOptions& g, const CopyRequest& request, std::ostream& out, std::ostream& err, std::istream& in);

// Writes the example documents the README's first command works on.
int WriteExamples(const std::string& dir, std::ostream& out);

}  // namespace tarnwell::cli
