#include "cli/app.h"

#include <CLI/CLI.hpp>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <map>

#include "cli/commands.h"
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

const char* kExitCodes =
    "Exit codes:\n"
    "  0  done\n"
    "  1  refused or cancelled\n"
    "  2  usage error\n"
    "  3  a document could not be read or written\n"
    "  4  the copy run failed (its message says why)\n";

}  // namespace

int Run(int argc, const char* const* argv, std::ostream& out, std::ostream& err, std::istream& in,
        bool stdin_is_terminal) {
  CLI::App app{
      "tarnwell: copy styles between Word documents (.docx, .dotx, .docm, .dotm).\n"
      "Plays the add-in's dialog over an embedded Word engine that reads and writes the files."};
  app.footer(kExitCodes);
  app.require_subcommand(1);

  GlobalOptions g;
  std::string version = "03";
  app.add_option("--normal", g.normal_template,
                 "The Normal template (default: Normal.dot in $XDG_CONFIG_HOME/tarnwell, made blank when missing)");
  app.add_option("--word-version", version, "The Word version the engine reports: 97, 00, XP, 03 or 07")
      ->check(CLI::IsMember({"97", "00", "XP", "03", "07"}))
      ->capture_default_str();
  app.add_flag("--yes,-y", g.assume_yes, "Answer OK to every question");
  app.add_flag("--verbose,-v", g.verbose, "Print status texts as progress");
  app.add_flag("--pace", g.pace,
               "Wait where the add-in waits for Word (the embedded engine needs no waits, so they are skipped)");

  std::vector<std::string> inspect_files;
  auto* inspect = app.add_subcommand(
      "inspect", "List each file's styles: NameLocal, Type, BaseStyle, NextParagraphStyle (tab-separated)");
  inspect->add_option("FILE", inspect_files, "Documents or templates to read")->required();

  std::vector<std::string> docs_files;
  auto* docs = app.add_subcommand(
      "docs", "Open the files and print the dialog's document list: Name, a tab, FullName; the Normal "
              "template's entry where the dialog puts it");
  docs->add_option("FILE", docs_files, "Documents or templates to open");

  StylesRequest styles_request;
  auto* styles = app.add_subcommand("styles", "Print the style list the dialog shows for a source and a style type");
  auto* styles_file = styles->add_option("FILE", styles_request.file, "The source document");
  auto* from_normal =
      styles->add_flag("--from-normal", styles_request.from_normal, "Take the Normal template as the source");
  styles_file->excludes(from_normal);
  styles->add_option("--type", styles_request.type, "Character, List, Paragraph or Table (List and Table: Word XP and 03)")
      ->check(CLI::IsMember({"Character", "List", "Paragraph", "Table"}))
      ->capture_default_str();

  CopyRequest copy_request;
  std::vector<std::string> copy_files;
  auto* copy = app.add_subcommand(
      "copy",
      "Copy styles from SOURCE to TARGET as the dialog does: the styles they depend on are offered and "
      "copied too, both documents are saved. The fast copy (the default) moves each style whole with its "
      "numbering definition; the slow copy (--method slow) sets each property on the target's style, and "
      "list templates are not yet carried across by it.");
  copy->add_option("FILES", copy_files, "SOURCE TARGET (one of them with --from-normal or --to-normal)")
      ->expected(0, 2);
  copy->add_option("--style,-s", copy_request.styles, "A style to copy (repeat for more)")->required();
  copy->add_option("--type", copy_request.type, "Character, List, Paragraph or Table")
      ->check(CLI::IsMember({"Character", "List", "Paragraph", "Table"}))
      ->capture_default_str();
  copy->add_flag("--from-normal", copy_request.from_normal, "The Normal template is the source");
  copy->add_flag("--to-normal", copy_request.to_normal, "The Normal template is the target");
  copy->add_option("--deps", copy_request.deps,
                   "The dependencies dialog: all (OK with every offered style; the default), none (OK with "
                   "none), ask (on a terminal)")
      ->check(CLI::IsMember({"all", "none", "ask"}))
      ->capture_default_str();
  AddMethodOption(copy, copy_request);
  copy->add_option("--save-source-as", copy_request.save_source_as,
                   "Where to save a source that was never saved or is read-only");
  copy->add_option("--save-target-as", copy_request.save_target_as,
                   "Where to save a target that was never saved or is read-only");

  std::string example_dir;
  auto* example = app.add_subcommand("example", "Write example documents (source.docx, target.docx) into DIR");
  example->add_option("DIR", example_dir, "Folder to write into (created when missing)")->required();

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    out << app.help();
    return kExitDone;
  } catch (const CLI::CallForAllHelp& e) {
    out << app.help("", CLI::AppFormatMode::All);
    return kExitDone;
  } catch (const CLI::ParseError& e) {
    err << "tarnwell: " << e.what() << "\n" << "Run 'tarnwell --help' for usage.\n";
    return kExitUsage;
  }

  g.version = version;
  g.build = kBuilds.at(version);
  if (g.normal_template.empty()) {
    fs::path dir = fs::path(ConfigHome()) / "tarnwell";
    std::error_code ec;
    fs::create_directories(dir, ec);
    g.normal_template = (dir / "Normal.dot").string();
  }
  g.answering = g.assume_yes ? TerminalUi::Answering::AssumeYes
                : stdin_is_terminal ? TerminalUi::Answering::AskTerminal
                                    : TerminalUi::Answering::NoTerminal;

  try {
    if (*inspect) return Inspect(g, inspect_files, out, err);
    if (*example) return WriteExamples(example_dir, out);
    if (*copy) {
      size_t wanted = (copy_request.from_normal ? 0 : 1) + (copy_request.to_normal ? 0 : 1);
      if (copy_files.size() != wanted) {
        err << "tarnwell: copy needs " << wanted << " file(s): SOURCE TARGET, one of them replaced by "
            << "--from-normal or --to-normal\n";
        return kExitUsage;
      }
      size_t next = 0;
      if (!copy_request.from_normal) copy_request.source = copy_files[next++];
      if (!copy_request.to_normal) copy_request.target = copy_files[next++];
      return Copy(g, copy_request, out, err, in);
    }
    if (*docs) return Docs(g, docs_files, out, err, in);
    if (*styles) {
      if (styles_request.file.empty() && !styles_request.from_normal) {
        err << "tarnwell: styles needs a FILE or --from-normal\n";
        return kExitUsage;
      }
      return Styles(g, styles_request, out, err, in);
    }
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
