#pragma once
// Word's scratch files ("~wrs*.tmp" and kin) in the user's temporary folder:
// cleared at start-up, checked for size each time the dialog opens.

#include <chrono>
#include <string>

#include "platform/system.h"

namespace tarnwell::addin {

// The warning's caption; the text is in the .cpp beside the check.
inline constexpr const char* kScratchWarningTitle = "Word's scratch file too large";
// A scratch file is too large above this many bytes of the low 32 bits of
// its size (Windows reports the size in two 32-bit halves; the check reads
// the lower one, unsigned).
inline constexpr uint32_t kScratchFileLimit = 350000000u;

// Deletes every "~wrs*.tmp", "~wrf*.tmp" and "~wrc*.tmp" file (any case) in
// the temporary folder that belongs to folder (see fncTempFolder). Files that
// cannot be deleted stay; nothing is reported. An empty folder means the
// scratch folder is unknown: then nothing is done, rather than scanning the
// process's current directory.
void fncClearScratchFiles(platform::Platform& platform, const std::string& folder);

// Deletes the "~wrs*.tmp" files there and warns about each one that was of
// today and larger than kScratchFileLimit. The first file that cannot be
// deleted (Word holds the current one open) ends the check quietly, as does
// any error. An empty folder does nothing, as above.
void fncCheckScratchFile(platform::Platform& platform, const std::string& folder);

// Shell pattern match of a file name, ignoring case: "*" any run of
// characters, "?" one character; "*.*" matches every name, as on Windows.
bool fncMatchSpec(const std::string& name, const std::string& pattern);

// path with the platform's separator appended when it does not end in one.
// An empty path stays empty: a lone separator would name the root instead.
std::string fncAddBackslash(const std::string& path);

// text up to its first NUL (fixed-length buffers from the platform).
std::string fncTrimFixed(const std::string& text);

// Word keeps its scratch files in the temporary folder that sits beside the
// local application data folder: every "Application Data" in folder (case
// as written) becomes "Temp", and the result ends with a separator.
std::string fncTempFolder(const std::string& folder);

// The local calendar day of a moment as "dd/mm/yyyy".
std::string fncLocalDay(std::chrono::system_clock::time_point when);

}  // namespace tarnwell::addin
