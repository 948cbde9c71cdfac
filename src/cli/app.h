#pragma once
// The tarnwell command: plays the add-in host over the embedded engine.

#include <iosfwd>

namespace tarnwell::cli {

// Exit codes, documented in --help.
enum Exit : int {
  kExitDone = 0,
  kExitRefused = 1,   // refused or cancelled
  kExitUsage = 2,
  kExitDocument = 3,  // a document could not be read or written
  kExitRunFailed = 4,  // the copy run ended in its error handler
};

int Run(int argc, const char* const* argv, std::ostream& out, std::ostream& err, std::istream& in,
        bool stdin_is_terminal);

}  // namespace tarnwell::cli
