#include "cli/help_command.h"

#include <signal.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <iostream>

#include "cli/app.h"
#include "cli/manual.h"
#include "dialog/frmVellAbout_COM.h"

extern char** environ;

namespace tarnwell::cli {

namespace fs = std::filesystem;

namespace {

void ListTopics(const std::vector<Topic>& topics, std::ostream& out) {
  out << "Topics of the Tarnwell manual (tarnwell help TOPIC, or tarnwell help --html TOPIC):\n";
  for (const Topic& topic : topics) out << "  " << std::left << std::setw(20) << topic.name << topic.title << "\n";
}

size_t TerminalWidth() {
  winsize size{};
  if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col >= 40) return std::min<size_t>(size.ws_col, 100) - 2;
  return 78;
}

// Pages as git does: $TARNWELL_PAGER, else $PAGER, else less, which leaves a
// short text on the screen and quits (LESS=FRX unless the user set LESS).
// False when no pager took the text.
bool Page(const std::string& text) {
  const char* pager = std::getenv("TARNWELL_PAGER");
  if (!pager) pager = std::getenv("PAGER");
  if (!pager || !*pager) pager = "less";
  if (std::string(pager) == "cat") return false;
  setenv("LESS", "FRX", 0);
  std::fflush(stdout);
  FILE* pipe = popen(pager, "w");
  if (!pipe) return false;
  // A reader that quits early must not end us.
  void (*previous)(int) = signal(SIGPIPE, SIG_IGN);
  std::fwrite(text.data(), 1, text.size(), pipe);
  const int status = pclose(pipe);
  signal(SIGPIPE, previous);
  return !(WIFEXITED(status) && WEXITSTATUS(status) == 127);  // 127: the shell found no pager
}

fs::path CacheFolder() {
  if (const char* x = std::getenv("XDG_CACHE_HOME"); x && *x) return x;
  if (const char* h = std::getenv("HOME"); h && *h) return fs::path(h) / ".cache";
  return fs::temp_directory_path();
}

// Writes the manual's files whole (temporary file, then rename).
fs::path WriteManual() {
  const fs::path folder = CacheFolder() / "tarnwell" / (std::string("manual-") + dialog::kVersion);
  fs::create_directories(folder);
  for (const ManualFile& file : ManualFiles()) {
    const fs::path temporary = folder / (file.name + ".new");
    {
      std::ofstream stream(temporary, std::ios::binary | std::ios::trunc);
      stream << file.content;
      if (!stream.flush()) throw fs::filesystem_error("cannot write", temporary, std::make_error_code(std::errc::io_error));
    }
    fs::rename(temporary, folder / file.name);
  }
  return folder;
}

std::string FindOnPath(const std::string& program) {
  const char* path = std::getenv("PATH");
  std::string folders = path ? path : "";
  size_t start = 0;
  while (start <= folders.size()) {
    const size_t end = std::min(folders.find(':', start), folders.size());
    const fs::path candidate = fs::path(folders.substr(start, end - start)) / program;
    if (end > start && access(candidate.c_str(), X_OK) == 0) return candidate.string();
    start = end + 1;
  }
  return "";
}

int OpenHtml(const Topic& topic, std::ostream& out, std::ostream& err) {
  const std::string page = (WriteManual() / topic.file->name).string();
  const std::string opener = FindOnPath("xdg-open");
  if (opener.empty()) {
    out << "No desktop opener (xdg-open) here; open " << page << " in a web browser.\n";
    return kExitDone;
  }
  const char* argv[] = {opener.c_str(), page.c_str(), nullptr};
  pid_t child = 0;
  int status = 0;
  if (posix_spawn(&child, opener.c_str(), nullptr, nullptr, const_cast<char* const*>(argv), environ) != 0 ||
      waitpid(child, &status, 0) < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    err << "tarnwell: xdg-open could not open " << page << "\n";
    return kExitRefused;
  }
  return kExitDone;
}

}  // namespace

std::string VersionText() {
  std::string about = dialog::AboutText();
  for (size_t at; (at = about.find("\r\n")) != std::string::npos;) about.replace(at, 2, "\n");
  return about + "\ntarnwell " + TARNWELL_BUILD_VERSION + "\n";
}

int Help(const std::string& name, bool html, std::ostream& out, std::ostream& err) {
  const std::vector<Topic> topics = Topics();
  if (name.empty()) {
    ListTopics(topics, out);
    return kExitDone;
  }
  const Topic* topic = FindTopic(topics, name);
  if (!topic) {
    err << "tarnwell: no help topic \"" << name << "\"\n";
    ListTopics(topics, err);
    return kExitUsage;
  }
  if (html) return OpenHtml(*topic, out, err);
  const bool terminal = &out == &std::cout && isatty(STDOUT_FILENO);
  const std::string text = TopicText(*topic, terminal ? TerminalWidth() : 78);
  if (!terminal || !Page(text)) out << text;
  return kExitDone;
}

}  // namespace tarnwell::cli
