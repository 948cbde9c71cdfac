#pragma once
// XML parts as pugixml documents: loaded with every node kept, saved raw, so
// markup we do not model passes through unchanged.

#include <initializer_list>
#include <string>
#include <string_view>

#include <pugixml.hpp>

namespace tarnwell::ooxml {

inline constexpr const char* kWordNs = "http://schemas.openxmlformats.org/wordprocessingml/2006/main";

// Parses a part; raises host::HostError (kErrWordCannotOpenFile) naming file
// and part, with the parse error's description and byte offset, when it is
// malformed. Blanks, comments, processing instructions, line ends and the
// declaration as written are kept, so SaveXml of an untouched part gives
// back its bytes (a UTF-8 byte order mark aside). To that end an element
// written <a></a> holds an empty text child, and a declaration written with
// single quotes is held as a processing instruction named "xml".
// A part that declares a document type (<!DOCTYPE ...>) is refused, as Word
// refuses it: its entities would otherwise be saved back as literal text.
void LoadXml(pugi::xml_document& doc, const std::string& bytes, const std::string& file, const std::string& part);
// True when the part's prolog, before its root element, holds a <!DOCTYPE.
// Reads UTF-8 and UTF-16 with a byte order mark.
bool DeclaresDocumentType(std::string_view bytes);
// Raises host::HostError (kErrWordCannotOpenFile) naming file and part.
[[noreturn]] void RefuseDocumentType(const std::string& file, const std::string& part);
// The document as UTF-8, unindented, with no declaration added.
// size_hint, when known (the part's last size), saves growing the text.
std::string SaveXml(const pugi::xml_document& doc, size_t size_hint = 0);
// One element and what it holds, as UTF-8 and unindented.
std::string NodeXml(const pugi::xml_node& node);

// The prefix a namespace URI is bound to on the root element ("" for a default
// namespace); falls back to fallback when the URI is not declared.
std::string PrefixFor(const pugi::xml_node& root, std::string_view uri, std::string_view fallback);

// Qualified-name helper: Q("w", "style") is "w:style"; Q("", "style") is "style".
std::string Q(std::string_view prefix, std::string_view local);
// The local part of a qualified name.
std::string_view LocalName(std::string_view qname);

// Inserts a new child named qname into parent at the place the schema orders
// it: after every existing child whose local name stands before it in order,
// before the first whose local name stands after it. Children not in order
// keep their places, as do children with another prefix than qname's. A
// name not in order goes last. Returns the new child.
pugi::xml_node InsertOrdered(pugi::xml_node parent, const std::string& qname,
                             std::initializer_list<std::string_view> order);

}  // namespace tarnwell::ooxml
