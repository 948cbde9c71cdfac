#pragma once
// Where per-user data lives on a desktop POSIX system. Every function reads
// the environment when called, so a changed HOME or XDG_* takes effect at once.

#include <string>

namespace tarnwell::posix {

// $HOME, else the password database's home; "" when neither is known.
std::string HomeDir();
// $XDG_CONFIG_HOME when absolute, else $HOME/.config.
std::string ConfigHome();
// $XDG_DATA_HOME when absolute, else $HOME/.local/share.
std::string DataHome();
// $XDG_RUNTIME_DIR when absolute, else /tmp.
std::string RuntimeDir();
// The folder for Tarnwell's own files: ConfigHome()/tarnwell.
std::string TarnwellConfigDir();

// The user's documents folder as the user-dirs file names it when that
// folder exists, else $HOME/Documents (which may not exist).
std::string DocumentsDir();

// A path without trailing separators ("/" stays "/").
std::string StripTrailingSlashes(std::string path);

}  // namespace tarnwell::posix
