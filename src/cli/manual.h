#pragma once
// The manual, as the command shows it: the help project's files built into
// the program, each topic rendered as text for a terminal or as a section of
// the man page. Topics are well-formed HTML using a small set of elements
// (h1, h2, p, ul, ol, li, dl, dt, dd, pre, b, em, code, a).

#include <cstddef>
#include <string>
#include <vector>

namespace tarnwell::cli {

struct ManualFile {
  std::string name;  // "using.html", "tarnwell.css"
  std::string content;
};

// Every file of the help project, in its order (made at build time).
const std::vector<ManualFile>& ManualFiles();

struct Topic {
  std::string name;  // the file name without ".html": "getting-started"
  std::string title;
  const ManualFile* file;
};

// The HTML files as topics, in the manual's order.
std::vector<Topic> Topics();
// The topic of that name, or nullptr.
const Topic* FindTopic(const std::vector<Topic>& topics, const std::string& name);

// The topic as plain text, wrapped at width columns. A link to another topic
// names the command that shows it.
std::string TopicText(const Topic& topic, size_t width);
// The man page tarnwell(1): every topic a section.
std::string ManPage(const std::vector<Topic>& topics, const std::string& version);

}  // namespace tarnwell::cli
