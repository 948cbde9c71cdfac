#pragma once
// `tarnwell help` and `tarnwell --version`.

#include <iosfwd>
#include <string>

namespace tarnwell::cli {

// The About text, one line each, then the build's version.
std::string VersionText();

// Without a topic, lists the topics. Otherwise prints the topic as text
// (through a pager when standard output is a terminal), or with html writes
// the manual's pages to the user's cache and opens the topic with the
// desktop's opener, where there is one. An unknown topic is a usage error.
int Help(const std::string& topic, bool html, std::ostream& out, std::ostream& err);

}  // namespace tarnwell::cli
