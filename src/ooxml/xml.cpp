#include "ooxml/xml.h"

#include <algorithm>
#include <vector>

#include "host/host_error.h"

namespace tarnwell::ooxml {
namespace {

using host::HostError;

[[noreturn]] void FailPart(const std::string& file, const std::string& part, const std::string& problem) {
  throw HostError(host::kErrWordCannotOpenFile, "Cannot open \"" + file + "\": part \"" + part + "\" " + problem);
}

bool IsXmlSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Fragment parsing keeps the blanks between the declaration and the root,
// but also lets through what no document may hold; this puts that back.
void CheckOneRoot(const pugi::xml_document& doc, const std::string& file, const std::string& part) {
  int roots = 0;
  for (pugi::xml_node n : doc.children()) {
    switch (n.type()) {
      case pugi::node_element:
        ++roots;
        break;
      case pugi::node_pcdata: {
        std::string_view text = n.value();
        if (!std::all_of(text.begin(), text.end(), IsXmlSpace)) {
          FailPart(file, part, "is not well-formed XML (text outside the root element).");
        }
        break;
      }
      case pugi::node_cdata:
        FailPart(file, part, "is not well-formed XML (text outside the root element).");
      default:
        break;
    }
  }
  if (roots == 0) FailPart(file, part, "is not well-formed XML (no root element).");
  if (roots > 1) FailPart(file, part, "is not well-formed XML (more than one root element).");
}

struct StringWriter : pugi::xml_writer {
  std::string out;
  void write(const void* data, size_t size) override { out.append(static_cast<const char*>(data), size); }
};

// pugixml writes a declaration with double quotes; one written otherwise
// (single quotes, as many tools do) is kept as a processing instruction with
// the original text, which prints back exactly as it stood.
void KeepDeclarationAsWritten(pugi::xml_document& doc, std::string_view bytes) {
  pugi::xml_node decl = doc.first_child();
  if (decl.type() != pugi::node_declaration) return;
  if (bytes.substr(0, 6) != "<?xml ") return;
  size_t end = bytes.find("?>");
  if (end == std::string_view::npos) return;
  std::string_view raw = bytes.substr(0, end + 2);
  if (NodeXml(decl) == raw) return;
  pugi::xml_node pi = doc.insert_child_before(pugi::node_pi, decl);
  pi.set_name("xml");
  pi.set_value(std::string(raw.substr(6, end - 6)).c_str());
  doc.remove_child(decl);
}

bool SameName(const char* a, const char* b) { return std::string_view(a) == b; }

// An element with no children: when written <a></a>, an empty text child
// makes it print with its end tag again rather than as <a/>.
void KeepEndTag(pugi::xml_node node, std::string_view bytes) {
  ptrdiff_t at = node.offset_debug();
  if (bytes.empty() || at < 0 || static_cast<size_t>(at) >= bytes.size()) return;
  char quote = 0;
  char last = 0;
  for (size_t i = static_cast<size_t>(at); i < bytes.size(); ++i) {
    char c = bytes[i];
    if (quote) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '>') {
      if (last != '/') node.append_child(pugi::node_pcdata);
      return;
    }
    if (!quote) last = c;
  }
}

// One pass over the elements: refuses a repeated attribute, which pugixml
// lets through but no XML document may hold; and keeps end tags as written
// when bytes is the text the tree was parsed from.
void CheckAndKeepEndTags(pugi::xml_node root, std::string_view bytes, const std::string& file,
                         const std::string& part) {
  // In document order, which is the order the parser laid the nodes out in
  // memory: a large body's tree is walked at the speed of reading it.
  for (pugi::xml_node node = root; node;) {
    for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute()) {
      for (pugi::xml_attribute b = a.next_attribute(); b; b = b.next_attribute()) {
        if (SameName(a.name(), b.name())) {
          FailPart(file, part,
                   "is not well-formed XML (attribute " + std::string(a.name()) + " repeated on element " +
                       node.name() + " at byte " + std::to_string(node.offset_debug()) + ").");
        }
      }
    }
    pugi::xml_node child = node.first_child();
    while (child && child.type() != pugi::node_element) child = child.next_sibling();
    if (!node.first_child()) KeepEndTag(node, bytes);
    if (child) {
      node = child;
      continue;
    }
    // The next element after this one's subtree: a later sibling of it or
    // of the nearest ancestor that has one.
    for (;;) {
      if (node == root) return;
      pugi::xml_node next = node.next_sibling();
      while (next && next.type() != pugi::node_element) next = next.next_sibling();
      if (next) {
        node = next;
        break;
      }
      node = node.parent();
    }
  }
}

}  // namespace

void LoadXml(pugi::xml_document& doc, const std::string& bytes, const std::string& file, const std::string& part) {
  // Line ends stay as written: normalising them would change every part
  // that carries a CR, and Word reads either.
  constexpr unsigned kOptions = (pugi::parse_full | pugi::parse_ws_pcdata | pugi::parse_fragment) & ~pugi::parse_eol;
  pugi::xml_parse_result result = doc.load_buffer(bytes.data(), bytes.size(), kOptions, pugi::encoding_auto);
  if (!result) {
    FailPart(file, part,
             std::string("is not well-formed XML (") + result.description() + " at byte " +
                 std::to_string(result.offset) + ").");
  }
  for (pugi::xml_node n : doc.children())
    if (n.type() == pugi::node_doctype) RefuseDocumentType(file, part);
  CheckOneRoot(doc, file, part);
  // Offsets into the tree count from the first byte, byte order mark and
  // all, as long as pugixml did not have to convert the text.
  const bool utf8 = result.encoding == pugi::encoding_utf8;
  CheckAndKeepEndTags(doc.document_element(), utf8 ? std::string_view(bytes) : std::string_view(), file, part);
  if (utf8) {
    std::string_view text = bytes;
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    KeepDeclarationAsWritten(doc, text);
  } else if (pugi::xml_node decl = doc.first_child(); decl.type() == pugi::node_declaration) {
    // SaveXml writes UTF-8 whatever the part was read as.
    if (decl.attribute("encoding")) decl.attribute("encoding").set_value("UTF-8");
  }
}

bool DeclaresDocumentType(std::string_view bytes) {
  // A prolog is markup in ASCII; of UTF-16 the low bytes are enough.
  std::string narrow;
  const bool le = bytes.substr(0, 2) == "\xFF\xFE", be = bytes.substr(0, 2) == "\xFE\xFF";
  if (le || be) {
    for (size_t i = (le ? 2 : 3); i < bytes.size() && narrow.size() < 64 * 1024; i += 2) narrow += bytes[i];
    bytes = narrow;
  } else if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
    bytes.remove_prefix(3);
  }
  size_t at = 0;
  for (;;) {
    while (at < bytes.size() && IsXmlSpace(bytes[at])) ++at;
    std::string_view rest = bytes.substr(at);
    if (rest.substr(0, 9) == "<!DOCTYPE") return true;
    const char* end = rest.substr(0, 4) == "<!--" ? "-->" : rest.substr(0, 2) == "<?" ? "?>" : nullptr;
    if (!end) return false;  // the root element, or not XML at all
    size_t close = rest.find(end);
    if (close == std::string_view::npos) return false;
    at += close + std::char_traits<char>::length(end);
  }
}

void RefuseDocumentType(const std::string& file, const std::string& part) {
  FailPart(file, part,
           "declares a document type (<!DOCTYPE>). Word does not open documents that declare one, and its "
           "entities could not be kept.");
}

std::string NodeXml(const pugi::xml_node& node) {
  StringWriter writer;
  node.print(writer, "", pugi::format_raw, pugi::encoding_utf8);
  return std::move(writer.out);
}

std::string SaveXml(const pugi::xml_document& doc, size_t size_hint) {
  StringWriter writer;
  writer.out.reserve(size_hint + size_hint / 16);
  doc.save(writer, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
  return std::move(writer.out);
}

std::string PrefixFor(const pugi::xml_node& root, std::string_view uri, std::string_view fallback) {
  pugi::xml_node element = root;
  if (root.type() == pugi::node_document)
    element = root.find_child([](pugi::xml_node n) { return n.type() == pugi::node_element; });
  for (pugi::xml_attribute a : element.attributes()) {
    if (std::string_view(a.value()) != uri) continue;
    std::string_view name = a.name();
    if (name == "xmlns") return "";
    if (name.substr(0, 6) == "xmlns:") return std::string(name.substr(6));
  }
  return std::string(fallback);
}

std::string Q(std::string_view prefix, std::string_view local) {
  if (prefix.empty()) return std::string(local);
  std::string out;
  out.reserve(prefix.size() + 1 + local.size());
  out.append(prefix).append(":").append(local);
  return out;
}

std::string_view LocalName(std::string_view qname) {
  size_t colon = qname.find(':');
  return colon == std::string_view::npos ? qname : qname.substr(colon + 1);
}

namespace {

std::string_view PrefixOf(std::string_view qname) {
  size_t colon = qname.find(':');
  return colon == std::string_view::npos ? std::string_view() : qname.substr(0, colon);
}

}  // namespace

pugi::xml_node InsertOrdered(pugi::xml_node parent, const std::string& qname,
                             std::initializer_list<std::string_view> order) {
  std::string_view prefix = PrefixOf(qname);
  auto rank = [&](std::string_view name) -> std::ptrdiff_t {
    if (PrefixOf(name) != prefix) return -1;
    auto it = std::find(order.begin(), order.end(), LocalName(name));
    return it == order.end() ? -1 : it - order.begin();
  };
  std::ptrdiff_t mine = rank(qname);
  pugi::xml_node child;
  if (mine < 0) {
    child = parent.append_child(pugi::node_element);
  } else {
    pugi::xml_node last_before;
    pugi::xml_node first_after;
    for (pugi::xml_node c = parent.first_child(); c; c = c.next_sibling()) {
      if (c.type() != pugi::node_element) continue;
      std::ptrdiff_t r = rank(c.name());
      if (r < 0) continue;
      if (r <= mine) {
        last_before = c;
      } else if (!first_after) {
        first_after = c;
        break;
      }
    }
    if (first_after) {
      child = parent.insert_child_before(pugi::node_element, first_after);
    } else if (last_before) {
      child = parent.insert_child_after(pugi::node_element, last_before);
    } else {
      child = parent.append_child(pugi::node_element);
    }
  }
  child.set_name(qname.c_str());
  return child;
}

}  // namespace tarnwell::ooxml
