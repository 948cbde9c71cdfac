#pragma once
// One open document of the embedded Word: its package and the XML of the
// parts we have read. The XML is the document; objects handed to callers
// are handles into it.

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include <pugixml.hpp>

#include "ooxml/package.h"

namespace tarnwell::engine {

class StyleSheet;
class Numbering;
class Body;

// Word's "Object has been deleted": members of a closed document's objects.
inline constexpr int32_t kErrObjectDeleted = 5825;

// Content types of the main part we switch between on SaveAs.
inline constexpr const char* kCtDocument =
    "application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml";
inline constexpr const char* kCtTemplate =
    "application/vnd.openxmlformats-officedocument.wordprocessingml.template.main+xml";
inline constexpr const char* kCtMacroDocument = "application/vnd.ms-word.document.macroEnabled.main+xml";
inline constexpr const char* kCtMacroTemplate = "application/vnd.ms-word.template.macroEnabledTemplate.main+xml";
inline constexpr const char* kCtStyles =
    "application/vnd.openxmlformats-officedocument.wordprocessingml.styles+xml";
inline constexpr const char* kCtNumbering =
    "application/vnd.openxmlformats-officedocument.wordprocessingml.numbering+xml";
inline constexpr const char* kRelStyles =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles";
inline constexpr const char* kRelNumbering =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/numbering";

class DocumentModel {
 public:
  // path is "" for a document never saved; name is then shown as given.
  DocumentModel(ooxml::Package package, std::string path, std::string unsaved_name, bool read_only);
  ~DocumentModel();
  DocumentModel(const DocumentModel&) = delete;
  DocumentModel& operator=(const DocumentModel&) = delete;

  // Word's Name, FullName and Path: the file name, the whole path, and the
  // folder without a trailing separator ("" when never saved).
  std::string name() const;
  std::string full_name() const;
  std::string folder() const;
  const std::string& path() const { return path_; }
  bool read_only() const { return read_only_; }

  bool saved() const { return saved_; }
  void set_saved(bool saved) { saved_ = saved; }
  bool closed() const { return closed_; }
  // Raises kErrObjectDeleted once the document is closed.
  void require_open() const;
  void close() { closed_ = true; }

  ooxml::Package& package() { return package_; }
  const std::string& main_part() const { return main_part_; }

  // The part's XML, parsed on first use. Raises HostError for a missing or
  // malformed part.
  pugi::xml_document& xml(const std::string& part);
  // A change the document's user would see: the part will be written and
  // the document is no longer saved.
  void changed(const std::string& part);
  // A change that leaves the document's Saved state alone (a latent style
  // made real by a lookup): the part is written on the next save.
  void touched(const std::string& part);

  // The part related to the main part by the given relationship type
  // ("styles"), "" when none.
  std::string related_part(std::string_view type) const;
  // Adds a part related to the main part, registered in [Content_Types].xml
  // and the main part's relationships; returns its name.
  std::string add_related_part(const std::string& preferred_name, const char* rel_type,
                               const char* content_type, std::string bytes);

  StyleSheet& styles();
  Numbering& numbering();
  // The main part's body: ranges, tables, bookmarks and the selection.
  Body& body();

  // Writes the document to path (Word's Save when path is the current one,
  // SaveAs otherwise). On success the document takes that path and is saved;
  // on failure it raises and stays as it was, unsaved.
  void write(const std::string& path);
  // Word's Save: writes to the current path, unless nothing has changed
  // since the file was read or written. Saved can be cleared with nothing
  // changed, and the file already holds what would be written.
  void save();

 private:
  struct Part {
    std::unique_ptr<pugi::xml_document> doc;
    bool dirty = false;
  };
  // Brings the package up to date with the parts' XML.
  void flush();
  // Writes the flushed package to target, an absolute path.
  void store(const std::string& target);
  // The main part's content type after saving under a file name with this
  // extension; "" to leave it.
  std::string content_type_for(const std::string& path);

  ooxml::Package package_;
  std::string path_;
  std::string unsaved_name_;
  bool read_only_;
  bool saved_ = true;
  bool closed_ = false;
  std::string main_part_;
  std::map<std::string, Part> parts_;
  std::unique_ptr<StyleSheet> styles_;
  std::unique_ptr<Numbering> numbering_;
  std::unique_ptr<Body> body_;
};

// True when the file cannot be opened for writing, or its permissions give
// no one write access (so a file marked read-only counts even for root).
bool FileIsReadOnly(const std::string& path);

// The main part's content type for a new file of this name: template or
// document, with or without macros, by extension (.dot counts as a template).
std::string MainContentTypeFor(const std::string& file_name);

// A blank document or template as Word starts one, in memory.
ooxml::Package BlankPackage(const std::string& file_name);

}  // namespace tarnwell::engine
