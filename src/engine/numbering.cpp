#include "engine/numbering.h"

#include <algorithm>

#include "engine/document_model.h"
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

namespace {

constexpr const char* kEmptyNumberingPart =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
    "<w:numbering xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"/>";

const std::initializer_list<std::string_view> kNumberingOrder = {"numPicBullet", "abstractNum", "num",
                                                                 "numIdMacAtCleanup"};

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
  part_ = doc_.related_part("numbering");
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

pugi::xml_node Numbering::num(std::string_view num_id) {
  pugi::xml_node r = root(false);
  if (!r || num_id.empty()) return {};
  std::string name = q("num"), attr = q("numId");
  for (pugi::xml_node c : r.children(name.c_str())) {
    if (num_id == c.attribute(attr.c_str()).value()) return c;
  }
  return {};
}

pugi::xml_node Numbering::abstract_num(std::string_view abstract_id) {
  pugi::xml_node r = root(false);
  if (!r || abstract_id.empty()) return {};
  std::string name = q("abstractNum"), attr = q("abstractNumId");
  for (pugi::xml_node c : r.children(name.c_str())) {
    if (abstract_id == c.attribute(attr.c_str()).value()) return c;
  }
  return {};
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
  return node;
}

pugi::xml_node Numbering::insert_num() {
  std::string id = fresh_num_id();
  pugi::xml_node r = root(true);
  pugi::xml_node node = ooxml::InsertOrdered(r, q("num"), kNumberingOrder);
  node.append_attribute(q("numId").c_str()).set_value(id.c_str());
  return node;
}

void Numbering::changed() {
  root(false);
  if (!part_.empty()) doc_.changed(part_);
}

std::string StyleNumId(DocumentModel& doc, pugi::xml_node style) {
  StyleSheet& sheet = doc.styles();
  const std::string ppr = sheet.q("pPr"), numpr = sheet.q("numPr"), numid = sheet.q("numId"), val = sheet.q("val"),
                    based_on = sheet.q("basedOn");
  pugi::xml_node walk = style;
  for (int depth = 0; walk && depth < 100; ++depth) {
    pugi::xml_node num_id = walk.child(ppr.c_str()).child(numpr.c_str()).child(numid.c_str());
    if (num_id) {
      std::string id = num_id.attribute(val.c_str()).value();
      return id == "0" ? std::string() : id;
    }
    const char* up = walk.child(based_on.c_str()).attribute(val.c_str()).value();
    walk = *up ? sheet.by_id(up) : pugi::xml_node();
  }
  return "";
}

// ---------------------------------------------------------------------------

ListTemplate::ListTemplate(std::shared_ptr<DocumentModel> doc, std::string abstract_id,
                           std::shared_ptr<host::FaultPlan> faults)
    : DispatchObject("ListTemplate", faults), doc_(std::move(doc)), abstract_id_(std::move(abstract_id)) {
  property("Name", [this](const Args&) {
    Numbering& n = doc_->numbering();
    pugi::xml_node me = node();
    return Value(std::string(me.child(n.q("name").c_str()).attribute(n.q("val").c_str()).value()));
  });
  property("OutlineNumbered", [this](const Args&) {
    Numbering& n = doc_->numbering();
    std::string_view type = node().child(n.q("multiLevelType").c_str()).attribute(n.q("val").c_str()).value();
    return host::word_bool(type == "multilevel");
  });
  property("ListLevels", [this, faults](const Args&) {
    // Only the count for now: a small collection object made on each read,
    // holding its template alive as Word's objects hold their parents.
    class Levels : public host::DispatchObject {
     public:
      Levels(std::shared_ptr<ListTemplate> owner, std::shared_ptr<host::FaultPlan> f)
          : DispatchObject("ListLevels", std::move(f)) {
        property("Count", [owner](const Args&) {
          Numbering& n = owner->document().numbering();
          std::string lvl = n.q("lvl");
          auto levels = owner->node().children(lvl.c_str());
          return Value(static_cast<int32_t>(std::distance(levels.begin(), levels.end())));
        });
      }
    };
    auto me = std::static_pointer_cast<ListTemplate>(shared_from_this());
    return Value(host::ObjectPtr(std::make_shared<Levels>(me, faults)));
  });
}

pugi::xml_node ListTemplate::node() {
  doc_->require_open();
  pugi::xml_node n = doc_->numbering().abstract_num(abstract_id_);
  if (!n) throw HostError(kErrObjectDeleted, "Object has been deleted (list template " + abstract_id_ + ").");
  return n;
}

Value StyleListTemplate(const std::shared_ptr<DocumentModel>& doc, pugi::xml_node style,
                        const std::shared_ptr<host::FaultPlan>& faults) {
  std::string num_id = StyleNumId(*doc, style);
  if (num_id.empty()) return Value();
  Numbering& n = doc->numbering();
  pugi::xml_node abstract = n.abstract_for_num(num_id);
  if (!abstract) return Value();
  return Value(host::ObjectPtr(
      std::make_shared<ListTemplate>(doc, abstract.attribute(n.q("abstractNumId").c_str()).value(), faults)));
}

void LinkStyleToListTemplate(DocumentModel& doc, pugi::xml_node style, const Value& list_template,
                             const Value& level) {
  StyleSheet& sheet = doc.styles();
  std::string ppr_name = sheet.q("pPr"), numpr_name = sheet.q("numPr"), val = sheet.q("val");
  host::ObjectPtr obj = list_template.is_missing() || list_template.is_empty() || list_template.is_null()
                            ? nullptr
                            : list_template.as_object();
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
  for (pugi::xml_node lvl : abstract.children(lvl_name.c_str())) {
    bool mine = std::to_string(number - 1) == lvl.attribute(ilvl.c_str()).value();
    pugi::xml_node ps = lvl.child(pstyle.c_str());
    if (mine) {
      if (!ps) {
        ps = ooxml::InsertOrdered(lvl, pstyle, {"start", "numFmt", "lvlRestart", "pStyle", "isLgl", "suff",
                                                "lvlText", "lvlPicBulletId", "legacy", "lvlJc", "pPr", "rPr"});
      }
      if (!ps.attribute(nval.c_str())) ps.append_attribute(nval.c_str());
      ps.attribute(nval.c_str()).set_value(style_id.c_str());
    } else if (ps && style_id == ps.attribute(nval.c_str()).value()) {
      lvl.remove_child(ps);
    }
  }
  doc.changed(sheet.part());
  n.changed();
}

}  // namespace tarnwell::engine
