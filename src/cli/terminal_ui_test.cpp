#include "cli/terminal_ui.h"

#include <gtest/gtest.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <sstream>

#include "cli/test_support.h"

namespace tarnwell::cli {
namespace {

using platform::Answer;
using platform::Buttons;
using platform::Icon;

Answer Ask(TerminalUi::Answering mode, Buttons buttons, const std::string& typed, std::string* printed = nullptr) {
  std::ostringstream err;
  std::istringstream in(typed);
  TerminalUi ui(err, in, mode);
  Answer a = ui.MessageBox("Save documents?", "Line one\r\n\r\nLine two", Icon::Question, buttons);
  if (printed) *printed = err.str();
  return a;
}

TEST(TerminalUi, PrintsTitleTextAndTheButtonsOfferedAndMeasuresCharactersNotBytes) {
  std::string printed;
  EXPECT_EQ(Ask(TerminalUi::Answering::NoTerminal, Buttons::OK, "", &printed), Answer::OK);
  EXPECT_EQ(printed.rfind("Save documents?: Line one\n\nLine two [OK]\n", 0), 0u) << printed;
  std::ostringstream err;
  std::istringstream in;
  TerminalUi ui(err, in, TerminalUi::Answering::NoTerminal);
  EXPECT_EQ(ui.TextWidth("abc"), 3);
  EXPECT_EQ(ui.TextWidth("\xC3\xA9t\xC3\xA9"), 3);  // "été"
  EXPECT_EQ(ui.TextWidth(""), 0);
}

TEST(TerminalUi, QuestionsAreAcceptedOnlyWithYesOrByTheUser) {
  using M = TerminalUi::Answering;
  struct Case {
    M mode;
    Buttons buttons;
    const char* typed;
    Answer answer;
  };
  const Case cases[] = {
      {M::AssumeYes, Buttons::OKCancel, "", Answer::OK},
      {M::AssumeYes, Buttons::YesNo, "", Answer::Yes},
      // Nobody to ask: the answer that changes nothing.
      {M::NoTerminal, Buttons::OKCancel, "ok\n", Answer::Cancel},
      {M::NoTerminal, Buttons::YesNo, "", Answer::No},
      // On a terminal: the words a user types, in any case; Enter takes the default.
      {M::AskTerminal, Buttons::OKCancel, "YES\n", Answer::OK},
      {M::AskTerminal, Buttons::OKCancel, " y \n", Answer::OK},
      {M::AskTerminal, Buttons::OKCancel, "Cancel\n", Answer::Cancel},
      {M::AskTerminal, Buttons::OKCancel, "no\n", Answer::Cancel},
      {M::AskTerminal, Buttons::OKCancel, "\n", Answer::OK},
      {M::AskTerminal, Buttons::YesNo, "n\n", Answer::No},
      {M::AskTerminal, Buttons::OKCancel, "maybe\nok\n", Answer::OK},
      // The terminal closes before an answer: declined.
      {M::AskTerminal, Buttons::OKCancel, "huh\n", Answer::Cancel},
  };
  for (const auto& c : cases) EXPECT_EQ(Ask(c.mode, c.buttons, c.typed), c.answer) << c.typed;
  std::string printed;
  Ask(M::AskTerminal, Buttons::OKCancel, "maybe\n", &printed);
  EXPECT_NE(printed.find("OK/Cancel? [OK] "), std::string::npos) << printed;
  EXPECT_NE(printed.find("Please answer OK (y, yes, ok), Cancel (n, no, cancel)."), std::string::npos) << printed;
}

TEST(TerminalUi, StatusShowsNamesAsTheUserKnowsThemAndQuietShowsNoNews) {
  std::ostringstream err;
  std::istringstream in;
  TerminalUi ui(err, in, TerminalUi::Answering::AskTerminal);
  ui.show_status = true;
  ui.Status("Copying style:  R&&D");
  ui.quiet = true;
  ui.Status("Copying style:  X");
  EXPECT_EQ(ui.MessageBox("Done", "Copying complete.", Icon::Information, Buttons::OK), Answer::OK);
  EXPECT_EQ(err.str(), "  Copying style:  R&D\n");
}

// The built command on a pseudo-terminal 20 columns wide, typed at; what
// the terminal showed and the exit code.
std::pair<std::string, int> InTerminal(const std::vector<std::string>& args, const std::string& typed) {
  std::vector<char*> argv;
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  winsize ws{};
  ws.ws_col = 20;
  ws.ws_row = 24;
  int terminal = -1;
  pid_t pid = forkpty(&terminal, nullptr, nullptr, &ws);
  if (pid == 0) {
    execv(TARNWELL_BINARY, argv.data());
    _exit(127);
  }
  if (pid < 0 || write(terminal, typed.data(), typed.size()) != static_cast<ssize_t>(typed.size())) return {"", -1};
  std::string screen;
  char buffer[4096];
  for (ssize_t got; (got = read(terminal, buffer, sizeof buffer)) > 0;) screen.append(buffer, static_cast<size_t>(got));
  int status = 0;
  waitpid(pid, &status, 0);
  close(terminal);
  return {screen, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

TEST(TerminalUiPty, AsksKeepsProgressWithinTheTerminalAndNamesColumns) {
  namespace fs = std::filesystem;
  const fs::path dir = testing::TestHome("tw-pty");
  ASSERT_EQ(testing::RunTarnwell(dir, {"example", dir.string()}).code, kExitDone);
  const std::string normal = (dir / "Normal.dotx").string(), source = (dir / "source.docx").string();
  auto [screen, code] = InTerminal({"tarnwell", "--normal", normal, "copy", source, (dir / "target.docx").string(), "-s",
                                    "Report Quote Source"},
                                   "maybe\nyes\n");
  EXPECT_EQ(code, kExitDone) << screen;
  EXPECT_NE(screen.find("OK/Cancel? [OK] "), std::string::npos) << screen;
  int status_lines = 0;
  for (size_t at = 0; (at = screen.find("\033[KCopying", at)) != std::string::npos; at += 3) {
    std::string line = screen.substr(at + 3, screen.find_first_of("\r\n", at + 3) - at - 3);
    ++status_lines;
    EXPECT_LT(line.size(), 20u) << line;
  }
  EXPECT_GT(status_lines, 0) << screen;
  auto [listing, listed] = InTerminal({"tarnwell", "--normal", normal, "inspect", source}, "");
  EXPECT_EQ(listed, kExitDone);
  EXPECT_EQ(listing.rfind("Name\tType\tBased on\tNext\r\n", 0), 0u) << listing;
  fs::remove_all(dir);
}

}  // namespace
}  // namespace tarnwell::cli
