#include "cli/terminal_ui.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <iostream>
#include <string>

namespace tarnwell::cli {

using platform::Answer;
using platform::Buttons;

namespace {

struct Offer {
  const char* label;
  Answer answer;
  // What a user may type for it besides the label, in any case.
  std::vector<const char*> also = {};
};

std::vector<Offer> OffersFor(Buttons b) {
  const Offer ok{"OK", Answer::OK, {"y", "yes", "ok"}}, cancel{"Cancel", Answer::Cancel, {"n", "no", "cancel"}};
  const Offer yes{"Yes", Answer::Yes, {"y"}}, no{"No", Answer::No, {"n"}};
  switch (b) {
    case Buttons::OK: return {ok};
    case Buttons::OKCancel: return {ok, cancel};
    case Buttons::AbortRetryIgnore:
      return {{"Abort", Answer::Abort, {"a"}}, {"Retry", Answer::Retry, {"r"}}, {"Ignore", Answer::Ignore, {"i"}}};
    case Buttons::YesNoCancel: return {yes, no, {"Cancel", Answer::Cancel, {"c"}}};
    case Buttons::YesNo: return {yes, no};
    case Buttons::RetryCancel: return {{"Retry", Answer::Retry, {"r"}}, {"Cancel", Answer::Cancel, {"c"}}};
  }
  return {ok};
}

// The safe answer when nobody can be asked: the one that changes nothing.
Answer Declining(Buttons b) {
  switch (b) {
    case Buttons::OK: return Answer::OK;
    case Buttons::YesNo: return Answer::No;
    case Buttons::AbortRetryIgnore: return Answer::Abort;
    default: return Answer::Cancel;
  }
}

std::string Lower(std::string s) {
  for (auto& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

}  // namespace

std::string Normalized(const std::string& typed) {
  size_t b = typed.find_first_not_of(" \t\r"), e = typed.find_last_not_of(" \t\r");
  return b == std::string::npos ? "" : Lower(typed.substr(b, e - b + 1));
}

std::string ClipToColumns(const std::string& text, int columns) {
  int n = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80 && n++ == columns) return text.substr(0, i);
  }
  return text;
}

std::string ForTerminal(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    out += text[i] == '\r' ? '\n' : text[i];
  }
  return out;
}

TerminalUi::TerminalUi(std::ostream& err, std::istream& in, Answering answering)
    : err_(err), in_(in), answering_(answering) {}

Answer TerminalUi::MessageBox(const std::string& title, const std::string& text, platform::Icon icon,
                              Buttons buttons) {
  Answer answer = Answered(title, text, icon, buttons);
  std::string label;
  for (auto& o : OffersFor(buttons))
    if (o.answer == answer) label = o.label;
  shown.push_back({title, ForTerminal(text), label});
  return answer;
}

Answer TerminalUi::Answered(const std::string& title, const std::string& text, platform::Icon icon,
                            Buttons buttons) {
  auto offers = OffersFor(buttons);
  // Quiet leaves out what needs no one: news, and questions --yes answers.
  if (quiet && icon != platform::Icon::Critical && icon != platform::Icon::Exclamation &&
      (offers.size() == 1 || answering_ == Answering::AssumeYes))
    return offers[0].answer;
  EndStatusLine();
  std::string labels;
  for (auto& o : offers) labels += (labels.empty() ? "" : "/") + std::string(o.label);
  err_ << title << ": " << ForTerminal(text) << " [" << labels << "]\n";
  if (offers.size() == 1) return offers[0].answer;
  if (answering_ == Answering::AssumeYes) {
    err_ << "  -> " << offers[0].label << " (--yes)\n";
    return offers[0].answer;
  }
  if (answering_ == Answering::NoTerminal) {
    Answer a = Declining(buttons);
    for (auto& o : offers)
      if (o.answer == a) err_ << "  -> " << o.label << " (no terminal to ask; use --yes to accept)\n";
    return a;
  }
  // The first button is the default, as in the message box; Enter takes it.
  std::string choices;
  for (auto& o : offers) {
    choices += (choices.empty() ? "" : ", ") + std::string(o.label) + " (";
    for (size_t i = 0; i < o.also.size(); ++i) choices += (i ? ", " : "") + std::string(o.also[i]);
    choices += ")";
  }
  for (;;) {
    err_ << "  " << labels << "? [" << offers[0].label << "] " << std::flush;
    std::string line;
    if (!std::getline(in_, line)) return Declining(buttons);
    line = Normalized(line);
    if (line.empty()) return offers[0].answer;
    for (auto& o : offers) {
      if (line == Lower(o.label)) return o.answer;
      for (const char* a : o.also)
        if (line == a) return o.answer;
    }
    err_ << "  Please answer " << choices << ".\n";
  }
}

void TerminalUi::ShowModal(platform::ModalDialog& dialog) {
  dialog.Load();
  if (user && dialog.Visible()) user(dialog);
}

platform::FileDialogResult TerminalUi::FileDialog(const platform::SaveAsRequest& request) {
  platform::FileDialogResult r;
  if (!choose_file) return r;
  r.path = choose_file(request);
  r.ok = !r.path.empty();
  r.flags = request.flags;
  return r;
}

void TerminalUi::ShowHelp(const std::string& path, int32_t context_id, platform::WindowHandle) {
  err_ << "Help: " << path << " (topic " << context_id << ")\n";
}

int32_t TerminalUi::TextWidth(const std::string& text) {
  // One column per character: count UTF-8 lead bytes.
  int32_t n = 0;
  for (unsigned char c : text)
    if ((c & 0xC0) != 0x80) ++n;
  return n;
}

void TerminalUi::Status(const std::string& text) {
  if (!show_status || quiet) return;
  // Status texts double "&" for the dialog's label; the user knows one.
  std::string shown;
  for (size_t i = 0; i < text.size(); ++i) {
    shown += text[i];
    if (text[i] == '&' && i + 1 < text.size() && text[i + 1] == '&') ++i;
  }
  if (status_in_place) {
    // A line longer than the terminal wraps, and the next one would rewrite
    // only its last row.
    int width = columns;
    if (width <= 0) {
      winsize ws{};
      width = ::ioctl(STDERR_FILENO, TIOCGWINSZ, &ws) == 0 && ws.ws_col > 0 ? ws.ws_col : 80;
    }
    err_ << "\r\033[K" << ClipToColumns(shown, width - 1) << std::flush;
    status_open_ = !text.empty();
  } else if (!text.empty()) {
    err_ << "  " << shown << "\n";
  }
}

void TerminalUi::EndStatusLine() {
  if (status_open_) err_ << "\n";
  status_open_ = false;
}

}  // namespace tarnwell::cli
