#include "cli/app.h"

#include <CLI/CLI.hpp>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iostream>
#include <map>

#include "cli/commands.h"
#include "cli/completion.h"
#include "cli/help_command.h"
#include "cli/suggest.h"
#include "host/host_error.h"

namespace tarnwell::cli {

namespace fs = std::filesystem;

namespace {

const std::map<std::string, std::string> kBuilds = {
    {"97", "8.0.0"}, {"00", "9.0.0"}, {"XP", "10.0.0"}, {"03", "11.0.0"}, {"07", "12.0.0"}};

std::string ConfigHome() {
  if (const char* x = std::getenv("XDG_CONFIG_HOME"); x && *x) return x;
  if (const char* h = std::getenv("HOME"); h && *h) return std::string(h) + "/.config";
  return ".";
}

// The values of the options that take one of a few.
const std::vector<std::string> kStyleTypes = {"Character", "List", "Paragraph", "Table"};
const std::vector<std::string> kWordVersions = {"97", "00", "XP", "03", "07"};
const std::vector<std::string> kDepsModes = {"all", "none", "ask"};

std::string Joined(const std::vector<std::string>& words) {
  std::string out;
  for (const auto& w : words) out += (out.empty() ? "" : " ") + w;
  return out;
}

const char* kExitCodes =
    "Exit codes:\n"
    "  0  done\n"
    "  1  refused or cancelled\n"
    "  2  usage error\n"
    "  3  a document could not be read or written\n"
    "  4  the copy run failed (its message says why)\n";

// One subcommand: what its usage line shows after the command's name, the
// examples its --help gives, and what it does once the line is parsed.
struct Command {
  CLI::App* app = nullptr;
  std::string usage;
  std::string examples;
  std::function<int()> run;
};

// The parsed line and where the command talks.
struct Cli {
  Cli(std::ostream& o, std::ostream& e, std::istream& i) : out(o), err(e), in(i) {}

  CLI::App app{
      "tarnwell: copy styles between Word documents (.docx, .dotx, .docm, .dotm).\n"
      "Plays the add-in's dialog over an embedded Word engine that reads and writes the files."};
  GlobalOptions g;
  std::string version = "03";
  std::vector<Command> commands;
  std::ostream& out;
  std::ostream& err;
  std::istream& in;

  Command& Add(const std::string& name, const std::string& description, std::string usage, std::string examples) {
    commands.push_back({app.add_subcommand(name, description), std::move(usage), std::move(examples), nullptr});
    return commands.back();
  }
};

// A subcommand's help shows its own usage line, then the global options,
// which are accepted anywhere on the line, and its examples.
class HelpFormatter : public CLI::Formatter {
 public:
  explicit HelpFormatter(const Cli& cli) : cli_(cli) {}

  std::string make_usage(const CLI::App* app, std::string name) const override {
    if (const Command* c = Find(app)) return "Usage: tarnwell [OPTIONS] " + app->get_name() + " " + c->usage + "\n";
    return CLI::Formatter::make_usage(app, std::move(name));
  }

  std::string make_footer(const CLI::App* app) const override {
    const Command* c = Find(app);
    if (!c) return CLI::Formatter::make_footer(app);
    std::vector<const CLI::Option*> globals;
    for (const CLI::Option* o : cli_.app.get_options())
      if (o != cli_.app.get_help_ptr() && o != cli_.app.get_help_all_ptr()) globals.push_back(o);
    return make_group("Global options (before or after the command)", false, globals) + "\nExamples:\n" +
           c->examples;
  }

 private:
  const Command* Find(const CLI::App* app) const {
    for (const auto& c : cli_.commands)
      if (c.app == app) return &c;
    return nullptr;
  }
  const Cli& cli_;
};

// A style type as the dialog's combo names it, typed in any case.
CLI::Option* AddTypeOption(CLI::App* app, std::string& type, const std::string& description) {
  return app->add_option("--type,-t", type, description)
      ->transform(CLI::IsMember(kStyleTypes, CLI::ignore_case))
      ->capture_default_str();
}

void AddGlobalOptions(Cli& c) {
  auto& app = c.app;
  auto& g = c.g;
  app.add_option("--normal", g.normal_template,
                 "The Normal template (default: Normal.dot in $XDG_CONFIG_HOME/tarnwell, made blank when missing)");
  app.add_option("--word-version", c.version, "The Word version the engine reports: 97, 00, XP, 03 or 07")
      ->check(CLI::IsMember(kWordVersions))
      ->capture_default_str();
  app.add_flag("--yes,-y", g.assume_yes, "Answer OK to every question");
  app.add_flag("--verbose,-v", g.verbose, "Tell each step of the run: status texts and the Word calls that matter");
  app.add_flag("--quiet,-q", g.quiet, "Print only errors (questions are still asked)");
  app.add_flag("--no-wait", g.no_wait,
               "Refuse at once when another tarnwell run is writing a document, instead of waiting for it");
  app.add_flag("--force", g.force,
               "Write a document even where an owner file beside it says Word or LibreOffice has it open");
  app.add_flag("--pace", g.pace,
               "Wait where the add-in waits for Word (the embedded engine needs no waits, so they are skipped)");
}

// One JSON document on stdout in place of the text.
void AddJsonFlag(Cli& c, CLI::App* app) {
  app->add_flag("--json", c.g.json,
                "Print one JSON document on stdout instead of text, with the message boxes shown and their titles");
}

void AddInspect(Cli& c) {
  auto files = std::make_shared<std::vector<std::string>>();
  auto numeric = std::make_shared<bool>(false);
  auto& cmd = c.Add("inspect",
                    "List each file's styles: name, type (paragraph, character, table, list), based on, next "
                    "(tab-separated)",
                    "FILE... [--numeric-types]",
                    "  tarnwell inspect examples/out/source.docx\n"
                    "  tarnwell inspect --numeric-types examples/out/source.docx examples/out/target.docx\n");
  cmd.app->add_option("FILE", *files, "Documents or templates to read")->required();
  cmd.app->add_flag("--numeric-types", *numeric, "Types as Word's numbers: 1 paragraph, 2 character, 3 table, 4 list");
  AddJsonFlag(c, cmd.app);
  cmd.run = [&c, files, numeric] { return Inspect(c.g, *files, *numeric, c.out, c.err); };
}

void AddDocs(Cli& c) {
  auto files = std::make_shared<std::vector<std::string>>();
  auto& cmd = c.Add("docs",
                    "Open the files and print the dialog's document list: Name, a tab, FullName; the Normal "
                    "template's entry where the dialog puts it",
                    "[FILE...]", "  tarnwell docs examples/out/source.docx examples/out/target.docx\n");
  cmd.app->add_option("FILE", *files, "Documents or templates to open");
  AddJsonFlag(c, cmd.app);
  cmd.run = [&c, files] { return Docs(c.g, *files, c.out, c.err, c.in); };
}

void AddStyles(Cli& c) {
  auto request = std::make_shared<StylesRequest>();
  auto& cmd = c.Add("styles", "Print the style list the dialog shows for a source and a style type",
                    "(FILE | --from-normal) [--type TYPE]",
                    "  tarnwell styles examples/out/source.docx\n"
                    "  tarnwell styles --type Character examples/out/source.docx\n");
  auto* file = cmd.app->add_option("FILE", request->file, "The source document");
  auto* from_normal = cmd.app->add_flag("--from-normal", request->from_normal, "Take the Normal template as the source");
  file->excludes(from_normal);
  AddTypeOption(cmd.app, request->type, "Character, List, Paragraph or Table (List and Table: Word XP and 03)");
  AddJsonFlag(c, cmd.app);
  cmd.run = [&c, request] {
    if (request->file.empty() && !request->from_normal) {
      c.err << "tarnwell: styles needs a FILE or --from-normal\n";
      return static_cast<int>(kExitUsage);
    }
    return Styles(c.g, *request, c.out, c.err, c.in);
  };
}

// copy --method: the fast copy through a scratch document, or the slow copy
// that sets each property of each style.
void AddMethodOption(CLI::App* copy, CopyRequest& request) {
  copy->add_option("--method", request.method,
                   "fast: move each style whole through a scratch document (the default); slow: create each "
                   "style and set its font, paragraph, tab, border, shading, language and table properties one "
                   "by one, as the add-in does when no scratch document can be made")
      ->check(CLI::IsMember({"fast", "slow"}))
      ->capture_default_str();
}

// Plays it all on private copies of the files and reports what it would do.
void AddDryRunFlag(CLI::App* app, bool& dry_run, const std::string& what) {
  app->add_flag("--dry-run,-n", dry_run,
                "Play the whole " + what + " (questions included) on private copies of the files, report what "
                "it would do, and change no file");
}

void AddCopy(Cli& c) {
  auto request = std::make_shared<CopyRequest>();
  auto files = std::make_shared<std::vector<std::string>>(2);
  auto& cmd = c.Add(
      "copy",
      "Copy styles from SOURCE to TARGET as the dialog does: the styles they depend on are offered and "
      "copied too, both documents are saved, and the list templates of the copied styles are carried "
      "across by name (renamed where names clash). The fast copy (the default) moves each style whole; the "
      "slow copy (--method slow) sets each property on the target's style.",
      "SOURCE TARGET --style NAME... [OPTIONS]",
      "  tarnwell --yes copy examples/out/source.docx examples/out/target.docx --style \"Report Quote\"\n"
      "  tarnwell copy examples/out/source.docx examples/out/target.docx -s \"Key Term\" --type character "
      "--deps none --yes\n"
      "  tarnwell --yes copy --dry-run examples/out/source.docx examples/out/target.docx --style \"Report Quote\"\n"
      "  tarnwell --yes copy --json examples/out/source.docx examples/out/target.docx --style \"Report Quote\"\n");
  auto* app = cmd.app;
  // Either file may be left out for the Normal template; what is given is
  // taken in order below.
  app->add_option("SOURCE", (*files)[0], "The document to copy from (none with --from-normal)");
  app->add_option("TARGET", (*files)[1], "The document to copy into (none with --to-normal)");
  app->add_option("--style,-s", request->styles, "A style to copy; one name each time, repeat for more")
      ->required()
      ->expected(1)
      ->allow_extra_args(false)
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
  AddTypeOption(app, request->type, "Character, List, Paragraph or Table");
  app->add_flag("--from-normal", request->from_normal, "The Normal template is the source");
  app->add_flag("--to-normal", request->to_normal, "The Normal template is the target");
  app->add_option("--deps", request->deps,
                  "The dependencies dialog: all (OK with every offered style; the default), none (OK with "
                  "none), ask (on a terminal)")
      ->check(CLI::IsMember(kDepsModes))
      ->capture_default_str();
  AddMethodOption(app, *request);
  app->add_option("--save-source-as", request->save_source_as,
                  "Where to save a source that was never saved or is read-only");
  app->add_option("--save-target-as", request->save_target_as,
                  "Where to save a target that was never saved or is read-only");
  AddDryRunFlag(app, request->dry_run, "copy");
  AddJsonFlag(c, cmd.app);
  cmd.run = [&c, request, files] {
    std::erase(*files, std::string());
    size_t wanted = (request->from_normal ? 0 : 1) + (request->to_normal ? 0 : 1);
    if (files->size() != wanted) {
      c.err << "tarnwell: copy needs " << wanted << " file(s): SOURCE TARGET, one of them replaced by "
            << "--from-normal or --to-normal\n";
      return static_cast<int>(kExitUsage);
    }
    size_t next = 0;
    if (!request->from_normal) request->source = (*files)[next++];
    if (!request->to_normal) request->target = (*files)[next++];
    return Copy(c.g, *request, c.out, c.err, c.in);
  };
}

void AddExample(Cli& c) {
  auto dir = std::make_shared<std::string>();
  auto force = std::make_shared<bool>(false);
  auto& cmd = c.Add("example", "Write example documents (source.docx, target.docx) into DIR", "DIR [--force]",
                    "  tarnwell example --force examples/out\n");
  cmd.app->add_option("DIR", *dir, "Folder to write into (created when missing)")->required();
  cmd.app->add_flag("--force,-f", *force, "Replace example documents already there");
  cmd.run = [&c, dir, force] { return WriteExamples(*dir, *force, c.out, c.err); };
}

void AddUpdate(Cli& c) {
  auto target = std::make_shared<std::string>();
  auto& cmd = c.Add("update",
                    "Update TARGET's styles and numbering from the Normal template, as the dialog's \"Update all "
                    "from Normal.dot\" does (Word XP and 03), after confirming (--yes), then save TARGET",
                    "TARGET [--dry-run]",
                    "  tarnwell --yes update examples/out/target.docx\n"
                    "  tarnwell --yes update --dry-run examples/out/target.docx\n");
  auto dry_run = std::make_shared<bool>(false);
  cmd.app->add_option("TARGET", *target, "The document to update")->required();
  AddDryRunFlag(cmd.app, *dry_run, "update");
  AddJsonFlag(c, cmd.app);
  cmd.run = [&c, target, dry_run] { return Update(c.g, *target, *dry_run, c.out, c.err, c.in); };
}

void AddHelp(Cli& c) {
  auto topic = std::make_shared<std::string>();
  auto html = std::make_shared<bool>(false);
  auto& cmd = c.Add("help", "Show a topic of the manual as text; without TOPIC, list the topics", "[TOPIC] [--html]",
                    "  tarnwell help\n"
                    "  tarnwell help getting-started\n");
  cmd.app->add_option("TOPIC", *topic, "getting-started, using, or another topic the list names");
  cmd.app->add_flag("--html", *html, "Open the topic's page with the desktop's opener (xdg-open) instead");
  cmd.run = [&c, topic, html] { return Help(*topic, *html, c.out, c.err); };
}

// Written at build time for the shells; not for users to type.
void AddCompletion(Cli& c) {
  auto shell = std::make_shared<std::string>();
  auto* sub = c.app.add_subcommand("completion", "Print the shell completion script for bash or zsh")->group("");
  sub->add_option("SHELL", *shell)->required()->check(CLI::IsMember({"bash", "zsh"}));
  c.commands.push_back({sub, "SHELL", "  tarnwell completion bash\n", [&c, shell] {
                          const OptionValues values = {{"--type", Joined(kStyleTypes)},
                                                       {"--word-version", Joined(kWordVersions)},
                                                       {"--deps", Joined(kDepsModes)}};
                          c.out << CompletionScript(c.app, values, *shell);
                          return static_cast<int>(kExitDone);
                        }});
}

// What the global options leave to be worked out once the line is parsed.
// False, having said why, when they cannot be.
bool FinishGlobalOptions(Cli& c, bool stdin_is_terminal) {
  auto& g = c.g;
  g.version = c.version;
  g.build = kBuilds.at(c.version);
  if (g.normal_template.empty()) {
    // Only the default Normal template is made when missing, as Word does.
    fs::path dir = fs::path(ConfigHome()) / "tarnwell";
    std::error_code ec;
    fs::create_directories(dir, ec);
    g.normal_template = (dir / "Normal.dot").string();
  } else if (!fs::is_regular_file(g.normal_template)) {
    c.err << "tarnwell: the Normal template " << g.normal_template << " does not exist\n";
    return false;
  }
  // In the temporary folder, which is also where scratch documents go when
  // the documents folder cannot be used: one writing run of a user at a time.
  g.run_lock = (fs::temp_directory_path() / ("tarnwell-" + std::to_string(::getuid()) + ".lock")).string();
  g.out_is_terminal = &c.out == &std::cout && isatty(STDOUT_FILENO);
  g.answering = g.assume_yes ? TerminalUi::Answering::AssumeYes
                : stdin_is_terminal ? TerminalUi::Answering::AskTerminal
                                    : TerminalUi::Answering::NoTerminal;
  return true;
}

// The words on the line that name no option: the first is the command.
// Returns "" when every word is an option or an option's value.
std::string FirstWord(int argc, const char* const* argv) {
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--") return i + 1 < argc ? argv[i + 1] : "";
    if (a == "--normal" || a == "--word-version") {
      ++i;
      continue;
    }
    if (!a.empty() && a[0] != '-') return a;
  }
  return "";
}

// Without a command: what there is to run, in short.
std::string ShortUsage(const CLI::App& app) {
  std::string usage = "Usage: tarnwell [OPTIONS] COMMAND ...\n\nCommands:\n";
  for (const CLI::App* sub : app.get_subcommands({})) {
    if (sub->get_group().empty()) continue;  // hidden
    std::string what = sub->get_description();
    what = what.substr(0, std::min(what.find(": "), what.find(". ")));
    usage += "  " + sub->get_name() + std::string(sub->get_name().size() < 9 ? 9 - sub->get_name().size() : 1, ' ') +
             what + "\n";
  }
  return usage + "\nRun 'tarnwell COMMAND --help' for a command's options and examples.\n";
}

}  // namespace

int Run(int argc, const char* const* argv, std::ostream& out, std::ostream& err, std::istream& in,
        bool stdin_is_terminal) {
  Cli c(out, err, in);
  auto& app = c.app;
  app.footer(kExitCodes);
  app.require_subcommand(1);
  // Options of the whole command may stand after the subcommand too.
  app.fallthrough();
  app.formatter(std::make_shared<HelpFormatter>(c));
  AddGlobalOptions(c);
  AddInspect(c);
  AddDocs(c);
  AddStyles(c);
  AddCopy(c);
  AddUpdate(c);
  AddExample(c);
  AddHelp(c);
  AddCompletion(c);
  app.set_version_flag("--version", VersionText(), "Print the About text and the build's version");

  if (std::string word = FirstWord(argc, argv); !word.empty()) {
    std::vector<std::string> names;
    for (const CLI::App* sub : app.get_subcommands({})) names.push_back(sub->get_name());
    if (std::find(names.begin(), names.end(), word) == names.end()) {
      err << "tarnwell: no command '" << word << "'";
      if (auto near = Closest(word, names); !near.empty()) err << "; did you mean '" << near << "'?";
      err << "\nRun 'tarnwell --help' for the commands.\n";
      return kExitUsage;
    }
  }
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp&) {
    out << app.help();
    return kExitDone;
  } catch (const CLI::CallForVersion&) {
    out << VersionText();
    return kExitDone;
  } catch (const CLI::CallForAllHelp&) {
    out << app.help("", CLI::AppFormatMode::All);
    return kExitDone;
  } catch (const CLI::ParseError& e) {
    if (FirstWord(argc, argv).empty() && dynamic_cast<const CLI::RequiredError*>(&e)) {
      err << ShortUsage(app);
      return kExitUsage;
    }
    err << "tarnwell: " << e.what() << "\n" << "Run 'tarnwell --help' for usage.\n";
    return kExitUsage;
  }
  if (!FinishGlobalOptions(c, stdin_is_terminal)) return kExitDocument;

  try {
    for (const auto& cmd : c.commands)
      if (*cmd.app) return cmd.run();
    return kExitUsage;
  } catch (const host::HostError& e) {
    err << "tarnwell: " << e.description() << "\n";
    return kExitDocument;
  } catch (const fs::filesystem_error& e) {
    err << "tarnwell: " << e.what() << "\n";
    return kExitDocument;
  }
}

}  // namespace tarnwell::cli
