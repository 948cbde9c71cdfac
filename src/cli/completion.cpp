#include "cli/completion.h"

#include <CLI/CLI.hpp>

namespace tarnwell::cli {

namespace {

// An option's names as typed: "--type -t".
std::string Names(const CLI::Option* o) {
  std::string out;
  for (const auto& l : o->get_lnames()) out += (out.empty() ? "--" : " --") + l;
  for (const auto& s : o->get_snames()) out += (out.empty() ? "-" : " -") + s;
  return out;
}

struct Words {
  std::string commands, globals;
  std::map<std::string, std::string> options;  // command -> its options
  std::map<std::string, std::string> values;   // "--type|-t" -> values
  std::string files;                            // "--normal|--save-as": options that take a path
  std::string skip;                             // global options that take the next word
};

void AddOptions(const CLI::App& app, const OptionValues& values, std::string& names, Words& w) {
  for (const CLI::Option* o : app.get_options()) {
    if (o->get_positional()) continue;
    std::string these = Names(o);
    names += (names.empty() ? "" : " ") + these;
    if (o->get_items_expected_max() == 0) continue;  // a flag
    std::string pattern = these;
    for (auto& c : pattern)
      if (c == ' ') c = '|';
    auto v = values.find(o->get_name());
    if (v != values.end()) {
      w.values[pattern] = v->second;
    } else if (!o->get_lnames().empty() && o->get_lnames()[0] != "style") {
      w.files += (w.files.empty() ? "" : "|") + pattern;
    }
    if (!app.get_parent()) w.skip += (w.skip.empty() ? "" : "|") + pattern;
  }
}

Words Collect(const CLI::App& app, const OptionValues& values) {
  Words w;
  AddOptions(app, values, w.globals, w);
  for (const CLI::App* sub : app.get_subcommands({})) {
    if (sub->get_group().empty()) continue;  // hidden
    w.commands += (w.commands.empty() ? "" : " ") + sub->get_name();
    AddOptions(*sub, values, w.options[sub->get_name()], w);
  }
  return w;
}

// The scripts, with @NAME@ where the words go.
constexpr const char* kBash = R"(# bash completion for tarnwell, written by 'tarnwell completion bash'
_tarnwell() {
  local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]} command= options= i
  case $prev in
@VALUES@    @FILES@) COMPREPLY=($(compgen -f -- "$cur")); return;;
  esac
  for ((i = 1; i < COMP_CWORD; i++)); do
    case ${COMP_WORDS[i]} in
      @SKIP@) ((i++));;
      -*) ;;
      *) command=${COMP_WORDS[i]}; break;;
    esac
  done
  case $command in
    '') if [[ $cur == -* ]]; then COMPREPLY=($(compgen -W "@GLOBALS@" -- "$cur")); else COMPREPLY=($(compgen -W "@COMMANDS@" -- "$cur")); fi; return;;
@OPTIONS@  esac
  if [[ $cur == -* ]]; then
    COMPREPLY=($(compgen -W "$options @GLOBALS@" -- "$cur"))
  elif [[ $command == example ]]; then
    COMPREPLY=($(compgen -d -- "$cur"))
  else
    COMPREPLY=($(compgen -f -X '!*.do[ct][xm]' -- "$cur") $(compgen -d -- "$cur"))
  fi
}
complete -o filenames -F _tarnwell tarnwell
)";

constexpr const char* kZsh = R"(#compdef tarnwell
# zsh completion for tarnwell, written by 'tarnwell completion zsh'
local cur=${words[CURRENT]} prev=${words[CURRENT-1]} command= i
local -a options
case $prev in
@VALUES@  @FILES@) _files; return;;
esac
for ((i = 2; i < CURRENT; i++)); do
  case ${words[i]} in
    @SKIP@) ((i++));;
    -*) ;;
    *) command=${words[i]}; break;;
  esac
done
case $command in
  '') if [[ $cur == -* ]]; then compadd -- @GLOBALS@; else compadd -- @COMMANDS@; fi; return;;
@OPTIONS@esac
if [[ $cur == -* ]]; then
  compadd -- $options @GLOBALS@
elif [[ $command == example ]]; then
  _files -/
else
  _files -g '*.do[ct][xm]'
fi
)";

std::string Filled(std::string script, const std::map<std::string, std::string>& words) {
  for (const auto& [name, text] : words) {
    const std::string marker = "@" + name + "@";
    for (size_t at; (at = script.find(marker)) != std::string::npos;) script.replace(at, marker.size(), text);
  }
  return script;
}

}  // namespace

std::string CompletionScript(const CLI::App& app, const OptionValues& values, const std::string& shell) {
  if (shell != "bash" && shell != "zsh") return "";
  const bool bash = shell == "bash";
  const Words w = Collect(app, values);
  std::string value_cases, option_cases;
  for (const auto& [pattern, v] : w.values) {
    value_cases += bash ? "    " + pattern + ") COMPREPLY=($(compgen -W \"" + v + "\" -- \"$cur\")); return;;\n"
                        : "  " + pattern + ") compadd -- " + v + "; return;;\n";
  }
  for (const auto& [command, options] : w.options)
    option_cases += bash ? "    " + command + ") options=\"" + options + "\";;\n" : "  " + command + ") options=(" + options + ");;\n";
  return Filled(bash ? kBash : kZsh, {{"VALUES", value_cases},
                                      {"FILES", w.files},
                                      {"SKIP", w.skip},
                                      {"GLOBALS", w.globals},
                                      {"COMMANDS", w.commands},
                                      {"OPTIONS", option_cases}});
}

}  // namespace tarnwell::cli
