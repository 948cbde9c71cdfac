#pragma once
// The commands of tarnwell, each over a fresh embedded Word.

#include <iosfwd>
#include <memory>
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
  bool quiet = false;  // errors only
  bool out_is_terminal = false;  // results go to a terminal, not a script
  bool pace = false;  // real waits for Word; the embedded engine needs none
  bool no_wait = false;  // refuse a document another run is writing
  bool force = false;    // write documents that owner files say are open elsewhere
  std::string run_lock;  // taken by every run that writes: the scratch documents are shared
  // A dry run's: a documents folder of its own for the scratch documents,
  // and registry and settings writes kept in memory.
  std::string documents_folder;
  bool dry_run = false;
  bool json = false;  // one JSON document on stdout in place of the text
  TerminalUi::Answering answering = TerminalUi::Answering::NoTerminal;
  // Failures planned in the embedded Word, for tests of the command's own
  // clean-up; none by default.
  std::shared_ptr<host::FaultPlan> faults;
};

// An embedded Word as the global options ask for it.
host::Application NewWord(const GlobalOptions& g);

// One line per defined style of each file: NameLocal, Type, BaseStyle,
// NextParagraphStyle, tab-separated; the type by name ("paragraph") or, with
// numeric_types, by Word's number. Several files get a header line each; a
// terminal gets a line naming the columns.
int Inspect(const GlobalOptions& g, const std::vector<std::string>& files, bool numeric_types, std::ostream& out,
            std::ostream& err);

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
  bool dry_run = false;  // play it all on private copies, report, change nothing
};
// Selects as a user would and clicks "C&opy styles ". Exit 0 only after
// "Copying complete.", 1 refused or cancelled, 4 the run failed.
int Copy(const GlobalOptions& g, const CopyRequest& request, std::ostream& out, std::ostream& err, std::istream& in);

// Chooses TARGET and clicks "&Update all from Normal.dot", then saves the
// target. Exit 0 when updated and saved, 1 declined, 4 the update failed.
// With dry_run, on a private copy, reporting what the update would do.
int Update(const GlobalOptions& g, const std::string& target, bool dry_run, std::ostream& out, std::ostream& err,
           std::istream& in);

// Writes the example documents the README's first command works on; files
// already there are replaced only with force.
int WriteExamples(const std::string& dir, bool force, std::ostream& out, std::ostream& err);

}  // namespace tarnwell::cli
