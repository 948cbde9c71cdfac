#pragma once
// Shell completion for tarnwell, written from the command line's own
// definition so that it names every command and option there is.

#include <map>
#include <string>

namespace CLI {
class App;
}

namespace tarnwell::cli {

// The values an option takes ("--type" -> {"Character", ...}), by its names.
using OptionValues = std::map<std::string, std::string>;

// A completion script for "bash" or "zsh"; "" for another shell.
std::string CompletionScript(const CLI::App& app, const OptionValues& values, const std::string& shell);

}  // namespace tarnwell::cli
