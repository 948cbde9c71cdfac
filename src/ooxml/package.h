#pragma once
// An Open Packaging Conventions package (a zip of parts). Parts keep their
// original bytes until replaced, so untouched parts are written back as read.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace tarnwell::ooxml {

// Guards against hostile archives. Exceeding any of them fails the open.
struct Limits {
  uint64_t max_part_bytes = 256ull << 20;    // one part, inflated
  uint64_t max_total_bytes = 1024ull << 20;  // all parts, inflated
  uint64_t max_parts = 20000;
};

class Package {
 public:
  // Reads the whole package. Raises host::HostError naming the file and the
  // problem: missing or unreadable file, not a zip, a binary Word 97-2003
  // file, an entry name that climbs out of the package, a part past Limits,
  // or no word/document.xml.
  static Package Open(const std::string& path, const Limits& limits = {});
  // A package made in memory (parts added with Set).
  static Package Empty() { return Package(); }

  bool Has(const std::string& part) const;
  // The part's bytes; raises when absent.
  const std::string& Get(const std::string& part) const;
  void Set(const std::string& part, std::string bytes);
  void Remove(const std::string& part);
  // Part names in the order they stood in the archive, new ones last.
  std::vector<std::string> Names() const;

  // Writes the package to a temporary file beside path, then renames it over
  // path. On failure raises host::HostError and leaves path as it was.
  void Save(const std::string& path) const;

 private:
  std::vector<std::string> order_;
  std::map<std::string, std::string> parts_;
};

}  // namespace tarnwell::ooxml
