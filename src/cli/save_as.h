#pragma once
// The save-as dialog of a copy run on the command line: the paths given for
// the source and the target, each used for its own document only, and what
// a user types when asked.

#include <functional>
#include <iosfwd>
#include <string>

#include "cli/terminal_ui.h"
#include "host/word.h"

namespace tarnwell::cli {

// A path as a user means it: "~" is the home folder, and a name without an
// extension takes the extension of the document it is for (".docx" when
// that has none).
std::string AsTyped(const std::string& path, const std::string& document_name);

class SaveAsAnswers {
 public:
  struct Given {
    const char* option;  // as the user wrote it, for messages
    std::string path;    // "" when not given
    bool used = false;
  };

  // source and target may be unset (the Normal template, which is never
  // saved under a new name).
  SaveAsAnswers(TerminalUi& ui, std::ostream& err, std::istream& in, bool terminal, host::Document source,
                host::Document target, std::string source_as, std::string target_as);

  // The save-as dialog's answer: "" cancels.
  std::string Choose(const platform::SaveAsRequest& request);

  // Tells on stderr of a path that was given but not needed, after both
  // documents were saved.
  void ReportUnused() const;

 private:
  // Source first, as the run saves it first: the document asking is the
  // first of the two that still has no file it may write.
  bool SourceAsking() const;
  bool Replace(const std::string& path);

  TerminalUi& ui_;
  std::ostream& err_;
  std::istream& in_;
  bool terminal_;
  host::Document source_, target_;
  Given source_as_, target_as_;
};

}  // namespace tarnwell::cli
