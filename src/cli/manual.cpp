#include "cli/manual.h"

#include <pugixml.hpp>

#include <algorithm>
#include <cctype>
#include <sstream>
#include <stdexcept>

namespace tarnwell::cli {

namespace {

enum class Style { Plain, Bold, Italic, Code };
struct Run {
  std::string text;
  Style style;
};

enum class Kind { Heading, Subheading, Paragraph, Item, Term, Definition, Preformatted };
struct Block {
  Kind kind;
  std::vector<Run> runs;  // Preformatted: one run, whitespace kept
  std::string label;      // Item: "*" or "3."
};

constexpr const char* kHtml = ".html";

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::string CollapseSpaces(const std::string& text) {
  std::string out;
  for (char c : text) {
    const bool space = c == ' ' || c == '\n' || c == '\r' || c == '\t';
    if (space) {
      if (out.empty() || out.back() != ' ') out.push_back(' ');
    } else {
      out.push_back(c);
    }
  }
  return out;
}

// A link to another topic reads as the command that shows it.
std::string LinkNote(const std::string& href) {
  const auto dot = href.rfind(kHtml);
  if (dot == std::string::npos || href.find(':') != std::string::npos) return "";
  return " (tarnwell help " + href.substr(0, dot) + ")";
}

void Inline(const pugi::xml_node& node, Style style, std::vector<Run>& runs) {
  for (const pugi::xml_node& child : node.children()) {
    if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata) {
      runs.push_back({CollapseSpaces(child.value()), style});
      continue;
    }
    const std::string name = Lower(child.name());
    Style inner = style;
    if (name == "b" || name == "strong") inner = Style::Bold;
    if (name == "em" || name == "i") inner = Style::Italic;
    if (name == "code" || name == "kbd") inner = Style::Code;
    Inline(child, inner, runs);
    if (name == "a") {
      const std::string note = LinkNote(child.attribute("href").value());
      if (!note.empty()) runs.push_back({note, Style::Plain});
    }
  }
}

// Runs with the blanks at their joins and ends trimmed, empty ones dropped.
std::vector<Run> InlineOf(const pugi::xml_node& node) {
  std::vector<Run> raw, runs;
  Inline(node, Style::Plain, raw);
  for (Run& run : raw) {
    const bool after_blank = runs.empty() || runs.back().text.back() == ' ';
    if (after_blank && !run.text.empty() && run.text.front() == ' ') run.text.erase(0, 1);
    if (!run.text.empty()) runs.push_back(std::move(run));
  }
  while (!runs.empty() && runs.back().text.back() == ' ') {
    runs.back().text.pop_back();
    if (runs.back().text.empty()) runs.pop_back();
  }
  return runs;
}

void AllText(const pugi::xml_node& node, std::string& text) {
  for (const pugi::xml_node& child : node.children()) {
    if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata) text += child.value();
    AllText(child, text);
  }
}

void Blocks(const pugi::xml_node& node, std::vector<Block>& out) {
  for (const pugi::xml_node& child : node.children()) {
    const std::string name = Lower(child.name());
    if (name == "head" || name == "title") continue;
    if (name == "h1") {
      out.push_back({Kind::Heading, InlineOf(child), ""});
    } else if (name == "h2" || name == "h3") {
      out.push_back({Kind::Subheading, InlineOf(child), ""});
    } else if (name == "p") {
      out.push_back({Kind::Paragraph, InlineOf(child), ""});
    } else if (name == "ul" || name == "ol") {
      int number = 0;
      for (const pugi::xml_node& item : child.children("li")) {
        out.push_back({Kind::Item, InlineOf(item), name == "ol" ? std::to_string(++number) + "." : "*"});
      }
    } else if (name == "dt") {
      out.push_back({Kind::Term, InlineOf(child), ""});
    } else if (name == "dd") {
      out.push_back({Kind::Definition, InlineOf(child), ""});
    } else if (name == "pre") {
      std::string text;
      AllText(child, text);
      out.push_back({Kind::Preformatted, {{text, Style::Code}}, ""});
    } else if (child.type() == pugi::node_element) {
      Blocks(child, out);  // html, body, dl and other containers
    }
  }
}

std::vector<Block> Parse(const Topic& topic) {
  pugi::xml_document doc;
  const pugi::xml_parse_result parsed =
      doc.load_string(topic.file->content.c_str(), pugi::parse_default | pugi::parse_ws_pcdata);
  if (!parsed) {
    throw std::runtime_error("The manual's topic " + topic.file->name + " is not well-formed: " +
                             parsed.description());
  }
  std::vector<Block> blocks;
  Blocks(doc, blocks);
  return blocks;
}

std::string Join(const std::vector<Run>& runs) {
  std::string text;
  for (const Run& run : runs) text += run.text;
  return text;
}

// Wraps words at width, each line starting with indent blanks; the first
// line starts with first instead (a list label).
void Wrap(std::ostream& out, const std::string& text, size_t indent, size_t width, const std::string& first = "") {
  std::istringstream words(text);
  std::string word, line = first.empty() ? std::string(indent, ' ') : first;
  bool empty = true;
  while (words >> word) {
    if (!empty && line.size() + 1 + word.size() > width) {
      out << line << "\n";
      line = std::string(indent, ' ');
      empty = true;
    }
    if (!empty) line += ' ';
    line += word;
    empty = false;
  }
  out << line << "\n";
}

std::string RoffEscape(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\\') {
      out += "\\e";
    } else if (c == '-') {
      out += "\\-";
    } else {
      out.push_back(c);
    }
  }
  return out;
}

// A line that would start with a control character is protected.
std::string RoffLine(const std::string& text) {
  return !text.empty() && (text[0] == '.' || text[0] == '\'') ? "\\&" + text : text;
}

std::string RoffRuns(const std::vector<Run>& runs) {
  std::string text;
  for (const Run& run : runs) {
    const std::string escaped = RoffEscape(run.text);
    switch (run.style) {
      case Style::Bold:
      case Style::Code:
        text += "\\fB" + escaped + "\\fR";
        break;
      case Style::Italic:
        text += "\\fI" + escaped + "\\fR";
        break;
      case Style::Plain:
        text += escaped;
        break;
    }
  }
  return RoffLine(text);
}

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

// Preformatted text without its first and last line breaks.
std::string TrimBreaks(std::string text) {
  while (!text.empty() && (text.front() == '\n' || text.front() == '\r')) text.erase(0, 1);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
  return text;
}

}  // namespace

std::vector<Topic> Topics() {
  std::vector<Topic> topics;
  for (const ManualFile& file : ManualFiles()) {
    const auto dot = file.name.rfind(kHtml);
    if (dot == std::string::npos || dot + 5 != file.name.size()) continue;
    pugi::xml_document doc;
    doc.load_string(file.content.c_str());
    topics.push_back({file.name.substr(0, dot), doc.select_node("//title").node().text().get(), &file});
  }
  return topics;
}

const Topic* FindTopic(const std::vector<Topic>& topics, const std::string& name) {
  const auto it = std::find_if(topics.begin(), topics.end(), [&](const Topic& t) { return t.name == name; });
  return it == topics.end() ? nullptr : &*it;
}

std::string TopicText(const Topic& topic, size_t width) {
  std::ostringstream out;
  const std::vector<Block> blocks = Parse(topic);
  for (size_t i = 0; i < blocks.size(); ++i) {
    const Block& block = blocks[i];
    const std::string text = Join(block.runs);
    // A definition stays with its term, an item with the one before.
    const bool joined = i > 0 && ((block.kind == Kind::Definition && blocks[i - 1].kind == Kind::Term) ||
                                  (block.kind == Kind::Item && blocks[i - 1].kind == Kind::Item));
    if (i > 0 && !joined) out << "\n";
    switch (block.kind) {
      case Kind::Heading:
        out << text << "\n" << std::string(text.size(), '=') << "\n";
        break;
      case Kind::Subheading:
        out << text << "\n" << std::string(text.size(), '-') << "\n";
        break;
      case Kind::Paragraph:
        Wrap(out, text, 0, width);
        break;
      case Kind::Item: {
        const std::string label = "  " + block.label + " ";
        Wrap(out, text, label.size(), width, label);
        break;
      }
      case Kind::Term:
        Wrap(out, text, 2, width);
        break;
      case Kind::Definition:
        Wrap(out, text, 6, width);
        break;
      case Kind::Preformatted: {
        std::istringstream lines(TrimBreaks(text));
        for (std::string line; std::getline(lines, line);) out << "    " << line << "\n";
        break;
      }
    }
  }
  return out.str();
}

std::string ManPage(const std::vector<Topic>& topics, const std::string& version) {
  std::ostringstream out;
  out << ".TH TARNWELL 1 \"\" \"tarnwell " << RoffEscape(version) << "\" \"Tarnwell Manual\"\n"
      << ".SH NAME\ntarnwell \\- copy styles between Word documents\n";
  for (const Topic& topic : topics) {
    out << ".SH " << RoffLine(RoffEscape(Upper(topic.title))) << "\n";
    for (const Block& block : Parse(topic)) {
      switch (block.kind) {
        case Kind::Heading:
          break;  // the section's own title
        case Kind::Subheading:
          out << ".SS " << RoffRuns(block.runs) << "\n";
          break;
        case Kind::Paragraph:
          out << ".PP\n" << RoffRuns(block.runs) << "\n";
          break;
        case Kind::Item:
          out << ".IP " << (block.label == "*" ? "\\(bu 2" : "\"" + block.label + "\" 4") << "\n"
              << RoffRuns(block.runs) << "\n";
          break;
        case Kind::Term:
          out << ".TP\n" << RoffRuns({{Join(block.runs), Style::Bold}}) << "\n";
          break;
        case Kind::Definition:
          out << RoffRuns(block.runs) << "\n";
          break;
        case Kind::Preformatted: {
          out << ".PP\n.RS 4\n.nf\n";
          std::istringstream lines(TrimBreaks(Join(block.runs)));
          for (std::string line; std::getline(lines, line);) out << RoffLine(RoffEscape(line)) << "\n";
          out << ".fi\n.RE\n";
          break;
        }
      }
    }
  }
  return out.str();
}

}  // namespace tarnwell::cli
