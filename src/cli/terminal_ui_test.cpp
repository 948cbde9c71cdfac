#include "cli/terminal_ui.h"

#include <gtest/gtest.h>

#include <sstream>

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

TEST(TerminalUi, PrintsTitleTextAndTheButtonsOffered) {
  std::string printed;
  EXPECT_EQ(Ask(TerminalUi::Answering::NoTerminal, Buttons::OK, "", &printed), Answer::OK);
  EXPECT_EQ(printed.rfind("Save documents?: Line one\n\nLine two [OK]\n", 0), 0u) << printed;
}

TEST(TerminalUi, QuestionsAreAcceptedOnlyWithYesOrByTheUser) {
  EXPECT_EQ(Ask(TerminalUi::Answering::AssumeYes, Buttons::OKCancel, ""), Answer::OK);
  EXPECT_EQ(Ask(TerminalUi::Answering::AssumeYes, Buttons::YesNo, ""), Answer::Yes);
  // Nobody to ask: the answer that changes nothing.
  EXPECT_EQ(Ask(TerminalUi::Answering::NoTerminal, Buttons::OKCancel, "ok\n"), Answer::Cancel);
  EXPECT_EQ(Ask(TerminalUi::Answering::NoTerminal, Buttons::YesNo, ""), Answer::No);
  // On a terminal: the typed answer, a prefix will do, nonsense asks again.
  EXPECT_EQ(Ask(TerminalUi::Answering::AskTerminal, Buttons::OKCancel, "maybe\nok\n"), Answer::OK);
  EXPECT_EQ(Ask(TerminalUi::Answering::AskTerminal, Buttons::OKCancel, "C\n"), Answer::Cancel);
  // The terminal closes before an answer: declined.
  EXPECT_EQ(Ask(TerminalUi::Answering::AskTerminal, Buttons::OKCancel, "huh\n"), Answer::Cancel);
}

TEST(TerminalUi, MeasuresCharactersNotBytes) {
  std::ostringstream err;
  std::istringstream in;
  TerminalUi ui(err, in, TerminalUi::Answering::NoTerminal);
  EXPECT_EQ(ui.TextWidth("abc"), 3);
  EXPECT_EQ(ui.TextWidth("\xC3\xA9t\xC3\xA9"), 3);  // "été"
  EXPECT_EQ(ui.TextWidth(""), 0);
}

}  // namespace
}  // namespace tarnwell::cli
