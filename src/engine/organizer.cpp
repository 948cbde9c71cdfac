#include "engine/organizer.h"

#include <algorithm>
#include <map>
#include <vector>

#include "engine/document_model.h"
#include "engine/numbering.h"
#include "engine/styles.h"
#include "host/host_error.h"
#include "ooxml/package_io.h"
#include "ooxml/xml.h"

namespace tarnwell::engine {

using host::HostError;

namespace {

std::string_view PrefixOf(std::string_view qname) {
  size_t colon = qname.find(':');
  return colon == std::string_view::npos ? std::string_view() : qname.substr(0, colon);
}

// The URI a prefix is bound to on the part's root element; "" when unbound.
std::string UriOf(pugi::xml_node root, std::string_view prefix) {
  std::string attr = "xmlns:" + std::string(prefix);
  return root.attribute(attr.c_str()).value();
}

// Gives a copied element the prefixes of the part it now stands in: the
// Word namespace takes the destination's prefix, another namespace the
// destination's prefix for its URI, or a declaration of its own on the
// copy when the destination does not bind it.
void AdaptNamespaces(pugi::xml_node top, pugi::xml_node from_root, pugi::xml_node to_root) {
  std::map<std::string, std::string, std::less<>> renamed;  // source prefix -> destination prefix
  auto map_prefix = [&](std::string_view prefix) -> const std::string& {
    auto it = renamed.find(prefix);
    if (it != renamed.end()) return it->second;
    std::string out(prefix);
    std::string uri = UriOf(from_root, prefix);
    if (!uri.empty()) {
      // A control character cannot be a prefix, so it marks "not bound".
      constexpr const char* kUnbound = "\x01";
      std::string there = ooxml::PrefixFor(to_root, uri, kUnbound);
      if (there != kUnbound && !there.empty()) {
        out = there;
      } else if (there == kUnbound) {
        std::string decl = "xmlns:" + std::string(prefix);
        if (!UriOf(to_root, prefix).empty()) {
          // The prefix means something else there: a fresh one for ours.
          for (int n = 1;; ++n) {
            out = std::string(prefix) + std::to_string(n);
            if (UriOf(to_root, out).empty()) break;
          }
          decl = "xmlns:" + out;
        }
        if (!top.attribute(decl.c_str())) top.append_attribute(decl.c_str()).set_value(uri.c_str());
      }
    }
    return renamed.emplace(std::string(prefix), out).first->second;
  };
  // Nearly every name of a copy has the prefix the one before had, and
  // keeps it.
  std::string kept;
  // The name under the destination's prefixes; "" when it stays as it is.
  auto rename = [&](std::string_view name) -> std::string {
    std::string_view prefix = PrefixOf(name);
    if (prefix.empty() || prefix == kept || prefix == "xml" || prefix == "xmlns") return {};
    const std::string& mapped = map_prefix(prefix);
    if (mapped == prefix) {
      kept = mapped;
      return {};
    }
    return ooxml::Q(mapped, ooxml::LocalName(name));
  };
  std::vector<pugi::xml_node> stack{top};
  while (!stack.empty()) {
    pugi::xml_node node = stack.back();
    stack.pop_back();
    // Most copies keep their prefixes: a name is only set when it changes.
    if (std::string renamed = rename(node.name()); !renamed.empty()) node.set_name(renamed.c_str());
    for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute()) {
      if (std::string renamed = rename(a.name()); !renamed.empty()) a.set_name(renamed.c_str());
    }
    for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling()) {
      if (c.type() == pugi::node_element) stack.push_back(c);
    }
  }
}

// Text of an element with the attributes named in skip left out, for
// telling whether two list definitions are the same.
std::string Canonical(pugi::xml_node node, std::string_view skip) {
  pugi::xml_document copy;
  pugi::xml_node c = copy.append_copy(node);
  if (!skip.empty()) c.remove_attribute(std::string(skip).c_str());
  return ooxml::NodeXml(c);
}

class Copier {
 public:
  Copier(DocumentModel& source, DocumentModel& destination)
      : src_(source), dst_(destination), from_(source.styles()), to_(destination.styles()) {}

  // Copies one source style, and only it, as Word's organizer does: a base
  // the destination lacks gives way to the type's root with the formatting
  // it passed down folded into the copy, a missing next style gives way to
  // the style itself, a missing linked partner is dropped.
  void Copy(pugi::xml_node style) {
    std::string src_id = from_.id(style);
    pugi::xml_node existing = to_.find(from_.display_name_view(style));
    std::string dst_id = existing ? to_.id(existing) : to_.fresh_id(src_id.empty() ? "Style" : src_id);
    done_[src_id] = dst_id;

    // Looked up before the copy stands, so that no index sees two styles
    // of one name.
    std::vector<pugi::xml_node> fold;
    std::string based_on = Reference(style, "basedOn", dst_id);
    if (based_on.empty()) {
      if (pugi::xml_node base = from_.by_id(from_.reference_view(style, "basedOn"))) {
        pugi::xml_node root_style = to_.type_root(from_.kind(style));
        based_on = root_style ? to_.id(root_style) : "";
        fold = Ancestors(base);
      }
    }
    std::string next = Reference(style, "next", dst_id);
    if (next.empty() && from_.by_id(from_.reference_view(style, "next"))) next = dst_id;
    std::string link = Reference(style, "link", dst_id);

    pugi::xml_node root = to_.root(true);
    const StyleSheet::Names& q = to_.names();
    pugi::xml_node node;
    bool was_default = false;
    if (existing) {
      was_default = existing.attribute(q.default_.c_str()).as_bool();
      node = root.insert_copy_after(style, existing);
    } else {
      size_t n = to_.count();
      if (n > 0) {
        node = root.insert_copy_after(style, to_.at(n - 1));
      } else {
        // A placeholder finds the schema's place; the copy takes it.
        pugi::xml_node place = ooxml::InsertOrdered(root, q.style, {"docDefaults", "latentStyles", "style"});
        node = root.insert_copy_before(style, place);
        root.remove_child(place);
      }
    }
    // Still in the source's prefixes here, as the ancestors are.
    for (pugi::xml_node ancestor : fold) InheritFormatting(node, ancestor, from_.prefix());
    AdaptNamespaces(node, src_.xml(from_.part()).document_element(), root);

    pugi::xml_attribute id_attr = node.attribute(q.style_id.c_str());
    if (!id_attr) id_attr = node.append_attribute(q.style_id.c_str());
    if (dst_id != id_attr.value()) id_attr.set_value(dst_id.c_str());
    // One default style per type: the copy is the default only where the
    // element it replaced was.
    pugi::xml_attribute def = node.attribute(q.default_.c_str());
    if (was_default && !def) node.prepend_attribute(q.default_.c_str()).set_value("1");
    if (!was_default && def) node.remove_attribute(def);
    to_.replaced(existing, node);
    if (existing) root.remove_child(existing);

    to_.set_reference(node, "basedOn", based_on);
    to_.set_reference(node, "next", next);
    to_.set_reference(node, "link", link);
    pugi::xml_node numpr = node.child(q.ppr.c_str()).child(q.numpr.c_str());
    if (pugi::xml_node num_id = numpr.child(q.num_id.c_str())) {
      std::string id = num_id.attribute(q.val.c_str()).value();
      if (id != "0") {
        std::string mapped = List(id);
        if (mapped.empty()) {
          numpr.parent().remove_child(numpr);
        } else {
          num_id.attribute(q.val.c_str()).set_value(mapped.c_str());
        }
      }
    }
    to_.place_after_base(node);
    dst_.changed(to_.part());
  }

 private:
  // The destination's id for the style a reference child of a source style
  // names: the same-named destination style's; "" when the destination
  // lacks it or the reference already dangles in the source.
  std::string Reference(pugi::xml_node style, const char* child, const std::string& own_id) {
    pugi::xml_node target = from_.by_id(from_.reference_view(style, child));
    if (!target) return "";
    if (target == style) return own_id;
    pugi::xml_node there = to_.find(from_.display_name_view(target));
    return there ? to_.id(there) : "";
  }

  // The source styles from base up to its type's root, nearest first: what
  // a copy rebased on the root no longer inherits.
  std::vector<pugi::xml_node> Ancestors(pugi::xml_node base) {
    std::vector<pugi::xml_node> out;
    for (pugi::xml_node walk = base; walk && !from_.is_type_root(walk) && out.size() < 100;
         walk = from_.by_id(from_.reference_view(walk, "basedOn"))) {
      if (std::find(out.begin(), out.end(), walk) != out.end()) break;  // a loop in the source
      out.push_back(walk);
    }
    return out;
  }

  // A source w:numId brought into the destination's numbering part: the
  // w:num and its w:abstractNum, reusing a definition an earlier copy
  // brought. "" when the source's link is broken.
  std::string List(const std::string& src_num_id) {
    if (auto it = lists_.find(src_num_id); it != lists_.end()) return it->second;
    Numbering& from = src_.numbering();
    Numbering& to = dst_.numbering();
    pugi::xml_node num = from.num(src_num_id);
    pugi::xml_node abstract = from.abstract_for_num(src_num_id);
    if (!num || !abstract) return "";

    pugi::xml_node root = to.root(true);
    pugi::xml_node src_root = src_.xml(src_.related_part("numbering")).document_element();

    // The definition as it would stand in the destination, in a scratch
    // document, so that it can be compared with what is there.
    pugi::xml_document scratch;
    pugi::xml_node holder = scratch.append_child("holder");
    pugi::xml_node candidate = holder.append_copy(abstract);
    TakeLinkedLevels(candidate, abstract, from);
    AdaptNamespaces(candidate, src_root, root);
    FixLevels(candidate, to);
    std::string key = Canonical(candidate, to.q("abstractNumId"));

    pugi::xml_node target;
    std::string abstract_name = to.q("abstractNum");
    for (pugi::xml_node c : root.children(abstract_name.c_str())) {
      if (Canonical(c, to.q("abstractNumId")) == key) {
        target = c;
        break;
      }
    }
    // Namespace declarations made on the scratch copy go with it.
    if (!target) target = to.insert_abstract(candidate);
    std::string abstract_id = target.attribute(to.q("abstractNumId").c_str()).value();

    // The instance: its overrides as in the source, pointing at our definition.
    pugi::xml_document scratch_num;
    pugi::xml_node num_copy = scratch_num.append_child("holder").append_copy(num);
    AdaptNamespaces(num_copy, src_root, root);
    std::string override_name = to.q("lvlOverride"), lvl_name = to.q("lvl");
    for (pugi::xml_node o : num_copy.children(override_name.c_str())) {
      if (pugi::xml_node lvl = o.child(lvl_name.c_str())) FixLevel(lvl, to);
    }
    num_copy.child(to.q("abstractNumId").c_str()).attribute(to.q("val").c_str()).set_value(abstract_id.c_str());
    std::string num_key = Canonical(num_copy, to.q("numId"));
    std::string num_id;
    std::string num_name = to.q("num");
    for (pugi::xml_node c : root.children(num_name.c_str())) {
      if (Canonical(c, to.q("numId")) == num_key) {
        num_id = c.attribute(to.q("numId").c_str()).value();
        break;
      }
    }
    if (num_id.empty()) {
      pugi::xml_node made = to.insert_num();
      num_id = made.attribute(to.q("numId").c_str()).value();
      for (pugi::xml_attribute a : num_copy.attributes()) {
        if (std::string_view(a.name()) != to.q("numId")) made.append_copy(a);
      }
      for (pugi::xml_node c : num_copy.children()) made.append_copy(c);
    }
    to.changed();
    lists_[src_num_id] = num_id;
    return num_id;
  }

  // A definition that takes its levels from a list style (w:numStyleLink
  // to a numbering style, whose own list carries w:styleLink) gets the
  // levels the source resolves to, so it stays numbered where the list
  // style does not travel with it.
  void TakeLinkedLevels(pugi::xml_node candidate, pugi::xml_node abstract, Numbering& from) {
    std::string link = from.q("numStyleLink"), val = from.q("val"), lvl = from.q("lvl");
    pugi::xml_node levels = abstract;
    for (int hops = 0; levels.child(link.c_str()) && hops < 10; ++hops) {
      pugi::xml_node list_style = from_.by_id(levels.child(link.c_str()).attribute(val.c_str()).value());
      pugi::xml_node next = list_style ? from.abstract_for_num(StyleNumId(src_, list_style)) : pugi::xml_node();
      if (!next || next == levels) break;
      levels = next;
    }
    if (levels == abstract) return;
    while (pugi::xml_node old = candidate.child(lvl.c_str())) candidate.remove_child(old);
    for (pugi::xml_node l : levels.children(lvl.c_str())) candidate.append_copy(l);
  }

  // Levels name styles and picture bullets by the source's ids: style links
  // are mapped by name (kept only when the destination has that style);
  // picture bullets, which live elsewhere in the source part, are dropped.
  void FixLevels(pugi::xml_node abstract, Numbering& to) {
    MapStyle(abstract, to.q("numStyleLink"), to);
    MapStyle(abstract, to.q("styleLink"), to);
    std::string lvl_name = to.q("lvl");
    for (pugi::xml_node lvl : abstract.children(lvl_name.c_str())) FixLevel(lvl, to);
  }

  void FixLevel(pugi::xml_node lvl, Numbering& to) {
    MapStyle(lvl, to.q("pStyle"), to);
    if (pugi::xml_node pic = lvl.child(to.q("lvlPicBulletId").c_str())) lvl.remove_child(pic);
  }

  void MapStyle(pugi::xml_node parent, const std::string& child, Numbering& to) {
    std::string val = to.q("val");
    pugi::xml_node ref = parent.child(child.c_str());
    if (!ref) return;
    std::string src_id = ref.attribute(val.c_str()).value();
    std::string mapped;
    if (auto it = done_.find(src_id); it != done_.end()) {
      mapped = it->second;
    } else if (pugi::xml_node s = from_.by_id(src_id)) {
      if (pugi::xml_node there = to_.find(from_.display_name_view(s))) mapped = to_.id(there);
    }
    if (mapped.empty()) {
      parent.remove_child(ref);
    } else {
      ref.attribute(val.c_str()).set_value(mapped.c_str());
    }
  }

  DocumentModel& src_;
  DocumentModel& dst_;
  StyleSheet& from_;
  StyleSheet& to_;
  std::map<std::string, std::string> done_;   // source style id -> destination id, of the copy
  std::map<std::string, std::string> lists_;  // source numId -> destination numId
};

}  // namespace

void OrganizerCopyStyle(DocumentModel& source, DocumentModel& destination, const std::string& name) {
  ooxml::io::KillPoint("organizer");
  source.require_open();
  destination.require_open();
  pugi::xml_node style = source.styles().find(name);
  if (!style) {
    throw HostError(host::kErrNoSuchCollectionMember,
                    "The style \"" + name + "\" does not exist in " + source.full_name() + ".");
  }
  if (&source == &destination) return;
  Copier(source, destination).Copy(style);
}

}  // namespace tarnwell::engine
