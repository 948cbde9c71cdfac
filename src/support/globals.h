#pragma once
// Process-wide values shared by the dialog, the copy run and the add-in. All
// live on Word's user-interface thread.

#include <string>

#include "host/word.h"

namespace tarnwell::support {

// Word's Application, taken from the connection when the dialog initialises;
// released by Cancel and at the end of a copy run.
extern host::Application gWordApp;
// The document that was active when a copy run began.
extern host::Document gActiveDoc;
// The user's documents folder with a trailing separator; holds scratch documents.
extern std::string gDocsFolder;
// Local application data with a trailing separator, or empty.
extern std::string gScratchFolder;
// "97", "00", "XP", "03" or "07"; empty until first read.
extern std::string gWordVersion;
// True when a copy run opened the Normal template as a document.
extern bool gNormalDotOpened;

// The add-in's title: mutex name and settings application name.
inline constexpr const char* kAddInTitle = "Quillon Tarnwell";

// Puts every value back as a fresh process has it (for tests and hosts that
// connect more than once).
void ResetGlobals();

}  // namespace tarnwell::support
