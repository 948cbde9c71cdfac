#pragma once
// An Open Packaging Conventions package (a zip of parts). Parts keep their
// original bytes until replaced, so untouched parts are written back as read.

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwell::ooxml {

// Guards against hostile archives. Exceeding any of them fails the open.
// They are checked against the bytes actually inflated, not the sizes the
// archive declares. XML parts rarely pass a few MiB; pictures and embedded
// files make the bulk of a large document. These leave room for picture-heavy
// documents while bounding what a hostile archive can make us hold.
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
  // Adds or replaces a part. Raises kErrBadFileName for a name that could
  // not stand in a package (empty, absolute, "..", backslashes, a drive,
  // or differing from an existing part only in case).
  void Set(const std::string& part, std::string bytes);
  void Remove(const std::string& part);
  // Part names in the order they stood in the archive, new ones last.
  std::vector<std::string> Names() const;

  // The main document part: the target of the package's officeDocument
  // relationship, else "word/document.xml".
  std::string MainPart() const;
  // The relationships part of a part: "word/_rels/document.xml.rels" for
  // "word/document.xml", "_rels/.rels" for "" (the package itself).
  static std::string RelsPartFor(const std::string& part);
  // The part named by the first internal relationship of source (a part
  // name, or "" for the package) whose type ends in "/" + type, for example
  // Related("word/document.xml", "styles"). "" when there is none.
  std::string Related(const std::string& source, std::string_view type) const;
  // A relationship target resolved against the part that holds it
  // ("../media/a.png" from "word/document.xml" is "media/a.png"); "" when
  // it climbs above the package root.
  static std::string ResolveTarget(const std::string& source, std::string_view target);

  // Writes the package to a temporary file beside path, then renames it over
  // path. On failure raises host::HostError and leaves path as it was.
  // [Content_Types].xml goes first; untouched parts keep their compressed
  // data, new and changed ones are deflated; entry times are fixed, so equal
  // packages give equal files.
  void Save(const std::string& path) const;
  // Whether a part was set to other bytes, added or removed since the
  // package was read or last marked written.
  bool Modified() const { return modified_; }
  void MarkWritten() { modified_ = false; }
  // The archive Save would write, in memory.
  std::string Serialize() const;

 private:
  std::vector<std::string> order_;
  std::map<std::string, std::string> parts_;
  bool modified_ = false;
  // How the archive held an untouched part, so that Save writes it back as
  // it was: stored stays stored, deflated data is copied without inflating
  // and deflating it again.
  struct Original {
    int32_t method = 0;      // the zip compression method
    uint32_t crc = 0;        // of the inflated bytes
    std::string compressed;  // the deflated data; empty when stored
  };
  std::map<std::string, Original> originals_;
  // The bytes a part held before its last change, with their archive data.
  struct Earlier {
    std::string bytes;
    Original data;
  };
  std::map<std::string, Earlier> earlier_;
  // What this package's own last save deflated each changed part to, while
  // the part's bytes stay the same: the next save copies it rather than
  // deflating again, and since the deflate is the same, so are the files.
  mutable std::map<std::string, Original> deflated_;
  void KeepDeflated(const std::string& archive, const std::vector<const std::string*>& fresh) const;
};

// True when name can stand as a part name: relative, no "." or ".." segment,
// no backslash, drive, empty segment or control character.
bool IsSafePartName(std::string_view name);

}  // namespace tarnwell::ooxml
