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

std::string Bash(const Words& w) {
  std::string s =
      "# bash completion for tarnwell, written by 'tarnwell completion bash'\n"
      "_tarnwell() {\n"
      "  local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]} command= options= i\n"
      "  case $prev in\n";
  for (const auto& [pattern, v] : w.values)
    s += "    " + pattern + ") COMPREPLY=($(compgen -W \"" + v + "\" -- \"$cur\")); return;;\n";
  s += "    " + w.files + ") COMPREPLY=($(compgen -f -- \"$cur\")); return;;\n"
       "  esac\n"
       "  for ((i = 1; i < COMP_CWORD; i++)); do\n"
       "    case ${COMP_WORDS[i]} in\n"
       "      " + w.skip + ") ((i++));;\n"
       "      -*) ;;\n"
       "      *) command=${COMP_WORDS[i]}; break;;\n"
       "    esac\n"
       "  done\n"
       "  case $command in\n"
       "    '') if [[ $cur == -* ]]; then COMPREPLY=($(compgen -W \"" + w.globals +
       "\" -- \"$cur\")); else COMPREPLY=($(compgen -W \"" + w.commands + "\" -- \"$cur\")); fi; return;;\n";
  for (const auto& [command, options] : w.options) s += "    " + command + ") options=\"" + options + "\";;\n";
  s += "  esac\n"
       "  if [[ $cur == -* ]]; then\n"
       "    COMPREPLY=($(compgen -W \"$options " + w.globals + "\" -- \"$cur\"))\n"
       "  elif [[ $command == example ]]; then\n"
       "    COMPREPLY=($(compgen -d -- \"$cur\"))\n"
       "  else\n"
       "    COMPREPLY=($(compgen -f -X '!*.do[ct][xm]' -- \"$cur\") $(compgen -d -- \"$cur\"))\n"
       "  fi\n"
       "}\n"
       "complete -o filenames -F _tarnwell tarnwell\n";
  return s;
}

std::string Zsh(const Words& w) {
  std::string s =
      "#compdef tarnwell\n"
      "# zsh completion for tarnwell, written by 'tarnwell completion zsh'\n"
      "local cur=${words[CURRENT]} prev=${words[CURRENT-1]} command= i\n"
      "local -a options\n"
      "case $prev in\n";
  for (const auto& [pattern, v] : w.values) s += "  " + pattern + ") compadd -- " + v + "; return;;\n";
  s += "  " + w.files + ") _files; return;;\n"
       "esac\n"
       "for ((i = 2; i < CURRENT; i++)); do\n"
       "  case ${words[i]} in\n"
       "    " + w.skip + ") ((i++));;\n"
       "    -*) ;;\n"
       "    *) command=${words[i]}; break;;\n"
       "  esac\n"
       "done\n"
       "case $command in\n"
       "  '') if [[ $cur == -* ]]; then compadd -- " + w.globals + "; else compadd -- " + w.commands +
       "; fi; return;;\n";
  for (const auto& [command, options] : w.options) s += "  " + command + ") options=(" + options + ");;\n";
  s += "esac\n"
       "if [[ $cur == -* ]]; then\n"
       "  compadd -- $options " + w.globals + "\n"
       "elif [[ $command == example ]]; then\n"
       "  _files -/\n"
       "else\n"
       "  _files -g '*.do[ct][xm]'\n"
       "fi\n";
  return s;
}

}  // namespace

std::string CompletionScript(const CLI::App& app, const OptionValues& values, const std::string& shell) {
  Words w = Collect(app, values);
  if (shell == "bash") return Bash(w);
  if (shell == "zsh") return Zsh(w);
  return "";
}

}  // namespace tarnwell::cli
