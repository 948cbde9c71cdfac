#pragma once
// The command line's user interface: message boxes become lines on stderr,
// questions are answered from --yes, a terminal, or Cancel when there is none.

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

#include "platform/ui.h"

namespace tarnwell::cli {

class TerminalUi : public platform::Ui {
 public:
  enum class Answering { AssumeYes, AskTerminal, NoTerminal };

  TerminalUi(std::ostream& err, std::istream& in, Answering answering);

  // The command plays the user's part while a dialog is shown.
  std::function<void(platform::ModalDialog&)> user;
  // Paths offered when a save-as dialog asks; empty means the user cancels.
  std::function<std::string(const platform::SaveAsRequest&)> choose_file;
  bool show_status = false;
  // On a terminal the status is one line rewritten in place, cut to the
  // terminal's width (columns; 0 asks the terminal).
  bool status_in_place = false;
  int columns = 0;
  // Errors only: messages that merely inform are not shown.
  bool quiet = false;
  // The message boxes shown, in order, for a report a script reads.
  struct Shown {
    std::string title, text, answer;
  };
  std::vector<Shown> shown;
  // Ends an in-place status line before other output.
  void EndStatusLine();

  platform::Answer MessageBox(const std::string& title, const std::string& text, platform::Icon icon,
                              platform::Buttons buttons) override;
  void ShowModal(platform::ModalDialog& dialog) override;
  platform::FileDialogResult FileDialog(const platform::SaveAsRequest& request) override;
  void ShowHelp(const std::string& path, int32_t context_id, platform::WindowHandle caller) override;
  int32_t TextWidth(const std::string& text) override;
  void ListMessage(const std::string&, uint32_t, const std::vector<int32_t>&) override {}
  bool ForceForeground(platform::WindowHandle) override { return true; }
  void Status(const std::string& text) override;
  platform::WindowHandle FindWindowByClass(const std::string&) override { return 0; }

 private:
  // Shows the message box and gets its answer.
  platform::Answer Answered(const std::string& title, const std::string& text, platform::Icon icon,
                            platform::Buttons buttons);
  bool status_open_ = false;
  std::ostream& err_;
  std::istream& in_;
  Answering answering_;
};

// A typed answer as it is compared: without surrounding blanks, lower case.
std::string Normalized(const std::string& typed);

// The text cut to at most columns characters.
std::string ClipToColumns(const std::string& text, int columns);

// Message texts join lines with CR LF; a terminal wants plain line feeds.
std::string ForTerminal(const std::string& text);

}  // namespace tarnwell::cli
