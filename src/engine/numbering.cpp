#include "engine/numbering.h"

#include <algorithm>

#include "engine/document_model.h"
#include "engine/list_templates.h"
#include "engine/styles.h"
#include "host/host_error.h"
#include "ooxml/xml.h"

namespace tarnwell::engine {

using host::Args;
using host::HostError;
using host::Value;

const std::initializer_list<std::string_view> kParagraphPropertyOrder = {
    "pStyle", "keepNext", "keepLines", "pageBreakBefore", "framePr", "widowControl", "numPr",
    "suppressLineNumbers", "pBdr", "shd", "tabs", "suppressAutoHyphens", "kinsoku", "wordWrap",
    "overflowPunct", "topLinePunct", "autoSpaceDE", "autoSpaceDN", "bidi", "adjustRightInd", "snapToGrid",
    "spacing", "ind", "contextualSpacing", "mirrorIndents", "suppressOverlap", "jc", "textDirection",
    "textAlignment", "textboxTightWrap", "outlineLvl", "divId", "cnfStyle", "rPr", "sectPr", "pPrChange"};

const std::initializer_list<std::string_view> kLevelOrder = {
    "start", "numFmt", "lvlRestart", "pStyle", "isLgl", "suff", "lvlText", "lvlPicBulletId", "legacy", "lvlJc",
    "pPr", "rPr"};

namespace {

constexpr const char* kEmptyNumberingPart =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
    "<w:numbering xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"/>";

const std::initializer_list<std::string_view> kNumberingOrder = {"numPicBullet", "abstractNum", "num",
                                                                 "numIdMacAtCleanup"};

const std::initializer_list<std::string_view> kAbstractNumOrder = {
    "nsid", "multiLevelType", "tmpl", "name", "styleLink", "numStyleLink", "lvl"};

void SetVal(pugi::xml_node node, const std::string& attr, const std::string& value) {
  pugi::xml_attribute a = node.attribute(attr.c_str());
  if (!a) a = node.append_attribute(attr.c_str());
  a.set_value(value.c_str());
}

int ToInt(std::string_view s) {
  int n = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return -1;
    n = n * 10 + (c - '0');
    if (n > 100000000) return -1;
  }
  return s.empty() ? -1 : n;
}

}  // namespace

pugi::xml_node Numbering::root(bool create) {
  // Looked up once found: every member of every level asks for it.
  if (part_.empty()) part_ = doc_.related_part("numbering");
  if (!part_.empty() && doc_.package().Has(part_)) {
    pugi::xml_node r = doc_.xml(part_).document_element();
    prefix_ = ooxml::PrefixFor(r, ooxml::kWordNs, "w");
    return r;
  }
  if (!create) return {};
  part_ = doc_.add_related_part("word/numbering.xml", kRelNumbering, kCtNumbering, kEmptyNumberingPart);
  prefix_.assign(1, 'w');
  return doc_.xml(part_).document_element();
}

std::string Numbering::q(std::string_view local) { return ooxml::Q(prefix_, local); }

void Numbering::index() {
  pugi::xml_node r = root(false);
  if (index_.epoch == epoch_ && index_.root == r) return;
  index_ = Index{epoch_, r, {}, {}, {}};
  if (!r) return;
  const std::string abstract = q("abstractNum"), abstract_id = q("abstractNumId"), num = q("num"), num_id = q("numId");
  for (pugi::xml_node c = r.first_child(); c; c = c.next_sibling()) {
    // The first of two elements with one id is the one found, as a walk would.
    if (abstract == c.name()) {
      index_.abstracts.push_back(c);
      index_.abstract_by_id.emplace(c.attribute(abstract_id.c_str()).value(), c);
    } else if (num == c.name()) {
      index_.num_by_id.emplace(c.attribute(num_id.c_str()).value(), c);
    }
  }
}

const std::vector<pugi::xml_node>& Numbering::abstracts() {
  index();
  return index_.abstracts;
}

pugi::xml_node Numbering::num(std::string_view num_id) {
  if (num_id.empty()) return {};
  index();
  auto it = index_.num_by_id.find(std::string(num_id));
  return it == index_.num_by_id.end() ? pugi::xml_node() : it->second;
}

pugi::xml_node Numbering::abstract_num(std::string_view abstract_id) {
  if (abstract_id.empty()) return {};
  index();
  auto it = index_.abstract_by_id.find(std::string(abstract_id));
  return it == index_.abstract_by_id.end() ? pugi::xml_node() : it->second;
}

pugi::xml_node Numbering::abstract_for_num(std::string_view num_id) {
  pugi::xml_node n = num(num_id);
  if (!n) return {};
  return abstract_num(n.child(q("abstractNumId").c_str()).attribute(q("val").c_str()).value());
}

std::string Numbering::num_for_abstract(std::string_view abstract_id) {
  pugi::xml_node r = root(true);
  std::string name = q("num"), link = q("abstractNumId"), val = q("val");
  for (pugi::xml_node c : r.children(name.c_str())) {
    bool plain = true;
    for (pugi::xml_node k : c.children()) {
      if (k.type() == pugi::node_element && link != k.name()) plain = false;
    }
    if (plain && abstract_id == c.child(link.c_str()).attribute(val.c_str()).value()) {
      return c.attribute(q("numId").c_str()).value();
    }
  }
  pugi::xml_node n = insert_num();
  std::string id = n.attribute(q("numId").c_str()).value();
  n.append_child(link.c_str()).append_attribute(val.c_str()).set_value(std::string(abstract_id).c_str());
  return id;
}

std::string Numbering::fresh_num_id() {
  int top = 0;
  pugi::xml_node r = root(true);
  std::string name = q("num"), attr = q("numId");
  for (pugi::xml_node c : r.children(name.c_str())) top = std::max(top, ToInt(c.attribute(attr.c_str()).value()));
  return std::to_string(top + 1);
}

std::string Numbering::fresh_abstract_id() {
  int top = -1;
  pugi::xml_node r = root(true);
  std::string name = q("abstractNum"), attr = q("abstractNumId");
  for (pugi::xml_node c : r.children(name.c_str())) top = std::max(top, ToInt(c.attribute(attr.c_str()).value()));
  return std::to_string(top + 1);
}

pugi::xml_node Numbering::insert_abstract(const pugi::xml_node& copy_of) {
  std::string id = fresh_abstract_id();
  pugi::xml_node r = root(true);
  pugi::xml_node place = ooxml::InsertOrdered(r, q("abstractNum"), kNumberingOrder);
  pugi::xml_node node = r.insert_copy_before(copy_of, place);
  r.remove_child(place);
  std::string attr = q("abstractNumId");
  if (!node.attribute(attr.c_str())) node.prepend_attribute(attr.c_str());
  node.attribute(attr.c_str()).set_value(id.c_str());
  ++epoch_;
  return node;
}

pugi::xml_node Numbering::insert_num() {
  std::string id = fresh_num_id();
  pugi::xml_node r = root(true);
  pugi::xml_node node = ooxml::InsertOrdered(r, q("num"), kNumberingOrder);
  node.append_attribute(q("numId").c_str()).set_value(id.c_str());
  ++epoch_;
  return node;
}

void Numbering::changed() {
  root(false);
  if (!part_.empty()) doc_.changed(part_);
}

std::string Numbering::name_of(pugi::xml_node abstract) {
  return abstract.child(q("name").c_str()).attribute(q("val").c_str()).value();
}

pugi::xml_node Numbering::levels_of(pugi::xml_node abstract) {
  pugi::xml_node walk = abstract;
  // A list style's definition names the style back (w:styleLink), so the
  // walk stops at the first definition that has levels of its own.
  for (int depth = 0; walk && depth < 8; ++depth) {
    if (walk.child(q("lvl").c_str())) return walk;
    const char* link = walk.child(q("numStyleLink").c_str()).attribute(q("val").c_str()).value();
    if (!*link) return walk;
    pugi::xml_node style = doc_.styles().by_id(link);
    std::string num_id = style ? StyleNumId(doc_, style) : std::string();
    pugi::xml_node next = abstract_for_num(num_id);
    if (!next || next == walk) return walk;
    walk = next;
  }
  return abstract;
}

pugi::xml_node Numbering::add_abstract(bool outline) {
  // Word's new template: decimal numbers, each level a quarter inch in
  // from the one above, hanging by a quarter inch.
  pugi::xml_document scratch;
  pugi::xml_node made = scratch.append_child(q("abstractNum").c_str());
  made.append_child(q("multiLevelType").c_str())
      .append_attribute(q("val").c_str())
      .set_value(outline ? "multilevel" : "hybridMultilevel");
  for (int i = 0; i < 9; ++i) {
    pugi::xml_node lvl = made.append_child(q("lvl").c_str());
    lvl.append_attribute(q("ilvl").c_str()).set_value(i);
    auto child = [&](const char* name, const std::string& value) {
      lvl.append_child(q(name).c_str()).append_attribute(q("val").c_str()).set_value(value.c_str());
    };
    child("start", "1");
    child("numFmt", "decimal");
    child("lvlText", "%" + std::to_string(i + 1) + ".");
    child("lvlJc", "left");
    pugi::xml_node ind = lvl.append_child(q("pPr").c_str()).append_child(q("ind").c_str());
    ind.append_attribute(q("left").c_str()).set_value(360 * (i + 1));
    ind.append_attribute(q("hanging").c_str()).set_value(360);
  }
  pugi::xml_node node = insert_abstract(made);
  changed();
  return node;
}

bool Numbering::referenced(std::string_view num_id) {
  if (!outside_refs_) {
    outside_refs_ = std::make_unique<std::set<std::string, std::less<>>>();
    const std::string styles_part = doc_.styles().part();
    root(false);
    for (const std::string& part : doc_.package().Names()) {
      if (part == styles_part || part == part_ || part.rfind("word/", 0) != 0 || part.size() < 4 ||
          part.compare(part.size() - 4, 4, ".xml") != 0 || part.rfind("word/glossary/", 0) == 0) {
        continue;
      }
      // Only paragraphs name lists; the raw bytes are enough to find them.
      const std::string& bytes = doc_.package().Get(part);
      for (size_t at = bytes.find("numId"); at != std::string::npos; at = bytes.find("numId", at + 5)) {
        size_t end = bytes.find('>', at);
        size_t val = bytes.find("val=", at);
        if (val == std::string::npos || val > end || val + 5 >= bytes.size()) continue;
        char quote = bytes[val + 4];
        size_t close = bytes.find(quote, val + 5);
        if (close != std::string::npos) outside_refs_->insert(bytes.substr(val + 5, close - val - 5));
      }
    }
  }
  if (outside_refs_->count(num_id)) return true;
  StyleSheet& sheet = doc_.styles();
  const std::string style = sheet.q("style"), ppr = sheet.q("pPr"), numpr = sheet.q("numPr"),
                    numid = sheet.q("numId"), val = sheet.q("val");
  pugi::xml_node styles_root = sheet.root(false);
  for (pugi::xml_node s : styles_root.children(style.c_str())) {
    if (num_id == s.child(ppr.c_str()).child(numpr.c_str()).child(numid.c_str()).attribute(val.c_str()).value()) {
      return true;
    }
  }
  return false;
}

void Numbering::prune() {
  std::set<std::string, std::less<>> released;
  released.swap(released_);
  for (const std::string& id : released) drop_if_unused(id);
}

void Numbering::drop_if_unused(std::string_view num_id) {
  if (num_id.empty() || num_id == "0" || referenced(num_id)) return;
  pugi::xml_node n = num(num_id);
  if (!n) return;
  std::string abstract_id = n.child(q("abstractNumId").c_str()).attribute(q("val").c_str()).value();
  pugi::xml_node r = n.parent();
  r.remove_child(n);
  ++epoch_;
  std::string link = q("abstractNumId"), val = q("val"), num_name = q("num");
  for (pugi::xml_node other : r.children(num_name.c_str())) {
    if (abstract_id == other.child(link.c_str()).attribute(val.c_str()).value()) {
      changed();
      return;
    }
  }
  if (pugi::xml_node a = abstract_num(abstract_id)) {
    r.remove_child(a);
    ++epoch_;
  }
  changed();
}

std::string StyleNumId(DocumentModel& doc, pugi::xml_node style) {
  StyleSheet& sheet = doc.styles();
  const StyleSheet::Names& q = sheet.names();
  pugi::xml_node walk = style;
  for (int depth = 0; walk && depth < 100; ++depth) {
    pugi::xml_node num_id = walk.child(q.ppr.c_str()).child(q.numpr.c_str()).child(q.num_id.c_str());
    if (num_id) {
      std::string_view id = num_id.attribute(q.val.c_str()).value();
      return id == "0" ? std::string() : std::string(id);
    }
    const char* up = walk.child(q.based_on.c_str()).attribute(q.val.c_str()).value();
    walk = *up ? sheet.by_id(up) : pugi::xml_node();
  }
  return "";
}

// ---------------------------------------------------------------------------

const host::DispatchObject::SharedTable& ListTemplate::Members() {
  static const SharedTable table = [] {
    SharedTable t;
    auto self = [](DispatchObject& o) -> ListTemplate& { return static_cast<ListTemplate&>(o); };
    t.property(
        "Name",
        [self](DispatchObject& o, const Args&) {
          ListTemplate& lt = self(o);
          return Value(lt.doc_->numbering().name_of(lt.node()));
        },
        [self](DispatchObject& o, const Value& v, const Args&) { self(o).SetName(v.as_string()); });
    t.property(
        "OutlineNumbered",
        [self](DispatchObject& o, const Args&) {
          ListTemplate& lt = self(o);
          Numbering& n = lt.doc_->numbering();
          std::string_view type =
              lt.node().child(n.q("multiLevelType").c_str()).attribute(n.q("val").c_str()).value();
          return host::word_bool(type == "multilevel");
        },
        [self](DispatchObject& o, const Value& v, const Args&) {
          ListTemplate& lt = self(o);
          Numbering& n = lt.doc_->numbering();
          pugi::xml_node me = lt.node();
          pugi::xml_node type = me.child(n.q("multiLevelType").c_str());
          if (!type) type = ooxml::InsertOrdered(me, n.q("multiLevelType"), kAbstractNumOrder);
          SetVal(type, n.q("val"), v.as_bool() ? "multilevel" : "hybridMultilevel");
          n.changed();
        });
    t.property("ListLevels", [self](DispatchObject& o, const Args&) {
      ListTemplate& lt = self(o);
      return Value(MakeListLevels(std::static_pointer_cast<ListTemplate>(lt.shared_from_this()), lt.faults_));
    });
    return t;
  }();
  return table;
}

ListTemplate::ListTemplate(std::shared_ptr<DocumentModel> doc, std::string abstract_id,
                           std::shared_ptr<host::FaultPlan> faults, pugi::xml_node node)
    : DispatchObject("ListTemplate", faults),
      doc_(std::move(doc)),
      faults_(std::move(faults)),
      abstract_id_(std::move(abstract_id)),
      node_(node),
      epoch_(doc_->numbering().epoch()) {
  share(Members());
}

void ListTemplate::SetName(const std::string& name) {
  Numbering& n = doc_->numbering();
  pugi::xml_node me = node();
  if (n.name_of(me) == name) return;
  std::string tag = n.q("abstractNum");
  for (pugi::xml_node other : n.root(false).children(tag.c_str())) {
    if (other != me && !name.empty() && n.name_of(other) == name) {
      throw HostError(host::kErrListTemplateNameRefused,
                      "The name \"" + name + "\" is already used by another list template.");
    }
  }
  pugi::xml_node child = me.child(n.q("name").c_str());
  if (name.empty()) {
    me.remove_child(child);
  } else {
    if (!child) child = ooxml::InsertOrdered(me, n.q("name"), kAbstractNumOrder);
    SetVal(child, n.q("val"), name);
  }
  n.changed();
}

pugi::xml_node ListTemplate::node() {
  doc_->require_open();
  Numbering& numbering = doc_->numbering();
  // Every member of every level asks; the element is found again only
  // after definitions may have gone.
  if (node_ && epoch_ == numbering.epoch()) return node_;
  node_ = numbering.abstract_num(abstract_id_);
  epoch_ = numbering.epoch();
  if (!node_) throw HostError(kErrObjectDeleted, "Object has been deleted (list template " + abstract_id_ + ").");
  return node_;
}

Value StyleListTemplate(const std::shared_ptr<DocumentModel>& doc, pugi::xml_node style,
                        const std::shared_ptr<host::FaultPlan>& faults) {
  std::string num_id = StyleNumId(*doc, style);
  if (num_id.empty()) return Value();
  Numbering& n = doc->numbering();
  pugi::xml_node abstract = n.abstract_for_num(num_id);
  if (!abstract) return Value();
  return Value(host::ObjectPtr(
      std::make_shared<ListTemplate>(doc, abstract.attribute(n.q("abstractNumId").c_str()).value(), faults, abstract)));
}

void LinkStyleToListTemplate(DocumentModel& doc, pugi::xml_node style, const Value& list_template,
                             const Value& level) {
  StyleSheet& sheet = doc.styles();
  const std::string &ppr_name = sheet.names().ppr, &numpr_name = sheet.names().numpr, &val = sheet.names().val;
  host::ObjectPtr obj = list_template.is_missing() || list_template.is_empty() || list_template.is_null()
                            ? nullptr
                            : list_template.as_object();
  std::string left = style.child(ppr_name.c_str())
                         .child(numpr_name.c_str())
                         .child(sheet.names().num_id.c_str())
                         .attribute(val.c_str())
                         .value();
  if (!obj) {
    pugi::xml_node ppr = style.child(ppr_name.c_str());
    if (pugi::xml_node numpr = ppr.child(numpr_name.c_str())) {
      ppr.remove_child(numpr);
      // Without its own numbering the style would take its base's list: a
      // style with no list says so with list 0.
      if (!StyleNumId(doc, style).empty()) {
        pugi::xml_node none = ooxml::InsertOrdered(ppr, numpr_name, kParagraphPropertyOrder);
        none.append_child(sheet.q("numId").c_str()).append_attribute(val.c_str()).set_value("0");
      }
      doc.changed(sheet.part());
      doc.numbering().release(left);
    }
    return;
  }
  auto* lt = dynamic_cast<ListTemplate*>(obj.get());
  if (!lt || &lt->document() != &doc) {
    throw HostError(host::kErrInvalidProcedureCall, "The list template belongs to another document.");
  }
  int32_t number = level.is_missing() || level.is_empty() ? 1 : level.as_int();
  if (number < 1 || number > 9) throw HostError(host::kErrInvalidProcedureCall, "A list level is 1 to 9.");
  Numbering& n = doc.numbering();
  pugi::xml_node abstract = lt->node();
  std::string num_id = n.num_for_abstract(lt->abstract_id());
  std::string style_id = sheet.id(style);

  pugi::xml_node ppr = style.child(ppr_name.c_str());
  if (!ppr) ppr = ooxml::InsertOrdered(style, ppr_name, kStyleChildOrder);
  pugi::xml_node numpr = ppr.child(numpr_name.c_str());
  if (!numpr) numpr = ooxml::InsertOrdered(ppr, numpr_name, kParagraphPropertyOrder);
  numpr.remove_children();
  numpr.append_child(sheet.q("ilvl").c_str()).append_attribute(val.c_str()).set_value(std::to_string(number - 1).c_str());
  numpr.append_child(sheet.q("numId").c_str()).append_attribute(val.c_str()).set_value(num_id.c_str());

  // The level names the style back; no other level of the template keeps it.
  std::string lvl_name = n.q("lvl"), ilvl = n.q("ilvl"), pstyle = n.q("pStyle"), nval = n.q("val");
  for (pugi::xml_node lvl : n.levels_of(abstract).children(lvl_name.c_str())) {
    bool mine = std::to_string(number - 1) == lvl.attribute(ilvl.c_str()).value();
    pugi::xml_node ps = lvl.child(pstyle.c_str());
    if (mine) {
      if (!ps) {
        ps = ooxml::InsertOrdered(lvl, pstyle, kLevelOrder);
      }
      if (!ps.attribute(nval.c_str())) ps.append_attribute(nval.c_str());
      ps.attribute(nval.c_str()).set_value(style_id.c_str());
    } else if (ps && style_id == ps.attribute(nval.c_str()).value()) {
      lvl.remove_child(ps);
    }
  }
  doc.changed(sheet.part());
  n.changed();
  if (left != num_id) n.release(left);
}

}  // namespace tarnwell::engine
