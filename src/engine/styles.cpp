#include "engine/styles.h"

#include <algorithm>
#include <cstring>

#include "engine/document_model.h"
#include "engine/numbering.h"
#include "engine/style_format.h"
#include "host/host_error.h"
#include "ooxml/xml.h"

namespace tarnwell::engine {

using host::Args;
using host::HostError;
using host::Value;

const std::initializer_list<std::string_view> kStyleChildOrder = {
    "name",    "aliases",     "basedOn",   "next",         "link",   "autoRedefine",   "hidden",
    "uiPriority", "semiHidden", "unhideWhenUsed", "qFormat", "locked", "personal", "personalCompose",
    "personalReply", "rsid", "pPr", "rPr", "tblPr", "trPr", "tcPr", "tblStylePr"};

namespace {

constexpr const char* kEmptyStylesPart =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
    "<w:styles xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"/>";

bool OnOff(const pugi::xml_attribute& a) {
  std::string_view v = a.value();
  return v == "1" || v == "true" || v == "on";
}

// Built-in fragments are written with "w"; a part that binds the Word
// namespace to another prefix gets its own.
void Reprefix(pugi::xml_node node, const std::string& prefix) {
  auto rename = [&](std::string_view name) {
    return name.substr(0, 2) == "w:" ? ooxml::Q(prefix, name.substr(2)) : std::string(name);
  };
  node.set_name(rename(node.name()).c_str());
  for (pugi::xml_attribute a : node.attributes()) a.set_name(rename(a.name()).c_str());
  for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling()) {
    if (c.type() == pugi::node_element) Reprefix(c, prefix);
  }
}

[[noreturn]] void NoSuchMember() {
  throw HostError(host::kErrNoSuchCollectionMember, "The requested member of the collection does not exist.");
}

}  // namespace

std::string StyleSheet::q(std::string_view local) const { return ooxml::Q(prefix_, local); }

void StyleSheet::set_prefix(std::string prefix) {
  if (!names_.style.empty() && prefix == prefix_) return;
  prefix_ = std::move(prefix);
  names_ = Names{q("style"),       q("name"),    q("val"),  q("styleId"), q("type"), q("customStyle"), q("default"),
                 q("basedOn"),     q("next"),    q("link"), q("pPr"),     q("numPr"), q("numId")};
}

std::string StyleSheet::prefix() {
  if (!built_) build();
  return prefix_;
}

void StyleSheet::invalidate() {
  built_ = false;
  ++epoch_;
}

void StyleSheet::build() {
  order_.clear();
  by_id_.clear();
  by_name_.clear();
  by_builtin_.clear();
  ids_folded_.clear();
  based_on_.clear();
  root_ = {};
  set_prefix("w");
  part_ = doc_.related_part("styles");
  if (!part_.empty() && doc_.package().Has(part_)) {
    root_ = doc_.xml(part_).document_element();
    set_prefix(ooxml::PrefixFor(root_, ooxml::kWordNs, "w"));
    const char* style = names_.style.c_str();
    for (pugi::xml_node c = root_.first_child(); c; c = c.next_sibling()) {
      if (c.type() != pugi::node_element || std::strcmp(style, c.name()) != 0) continue;
      order_.push_back(c.internal_object());
    }
    // Sized once, rather than grown table by table as the styles come.
    by_id_.reserve(order_.size());
    ids_folded_.reserve(order_.size());
    by_name_.reserve(order_.size() * 5 / 4);
    for (pugi::xml_node_struct* c : order_) index(pugi::xml_node(c));
  } else {
    part_.clear();
  }
  built_ = true;
}

void StyleSheet::index(pugi::xml_node node) {
  std::string_view style_id = id_view(node);
  by_id_.emplace(style_id, node);
  ids_folded_.emplace(style_id);
  std::string_view stored = stored_name_view(node);
  by_name_.emplace(stored, node);
  const BuiltinStyle* b = nullptr;
  if (builtin_entry(node, &b)) {
    by_name_.emplace(b->ui_name, node);
    by_builtin_.emplace(b, node);
  }
  if (std::string_view base = reference_view(node, "basedOn"); !base.empty()) {
    based_on_[std::string(base)].insert(node.internal_object());
  }
}

void StyleSheet::replaced(pugi::xml_node old, pugi::xml_node node) {
  if (!built_) return invalidate();
  ++epoch_;
  if (!old) {
    // Appended after the last style: indexed as a full pass would.
    if (order_.empty() || node.previous_sibling() != pugi::xml_node(order_.back())) return invalidate();
    order_.push_back(node.internal_object());
    index(node);
    return;
  }
  // A copy under the same id and names takes the old one's place in every
  // index and nothing else moves. The built-in a style stands for follows
  // from its names.
  const std::string_view old_id = id_view(old), stored = stored_name_view(old);
  auto it = by_id_.find(old_id);
  const BuiltinStyle *was = nullptr, *is = nullptr;
  if (it == by_id_.end() || it->second != old || id_view(node) != old_id || stored_name_view(node) != stored ||
      builtin_entry(old, &was) != builtin_entry(node, &is) || was != is) {
    return invalidate();
  }
  const size_t place = place_of(old);
  if (place == order_.size()) return invalidate();
  // The shown name follows from the stored one and the built-in.
  const std::string_view shown = was ? std::string_view(was->ui_name) : stored;
  it->second = node;
  order_[place] = node.internal_object();
  for (std::string_view name : {stored, shown}) {
    if (auto n = by_name_.find(name); n != by_name_.end() && n->second == old) n->second = node;
  }
  if (was) {
    if (auto b = by_builtin_.find(was); b != by_builtin_.end() && b->second == old) b->second = node;
  }
  forget_base(old);
  if (std::string_view base = reference_view(node, "basedOn"); !base.empty()) {
    based_on_[std::string(base)].insert(node.internal_object());
  }
}

void StyleSheet::forget_base(pugi::xml_node style) {
  if (auto it = based_on_.find(reference_view(style, "basedOn")); it != based_on_.end()) {
    it->second.erase(style.internal_object());
  }
}

size_t StyleSheet::place_of(pugi::xml_node style) const {
  // A copy asks for the place of the style it just put in several times
  // over; a place remembered is checked before it is believed.
  pugi::xml_node_struct* node = style.internal_object();
  for (size_t hint : place_hints_) {
    if (hint < order_.size() && order_[hint] == node) return hint;
  }
  const size_t at = static_cast<size_t>(std::find(order_.begin(), order_.end(), node) - order_.begin());
  if (at < order_.size()) {
    place_hints_[next_hint_] = at;
    next_hint_ = (next_hint_ + 1) % place_hints_.size();
  }
  return at;
}

size_t StyleSheet::count() {
  if (!built_) build();
  return order_.size();
}

pugi::xml_node StyleSheet::at(size_t index) {
  if (!built_) build();
  return index < order_.size() ? pugi::xml_node(order_[index]) : pugi::xml_node();
}

pugi::xml_node StyleSheet::by_id(std::string_view style_id) {
  if (!built_) build();
  auto it = by_id_.find(style_id);
  return it == by_id_.end() ? pugi::xml_node() : it->second;
}

pugi::xml_node StyleSheet::find(std::string_view name) {
  if (!built_) build();
  auto it = by_name_.find(name);
  if (it != by_name_.end()) return it->second;
  if (const BuiltinStyle* b = FindBuiltin(name)) return builtin(*b);
  return {};
}

pugi::xml_node StyleSheet::root(bool create) {
  if (!built_) build();
  if (root_ || !create) return root_;
  part_ = doc_.add_related_part("word/styles.xml", kRelStyles, kCtStyles, kEmptyStylesPart);
  root_ = doc_.xml(part_).document_element();
  set_prefix("w");
  return root_;
}

std::string StyleSheet::fresh_id(std::string_view wanted) {
  std::string base(wanted);
  // Ids are kept unique without regard to case, so that no reader can
  // confuse two of them.
  if (!ids_folded_.count(std::string_view(base))) return base;
  for (int n = 1;; ++n) {
    std::string candidate = base + std::to_string(n);
    if (!ids_folded_.count(std::string_view(candidate))) return candidate;
  }
}

pugi::xml_node StyleSheet::append_style(StyleKind kind, const std::string& style_id, const std::string& name) {
  static const char* kTypes[] = {"", "paragraph", "character", "table", "numbering"};
  pugi::xml_node node;
  if (!order_.empty()) {
    node = root_.insert_child_after(pugi::node_element, pugi::xml_node(order_.back()));
    node.set_name(names_.style.c_str());
  } else {
    node = ooxml::InsertOrdered(root_, q("style"), {"docDefaults", "latentStyles", "style"});
  }
  node.append_attribute(names_.type.c_str()).set_value(kTypes[static_cast<int>(kind)]);
  node.append_attribute(names_.custom_style.c_str()).set_value("1");
  node.append_attribute(names_.style_id.c_str()).set_value(style_id.c_str());
  node.append_child(names_.name.c_str()).append_attribute(names_.val.c_str()).set_value(name.c_str());
  order_.push_back(node.internal_object());
  index(node);
  return node;
}

pugi::xml_node StyleSheet::builtin(const BuiltinStyle& b) {
  if (!built_) build();
  auto it = by_builtin_.find(&b);
  if (it != by_builtin_.end()) return it->second;
  root(true);
  std::string based = b.based_on.empty() ? "" : id(builtin(*FindBuiltin(b.based_on)));
  std::string next = b.next.empty() ? "" : id(builtin(*FindBuiltin(b.next)));
  std::string style_id = fresh_id(b.id);
  std::string text = BuiltinStyleXml(b, style_id, based, next);
  pugi::xml_document fragment;
  fragment.load_buffer(text.data(), text.size(), pugi::parse_default);
  // A placeholder finds the place; the copy takes it.
  pugi::xml_node place = order_.empty()
                             ? ooxml::InsertOrdered(root_, q("style"), {"docDefaults", "latentStyles", "style"})
                             : root_.insert_child_after(pugi::node_element, pugi::xml_node(order_.back()));
  pugi::xml_node node = root_.insert_copy_before(fragment.document_element(), place);
  root_.remove_child(place);
  if (prefix_ != "w") Reprefix(node, prefix_);
  order_.push_back(node.internal_object());
  index(node);
  doc_.touched(part_);
  return node;
}

pugi::xml_node StyleSheet::add(std::string_view name, StyleKind kind) {
  if (!built_) build();
  if (name.empty()) throw HostError(host::kErrInvalidProcedureCall, "A style needs a name.");
  for (char c : name) {
    // XML cannot carry these, so no file could hold the name.
    if (static_cast<unsigned char>(c) < 0x20) {
      throw HostError(host::kErrInvalidProcedureCall, "A style name cannot hold control characters.");
    }
  }
  if (by_name_.count(name) || FindBuiltin(name)) {
    throw HostError(host::kErrStyleNameInUse,
                    "That style name already exists or is reserved for a built-in style (" + std::string(name) +
                        ").");
  }
  root(true);
  pugi::xml_node base = type_root(kind);
  std::string based = base ? id(base) : "";
  pugi::xml_node node = append_style(kind, fresh_id(IdFromName(name)), std::string(name));
  if (!based.empty()) set_reference(node, "basedOn", based);
  doc_.changed(part_);
  return node;
}

const BuiltinStyle* TypeRoot(StyleKind kind) {
  // As Word does: new paragraph styles rest on Normal, character styles on
  // Default Paragraph Font, table styles on Table Normal.
  switch (kind) {
    case StyleKind::Paragraph:
      return FindBuiltin("Normal");
    case StyleKind::Character:
      return FindBuiltin("Default Paragraph Font");
    case StyleKind::Table:
      return FindBuiltin("Normal Table");
    default:
      return nullptr;
  }
}

pugi::xml_node StyleSheet::type_root(StyleKind kind) {
  const BuiltinStyle* b = TypeRoot(kind);
  return b ? builtin(*b) : pugi::xml_node();
}

bool StyleSheet::is_type_root(pugi::xml_node style) const {
  const BuiltinStyle* b = nullptr;
  return builtin_entry(style, &b) && b == TypeRoot(kind(style));
}

void StyleSheet::move_after(pugi::xml_node style, pugi::xml_node anchor) {
  root_.insert_move_after(style, anchor);
  order_.erase(order_.begin() + static_cast<std::ptrdiff_t>(place_of(style)));
  order_.insert(order_.begin() + static_cast<std::ptrdiff_t>(place_of(anchor)) + 1, style.internal_object());
  ++epoch_;
}

void StyleSheet::place_after_base(pugi::xml_node style) {
  if (!built_) build();
  const size_t mine = place_of(style);
  if (mine == order_.size()) return;  // not indexed: nothing to order against
  auto base_of = [&](pugi::xml_node n) { return reference_view(n, "basedOn"); };
  if (pugi::xml_node base = base_of(style).empty() ? pugi::xml_node() : by_id(base_of(style))) {
    if (size_t at = place_of(base); at > mine && at < order_.size()) move_after(style, base);
  }
  // Styles based on this one that stand before it follow it, and theirs in
  // turn, keeping their order; each moves once at most, so a based-on loop
  // cannot keep us here.
  std::unordered_set<size_t> placed{style.hash_value()};
  std::vector<pugi::xml_node> pending{style};
  while (!pending.empty()) {
    pugi::xml_node parent = pending.back();
    pending.pop_back();
    const std::string_view parent_id = id_view(parent);
    auto resting = based_on_.find(parent_id);
    if (resting == based_on_.end() || resting->second.empty()) continue;  // nothing rests on it: no walk
    // Only the few resting on it are looked for in the order, rather than
    // the whole order searched for them.
    std::vector<std::pair<size_t, pugi::xml_node>> early;
    const size_t end = place_of(parent);
    for (pugi::xml_node_struct* s : resting->second) {
      pugi::xml_node n(s);
      if (base_of(n) != parent_id || placed.count(n.hash_value())) continue;
      if (size_t at = place_of(n); at < end) early.emplace_back(at, n);
    }
    std::sort(early.begin(), early.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    pugi::xml_node anchor = parent;
    for (const auto& [at, n] : early) {
      placed.insert(n.hash_value());
      move_after(n, anchor);
      anchor = n;
      pending.push_back(n);
    }
  }
}

std::string_view StyleSheet::stored_name_view(pugi::xml_node style) const {
  return style.child(names_.name.c_str()).attribute(names_.val.c_str()).value();
}

std::string_view StyleSheet::display_name_view(pugi::xml_node style) const {
  return ShownName(stored_name_view(style), OnOff(style.attribute(names_.custom_style.c_str())));
}

std::string_view StyleSheet::id_view(pugi::xml_node style) const {
  return style.attribute(names_.style_id.c_str()).value();
}

StyleKind StyleSheet::kind(pugi::xml_node style) const {
  std::string_view type = style.attribute(names_.type.c_str()).value();
  if (type == "character") return StyleKind::Character;
  if (type == "table") return StyleKind::Table;
  if (type == "numbering") return StyleKind::List;
  return StyleKind::Paragraph;
}

bool StyleSheet::builtin_entry(pugi::xml_node style, const BuiltinStyle** out) const {
  if (OnOff(style.attribute(names_.custom_style.c_str()))) return false;
  *out = FindBuiltin(stored_name_view(style));
  return *out != nullptr;
}

bool StyleSheet::is_builtin(pugi::xml_node style) const {
  const BuiltinStyle* b = nullptr;
  return builtin_entry(style, &b);
}

const std::string* StyleSheet::reference_name(std::string_view child) const {
  return child == "basedOn" ? &names_.based_on : child == "next" ? &names_.next : child == "link" ? &names_.link : nullptr;
}

std::string_view StyleSheet::reference_view(pugi::xml_node style, std::string_view child) const {
  const std::string* name = reference_name(child);
  return style.child(name ? name->c_str() : q(child).c_str()).attribute(names_.val.c_str()).value();
}

void StyleSheet::set_reference(pugi::xml_node style, std::string_view child, const std::string& ref_id) {
  if (child == "basedOn" && built_) {
    forget_base(style);
    if (!ref_id.empty()) based_on_[ref_id].insert(style.internal_object());
  }
  const std::string* known = reference_name(child);
  const std::string name = known ? *known : q(child);
  pugi::xml_node node = style.child(name.c_str());
  if (ref_id.empty()) {
    if (node) style.remove_child(node);
    return;
  }
  if (!node) node = ooxml::InsertOrdered(style, name, kStyleChildOrder);
  pugi::xml_attribute a = node.attribute(names_.val.c_str());
  if (!a) a = node.append_attribute(names_.val.c_str());
  if (ref_id != a.value()) a.set_value(ref_id.c_str());
}

// ---------------------------------------------------------------------------
// Folding inherited formatting

namespace {

using Order = std::initializer_list<std::string_view>;

const Order kRunPropertyOrder = {
    "rStyle", "rFonts", "b", "bCs", "i", "iCs", "caps", "smallCaps", "strike", "dstrike", "outline", "shadow",
    "emboss", "imprint", "noProof", "snapToGrid", "vanish", "webHidden", "color", "spacing", "w", "kern",
    "position", "sz", "szCs", "highlight", "u", "effect", "bdr", "shd", "fitText", "vertAlign", "rtl", "cs", "em",
    "lang", "eastAsianLayout", "specVanish", "oMath"};
const Order kTablePropertyOrder = {"tblStyle", "tblpPr", "tblOverlap", "bidiVisual", "tblStyleRowBandSize",
                                   "tblStyleColBandSize", "tblW", "jc", "tblCellSpacing", "tblInd", "tblBorders",
                                   "shd", "tblLayout", "tblCellMar", "tblLook", "tblCaption", "tblDescription"};
const Order kCellPropertyOrder = {"cnfStyle", "tcW", "gridSpan", "hMerge", "vMerge", "tcBorders", "shd",
                                  "noWrap", "tcMar", "textDirection", "tcFitText", "vAlign", "hideMark"};
// Sides of borders and margins, in the order all their containers share.
const Order kSideOrder = {"top", "left", "start", "bottom", "right", "end", "insideH", "insideV",
                          "tl2br", "tr2bl", "between", "bar"};
const Order kNumPrOrder = {"ilvl", "numId"};
const Order kNoOrder = {};

// Containers whose children are properties of their own: each is merged.
const Order* ChildOrder(std::string_view local) {
  if (local == "pPr") return &kParagraphPropertyOrder;
  if (local == "rPr") return &kRunPropertyOrder;
  if (local == "tblPr") return &kTablePropertyOrder;
  if (local == "tcPr") return &kCellPropertyOrder;
  if (local == "trPr") return &kNoOrder;  // its children come in any order
  if (local == "pBdr" || local == "tblBorders" || local == "tcBorders" || local == "tblCellMar" ||
      local == "tcMar") {
    return &kSideOrder;
  }
  if (local == "numPr") return &kNumPrOrder;
  return nullptr;
}

// Elements whose attributes are separate properties (LeftIndent and
// FirstLineIndent are both w:ind), with the pairs of which one setting
// rules out the other.
struct AttributeMerge {
  std::string_view local;
  std::initializer_list<std::pair<std::string_view, std::string_view>> exclusive;
};
const AttributeMerge kAttributeMerges[] = {
    {"ind",
     {{"firstLine", "hanging"}, {"firstLineChars", "hangingChars"}, {"left", "start"}, {"right", "end"},
      {"leftChars", "startChars"}, {"rightChars", "endChars"}}},
    {"spacing", {{"before", "beforeAutospacing"}, {"after", "afterAutospacing"}}},
    {"rFonts", {{"ascii", "asciiTheme"}, {"hAnsi", "hAnsiTheme"}, {"eastAsia", "eastAsiaTheme"}, {"cs", "cstheme"}}},
    {"lang", {}},
};

void MergeAttributes(pugi::xml_node mine, pugi::xml_node inherited, const AttributeMerge& rule,
                     std::string_view prefix) {
  auto has = [&](std::string_view local) { return mine.attribute(ooxml::Q(prefix, local).c_str()); };
  for (pugi::xml_attribute a : inherited.attributes()) {
    if (mine.attribute(a.name())) continue;
    std::string_view local = ooxml::LocalName(a.name());
    bool ruled_out = false;
    for (const auto& [one, other] : rule.exclusive) {
      if ((local == one && has(other)) || (local == other && has(one))) ruled_out = true;
    }
    if (!ruled_out) mine.append_copy(a);
  }
}

pugi::xml_node InsertCopyOrdered(pugi::xml_node parent, pugi::xml_node copy_of, const Order& order) {
  pugi::xml_node place = ooxml::InsertOrdered(parent, copy_of.name(), order);
  pugi::xml_node node = parent.insert_copy_before(copy_of, place);
  parent.remove_child(place);
  return node;
}

// Tab stops are keyed by position; the nearer list keeps its clears.
void MergeTabs(pugi::xml_node mine, pugi::xml_node inherited, std::string_view prefix) {
  std::string pos = ooxml::Q(prefix, "pos");
  for (pugi::xml_node tab : inherited.children()) {
    if (tab.type() != pugi::node_element) continue;
    int at = tab.attribute(pos.c_str()).as_int();
    pugi::xml_node after;
    bool taken = false;
    for (pugi::xml_node m : mine.children()) {
      if (m.type() != pugi::node_element) continue;
      int here = m.attribute(pos.c_str()).as_int();
      if (here == at) taken = true;
      if (here > at) break;
      after = m;
    }
    if (taken) continue;
    if (after) {
      mine.insert_copy_after(tab, after);
    } else {
      mine.prepend_copy(tab);
    }
  }
}

void MergeUnder(pugi::xml_node mine, pugi::xml_node inherited, const Order& order, std::string_view prefix) {
  for (pugi::xml_node c : inherited.children()) {
    if (c.type() != pugi::node_element) continue;
    pugi::xml_node m = mine.child(c.name());
    if (!m) {
      InsertCopyOrdered(mine, c, order);
      continue;
    }
    std::string_view local = ooxml::LocalName(c.name());
    if (ooxml::Q(prefix, local) != c.name()) continue;  // markup of other namespaces is taken whole
    if (local == "tabs") {
      MergeTabs(m, c, prefix);
    } else if (const Order* inner = ChildOrder(local)) {
      MergeUnder(m, c, *inner, prefix);
    } else {
      for (const auto& rule : kAttributeMerges) {
        if (rule.local == local) MergeAttributes(m, c, rule, prefix);
      }
    }
  }
}

}  // namespace

void InheritFormatting(pugi::xml_node style, pugi::xml_node ancestor, std::string_view prefix) {
  std::string conditional = ooxml::Q(prefix, "tblStylePr"), type = ooxml::Q(prefix, "type");
  for (pugi::xml_node c : ancestor.children()) {
    if (c.type() != pugi::node_element) continue;
    std::string_view local = ooxml::LocalName(c.name());
    if (ooxml::Q(prefix, local) != c.name()) continue;
    if (local == "tblStylePr") {
      // Conditional formats merge per condition (first row, banded rows ...).
      pugi::xml_node mine = style.find_child_by_attribute(conditional.c_str(), type.c_str(), c.attribute(type.c_str()).value());
      if (!mine) {
        InsertCopyOrdered(style, c, kStyleChildOrder);
      } else {
        InheritFormatting(mine, c, prefix);
      }
      continue;
    }
    // Names, links and flags are the style's own, never inherited.
    if (local != "pPr" && local != "rPr" && local != "tblPr" && local != "trPr" && local != "tcPr") continue;
    const Order* order = ChildOrder(local);
    pugi::xml_node mine = style.child(c.name());
    if (!mine) {
      // A conditional format orders these as a style does.
      InsertCopyOrdered(style, c, kStyleChildOrder);
    } else {
      MergeUnder(mine, c, *order, prefix);
    }
  }
}

// ---------------------------------------------------------------------------

Styles::Styles(std::shared_ptr<DocumentModel> doc, std::shared_ptr<host::FaultPlan> faults)
    : DispatchObject("Styles", faults), doc_(std::move(doc)), faults_(std::move(faults)) {
  property("Count", [this](const Args&) {
    doc_->require_open();
    return Value(static_cast<int32_t>(doc_->styles().count()));
  });
  method("Item", [this](const Args& a) { return Value(Item(host::arg(a, 0))); });
  method("Add", [this](const Args& a) {
    doc_->require_open();
    int32_t type = host::has_arg(a, 1) ? host::arg(a, 1).as_int() : 1;
    if (type < 1 || type > 4) throw HostError(host::kErrInvalidProcedureCall, "Unknown style type.");
    pugi::xml_node node = doc_->styles().add(host::arg(a, 0).as_string(), static_cast<StyleKind>(type));
    return Value(host::ObjectPtr(std::make_shared<Style>(doc_, node, faults_)));
  });
}

host::ObjectPtr Styles::Item(const Value& index) {
  doc_->require_open();
  StyleSheet& sheet = doc_->styles();
  pugi::xml_node node;
  switch (index.kind()) {
    case Value::Kind::String:
      node = sheet.find(index.as_string());
      break;
    case Value::Kind::Int:
    case Value::Kind::Double:
    case Value::Kind::Bool: {
      int32_t n = index.as_int();
      if (n >= 1) {
        node = sheet.at(static_cast<size_t>(n - 1));
      } else if (const BuiltinStyle* b = BuiltinByNumber(n)) {
        node = sheet.builtin(*b);
      }
      break;
    }
    default:
      throw HostError(host::kErrTypeMismatch, "Type mismatch");
  }
  if (!node) NoSuchMember();
  // A style asked for again gets the object made for it before: a pass
  // over every style otherwise builds a member table per style and call.
  std::string id = sheet.id(node);
  if (auto it = handed_out_.find(id); it != handed_out_.end()) {
    try {
      if (it->second->node() == node) return it->second;
    } catch (const HostError&) {
    }
  }
  auto style = std::make_shared<Style>(doc_, node, faults_);
  handed_out_[id] = style;
  return style;
}

// ---------------------------------------------------------------------------

const host::DispatchObject::SharedTable& Style::Members() {
  static const SharedTable table = [] {
    SharedTable t;
    auto self = [](DispatchObject& o) -> Style& { return static_cast<Style&>(o); };
    t.property("NameLocal", [self](DispatchObject& o, const Args&) {
      Style& s = self(o);
      return Value(s.sheet().display_name(s.node()));
    });
    t.property("Type", [self](DispatchObject& o, const Args&) {
      Style& s = self(o);
      return Value(static_cast<int32_t>(s.sheet().kind(s.node())));
    });
    t.property("BuiltIn", [self](DispatchObject& o, const Args&) {
      Style& s = self(o);
      return host::word_bool(s.sheet().is_builtin(s.node()));
    });
    t.property(
        "BaseStyle", [self](DispatchObject& o, const Args&) { return Value(self(o).ReferenceName("basedOn")); },
        [self](DispatchObject& o, const Value& v, const Args&) { self(o).SetReference("basedOn", v); });
    t.property(
        "NextParagraphStyle", [self](DispatchObject& o, const Args&) { return Value(self(o).ReferenceName("next")); },
        [self](DispatchObject& o, const Value& v, const Args&) { self(o).SetReference("next", v); });
    t.property("ListTemplate", [self](DispatchObject& o, const Args&) {
      Style& s = self(o);
      return StyleListTemplate(s.doc_, s.node(), s.faults_);
    });
    t.method("LinkToListTemplate", [self](DispatchObject& o, const Args& a) {
      Style& s = self(o);
      LinkStyleToListTemplate(*s.doc_, s.node(), host::arg(a, 0), host::arg(a, 1));
      return Value();
    });
    AddFormatMembers(t);
    return t;
  }();
  return table;
}

Style::Style(std::shared_ptr<DocumentModel> doc, pugi::xml_node node, std::shared_ptr<host::FaultPlan> faults)
    : DispatchObject("Style", faults), doc_(std::move(doc)), faults_(std::move(faults)), node_(node) {
  id_ = doc_->styles().id(node_);
  epoch_ = doc_->styles().epoch();
  share(Members());
}

StyleSheet& Style::sheet() {
  doc_->require_open();
  return doc_->styles();
}

pugi::xml_node Style::node() {
  StyleSheet& s = sheet();
  if (s.epoch() != epoch_) {
    node_ = s.by_id(id_);
    if (!node_) throw HostError(kErrObjectDeleted, "Object has been deleted (style " + id_ + ").");
    epoch_ = s.epoch();
  }
  return node_;
}

std::string Style::ReferenceName(std::string_view child) {
  pugi::xml_node me = node();
  StyleSheet& s = sheet();
  std::string ref = s.reference(me, child);
  // Word reports a style without a next style as followed by itself.
  if (ref.empty()) return child == "next" ? s.display_name(me) : std::string();
  pugi::xml_node target = s.by_id(ref);
  return target ? s.display_name(target) : std::string();
}

void Style::SetReference(std::string_view child, const Value& value) {
  pugi::xml_node me = node();
  StyleSheet& s = sheet();
  std::string name = value.as_string();
  if (name.empty()) {
    s.set_reference(me, child, "");
    doc_->changed(s.part());
    return;
  }
  pugi::xml_node target = s.find(name);
  auto refuse = [&](const std::string& why) {
    throw HostError(host::kErrNoSuchStyle, "Cannot use \"" + name + "\" here: " + why);
  };
  if (!target) refuse("there is no style of that name.");
  // A reference to a style of another type, or one that would make the
  // based-on chain a loop, is refused with the number callers already skip.
  if (s.kind(target) != s.kind(me)) refuse("it is a style of another type.");
  if (child == "basedOn") {
    pugi::xml_node walk = target;
    for (int depth = 0; walk && depth < 1000; ++depth) {
      if (walk == me) refuse("the based-on chain would loop.");
      std::string up = s.reference(walk, "basedOn");
      walk = up.empty() ? pugi::xml_node() : s.by_id(up);
    }
  }
  // Only paragraph styles have a style for the following paragraph.
  if (child == "next" && s.kind(me) != StyleKind::Paragraph) return;
  // A style without a next style already follows itself: saying so again
  // changes nothing, and the file keeps its own spelling.
  if (child == "next" && target == me && s.reference(me, "next").empty()) return;
  s.set_reference(me, child, s.id(target));
  doc_->changed(s.part());
}

}  // namespace tarnwell::engine
