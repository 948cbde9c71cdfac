#include "cli/terminal_ui.h"

#include <iostream>
#include <string>

namespace tarnwell::cli {

using platform::Answer;
using platform::Buttons;

namespace {

struct Offer {
  const char* label;
  Answer answer;
};

std::vector<Offer> OffersFor(Buttons b) {
  switch (b) {
    case Buttons::OK: return {{"OK", Answer::OK}};
    case Buttons::OKCancel: return {{"OK", Answer::OK}, {"Cancel", Answer::Cancel}};
    case Buttons::AbortRetryIgnore:
      return {{"Abort", Answer::Abort}, {"Retry", Answer::Retry}, {"Ignore", Answer::Ignore}};
    case Buttons::YesNoCancel: return {{"Yes", Answer::Yes}, {"No", Answer::No}, {"Cancel", Answer::Cancel}};
    case Buttons::YesNo: return {{"Yes", Answer::Yes}, {"No", Answer::No}};
    case Buttons::RetryCancel: return {{"Retry", Answer::Retry}, {"Cancel", Answer::Cancel}};
  }
  return {{"OK", Answer::OK}};
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

Answer TerminalUi::MessageBox(const std::string& title, const std::string& text, platform::Icon,
                              Buttons buttons) {
  EndStatusLine();
  auto offers = OffersFor(buttons);
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
  for (;;) {
    err_ << "  " << labels << "? " << std::flush;
    std::string line;
    if (!std::getline(in_, line)) return Declining(buttons);
    line = Lower(line);
    for (auto& o : offers) {
      std::string l = Lower(o.label);
      if (!line.empty() && (line == l || l.rfind(line, 0) == 0)) return o.answer;
    }
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
  if (!show_status) return;
  if (status_in_place) {
    err_ << "\r\033[K" << text << std::flush;
    status_open_ = !text.empty();
  } else if (!text.empty()) {
    err_ << "  " << text << "\n";
  }
}

void TerminalUi::EndStatusLine() {
  if (status_open_) err_ << "\n";
  status_open_ = false;
}

}  // namespace tarnwell::cli
