#include "engine/style_format.h"

#include <cmath>
#include <map>
#include <span>

#include "engine/document_model.h"
#include "engine/styles.h"
#include "engine/word_units.h"
#include "host/collection.h"
#include "host/host_error.h"
#include "ooxml/xml.h"

namespace tarnwell::engine {

using host::Args;
using host::HostError;
using host::Value;

namespace {

[[noreturn]] void OutOfRange(std::string_view what) {
  throw HostError(kErrValueOutOfRange, "Value out of range (" + std::string(what) + ").");
}

[[noreturn]] void NoMember() {
  throw HostError(host::kErrNoSuchCollectionMember, "The requested member of the collection does not exist.");
}

// Schema orders of the elements a put may have to create.
using Order = std::initializer_list<std::string_view>;
const Order kRPrOrder = {"rStyle", "rFonts",  "b",          "bCs",       "i",      "iCs",      "caps",
                         "smallCaps", "strike", "dstrike",  "outline",   "shadow", "emboss",   "imprint",
                         "noProof", "snapToGrid", "vanish", "webHidden", "color",  "spacing",  "w",
                         "kern",   "position", "sz",        "szCs",      "highlight", "u",     "effect",
                         "bdr",    "shd",      "fitText",   "vertAlign", "rtl",    "cs",       "em",
                         "lang",   "eastAsianLayout", "specVanish", "oMath"};
const Order kPPrOrder = {"pStyle",     "keepNext",    "keepLines",   "pageBreakBefore", "framePr",
                         "widowControl", "numPr",     "suppressLineNumbers", "pBdr",    "shd",
                         "tabs",       "suppressAutoHyphens", "kinsoku", "wordWrap",    "overflowPunct",
                         "topLinePunct", "autoSpaceDE", "autoSpaceDN", "bidi",          "adjustRightInd",
                         "snapToGrid", "spacing",     "ind",         "contextualSpacing", "mirrorIndents",
                         "suppressOverlap", "jc",     "textDirection", "textAlignment", "textboxTightWrap",
                         "outlineLvl", "divId",       "cnfStyle",    "rPr",             "sectPr",
                         "pPrChange"};
const Order kTblPrOrder = {"tblStyle", "tblpPr",  "tblOverlap",  "bidiVisual", "tblStyleRowBandSize",
                           "tblStyleColBandSize", "tblW", "jc",   "tblCellSpacing", "tblInd",
                           "tblBorders", "shd",   "tblLayout",   "tblCellMar", "tblLook"};
const Order kTrPrOrder = {"cnfStyle", "divId", "gridBefore", "gridAfter", "wBefore", "wAfter",
                          "cantSplit", "trHeight", "tblHeader", "tblCellSpacing", "jc", "hidden"};
const Order kTcPrOrder = {"cnfStyle", "tcW",  "gridSpan", "hMerge",   "vMerge",  "tcBorders", "shd",
                          "noWrap",   "tcMar", "textDirection", "tcFitText", "vAlign", "hideMark"};
const Order kSidesOrder = {"top", "left", "start", "bottom", "right", "end", "between", "bar",
                           "insideH", "insideV", "tl2br", "tr2bl"};
const Order kTblStylePrOrder = {"pPr", "rPr", "tblPr", "trPr", "tcPr"};

const Order& OrderOf(std::string_view parent) {
  static const Order none = {};
  if (parent == "style") return kStyleChildOrder;
  if (parent == "rPr") return kRPrOrder;
  if (parent == "pPr") return kPPrOrder;
  if (parent == "tblPr") return kTblPrOrder;
  if (parent == "trPr") return kTrPrOrder;
  if (parent == "tcPr") return kTcPrOrder;
  if (parent == "tblStylePr") return kTblStylePrOrder;
  if (parent == "pBdr" || parent == "tblBorders" || parent == "tcBorders" || parent == "tblCellMar" ||
      parent == "tcMar") {
    return kSidesOrder;
  }
  return none;
}

// Splits "a/b" into segments and "left|start" into alternatives.
std::vector<std::string_view> Split(std::string_view s, char sep) {
  std::vector<std::string_view> out;
  while (!s.empty()) {
    auto at = s.find(sep);
    out.push_back(s.substr(0, at));
    if (at == std::string_view::npos) break;
    s.remove_prefix(at + 1);
  }
  return out;
}

pugi::xml_node Child(const FormatHome& h, pugi::xml_node parent, std::string_view names) {
  for (auto name : Split(names, '|')) {
    if (auto c = parent.child(h.q(name).c_str())) return c;
  }
  return {};
}

pugi::xml_attribute Attr(const FormatHome& h, pugi::xml_node node, std::string_view names) {
  for (auto name : Split(names, '|')) {
    if (auto a = node.attribute(h.q(name).c_str())) return a;
  }
  return {};
}

pugi::xml_node At(const FormatHome& h, pugi::xml_node node, std::string_view path) {
  for (auto seg : Split(path, '/')) {
    if (!node) break;
    node = Child(h, node, seg);
  }
  return node;
}

std::string Join(std::string_view a, std::string_view b) {
  if (a.empty()) return std::string(b);
  if (b.empty()) return std::string(a);
  return std::string(a) + "/" + std::string(b);
}

// The element at path that applies: the nearest that has one.
pugi::xml_node Effective(FormatHome& h, std::string_view group, std::string_view path) {
  for (auto n : h.chain(group)) {
    if (auto e = At(h, n, path)) return e;
  }
  return {};
}

// The attribute that applies: the nearest element at path that has it.
pugi::xml_attribute EffectiveAttr(FormatHome& h, std::string_view group, std::string_view path,
                                  std::string_view attr) {
  for (auto n : h.chain(group)) {
    if (auto e = At(h, n, path)) {
      if (auto a = Attr(h, e, attr)) return a;
    }
  }
  return {};
}

// The owner's own element at path, made (in schema order) when missing. A
// whole element (a border, a shading) made here starts as the one it
// overrides, so that a put changes one attribute of what Word showed.
pugi::xml_node Own(FormatHome& h, std::string_view group, std::string_view path, bool whole,
                   std::string_view required_val = {}) {
  pugi::xml_node inherited = whole ? Effective(h, group, path) : pugi::xml_node();
  pugi::xml_node node = h.own(group);
  bool made = false;
  for (auto seg : Split(path, '/')) {
    pugi::xml_node c = Child(h, node, seg);
    if (!c) {
      std::string_view parent = ooxml::LocalName(node.name());
      c = ooxml::InsertOrdered(node, h.q(Split(seg, '|').front()), OrderOf(parent));
      made = true;
    }
    node = c;
  }
  if (made && inherited) {
    for (auto a : inherited.attributes()) node.append_attribute(a.name()).set_value(a.value());
  }
  std::string val = h.q("val");
  if (!required_val.empty() && !node.attribute(val.c_str())) node.append_attribute(val.c_str()) = required_val.data();
  return node;
}

void SetAttr(const FormatHome& h, pugi::xml_node node, std::string_view names, const std::string& value) {
  pugi::xml_attribute a = Attr(h, node, names);
  if (!a) a = node.append_attribute(h.q(Split(names, '|').front()).c_str());
  a.set_value(value.c_str());
}

void RemoveAttr(const FormatHome& h, pugi::xml_node node, std::string_view names) {
  for (auto name : Split(names, '|')) node.remove_attribute(h.q(name).c_str());
}

// A theme reference beside a value wins over it; a put of the value drops it.
void DropThemeOverrides(const FormatHome& h, pugi::xml_node node, std::string_view attr) {
  if (attr == "val" || attr == "color") RemoveAttr(h, node, "themeColor|themeTint|themeShade");
  if (attr == "fill") RemoveAttr(h, node, "themeFill|themeFillTint|themeFillShade");
}

// ---------------------------------------------------------------------------
// Properties as data: where each lives and how Word shows it.

enum class Codec {
  OnOff,          // an on/off element
  NotOnOff,       // an on/off element Word shows negated (Hyphenation)
  AttrOnOff,      // an on/off attribute (beforeAutospacing)
  Twips,          // twentieths of a point, shown in points
  HalfPoints,     // half-points, shown in points
  Hundredths,     // hundredths of a character or line, shown in units
  Number,         // a whole number as written
  Enum,           // a token, shown as Word's enumeration
  Color,          // RRGGBB or auto, shown as a BGR number
  ColorIndex,     // RRGGBB or auto, shown as WdColorIndex
  Language,       // a language tag, shown as WdLanguageID
  SignedTwips,    // attr for positive values, neg for negative ones (firstLine/hanging)
  SignedHundredths,
  OutlineLevel,   // 0..8 shown as 1..9, none as 10 (body text)
  LineRule,       // w:spacing line and lineRule as WdLineSpacing
  LinePoints,     // ... and as points
  VertAlign,      // vertAlign equal to neg, shown as True/False
  FontName,       // rFonts ascii, or the theme font asciiTheme names
  LineWidth,      // eighths of a point, snapped to WdLineWidth
  Direction,      // bidiVisual: 0 right to left, 1 left to right
  BorderShadow,   // the shadow of a collection's visible sides
};

struct Prop {
  std::string_view name;
  Codec codec;
  std::string_view path;  // element(s) below the object's place
  std::string_view attr = "val";
  double fallback = 0;    // what Word reads when nothing says
  EnumTable table = {};
  double min = 0, max = 0;  // a put outside is refused (when min < max)
  std::string_view neg = {};
  std::string_view group = {};  // another group than the object's
  bool whole = false;           // inherited as a whole element
  std::string_view required_val = {};
};

// Where a formatting object reads and writes.
struct Place {
  std::shared_ptr<FormatHome> home;
  std::string group;  // rPr, pPr, tblPr, trPr, tcPr, "" for the owner's element
  std::string where;  // the path below the group
  // For a Borders collection: its sides, by Word's border-type code.
  std::vector<std::pair<int32_t, std::string>> sides;
};

std::string_view GroupOf(const Place& p, const Prop& prop) { return prop.group.empty() ? p.group : prop.group; }
std::string PathOf(const Place& p, const Prop& prop) { return Join(prop.group.empty() ? p.where : "", prop.path); }

Value Read(const Place& p, const Prop& prop);

int32_t LineStyleAt(const Place& p, std::string_view side_path) {
  pugi::xml_node e = Effective(*p.home, p.group, side_path);
  return e ? EnumNumber(kLineStyle, Attr(*p.home, e, "val").value(), 0) : 0;
}

Value Read(const Place& p, const Prop& prop) {
  FormatHome& h = *p.home;
  std::string_view group = GroupOf(p, prop);
  std::string path = PathOf(p, prop);
  switch (prop.codec) {
    case Codec::OnOff:
    case Codec::NotOnOff: {
      pugi::xml_node e = Effective(h, group, path);
      bool on = e ? OnOffValue(Attr(h, e, "val").value(), true) : prop.fallback != 0;
      return host::word_bool(prop.codec == Codec::NotOnOff ? !on : on);
    }
    case Codec::Direction: {
      pugi::xml_node e = Effective(h, group, path);
      return Value(int32_t(e && OnOffValue(Attr(h, e, "val").value(), true) ? 0 : 1));
    }
    case Codec::VertAlign: {
      pugi::xml_node e = Effective(h, group, path);
      return host::word_bool(e && Attr(h, e, "val").value() == prop.neg);
    }
    case Codec::SignedTwips:
    case Codec::SignedHundredths: {
      for (auto n : h.chain(group)) {
        pugi::xml_node e = At(h, n, path);
        if (!e) continue;
        auto decode = prop.codec == Codec::SignedTwips ? FromTwips : FromHundredths;
        if (auto a = Attr(h, e, prop.neg)) return Value(-decode(a.value()));
        if (auto a = Attr(h, e, prop.attr)) return Value(decode(a.value()));
      }
      return Value(prop.fallback);
    }
    case Codec::LineRule:
    case Codec::LinePoints: {
      // lineRule belongs with the line beside it.
      LineSpacing ls{0, 12.0};
      for (auto n : h.chain(group)) {
        pugi::xml_node e = At(h, n, path);
        if (e && Attr(h, e, "line")) {
          ls = LineSpacingOf(Attr(h, e, "line").value(), Attr(h, e, "lineRule").value());
          break;
        }
      }
      return prop.codec == Codec::LineRule ? Value(ls.rule) : Value(ls.points);
    }
    case Codec::FontName: {
      for (auto n : h.chain(group)) {
        pugi::xml_node e = At(h, n, path);
        if (!e) continue;
        if (auto t = Attr(h, e, "asciiTheme")) {
          std::string face = h.theme_font(t.value());
          if (!face.empty()) return Value(face);
        }
        if (auto a = Attr(h, e, "ascii")) return Value(std::string(a.value()));
      }
      return Value("Times New Roman");
    }
    case Codec::BorderShadow: {
      for (const auto& [code, side] : p.sides) {
        std::string side_path = Join(p.where, side);
        if (code < -4 || LineStyleAt(p, side_path) == 0) continue;
        pugi::xml_node e = Effective(h, p.group, side_path);
        return host::word_bool(OnOffValue(Attr(h, e, "shadow").value(), false));
      }
      return host::word_bool(false);
    }
    default:
      break;
  }
  pugi::xml_attribute a;
  if (prop.whole) {
    if (pugi::xml_node e = Effective(h, group, path)) a = Attr(h, e, prop.attr);
  } else {
    a = EffectiveAttr(h, group, path, prop.attr);
  }
  std::string_view v = a ? a.value() : "";
  switch (prop.codec) {
    case Codec::AttrOnOff: return host::word_bool(a ? OnOffValue(v, true) : prop.fallback != 0);
    case Codec::Twips: return Value(a ? FromTwips(v) : prop.fallback);
    case Codec::HalfPoints: return Value(a ? FromHalfPoints(v) : prop.fallback);
    case Codec::Hundredths: return Value(a ? FromHundredths(v) : prop.fallback);
    case Codec::Number: return Value(a ? static_cast<int32_t>(std::lround(std::atof(a.value()))) : int32_t(prop.fallback));
    case Codec::Enum: return Value(EnumNumber(prop.table, v, int32_t(prop.fallback)));
    case Codec::Color: return Value(a ? ColorNumber(v) : kColorAutomatic);
    case Codec::ColorIndex: return Value(a ? ColorIndexOf(v) : 0);
    case Codec::Language: return Value(a ? EnumNumber(kLanguage, v, 0) : int32_t(prop.fallback));
    case Codec::OutlineLevel: {
      int32_t level = a ? std::atoi(v.data()) : 9;
      return Value(level >= 0 && level < 9 ? level + 1 : 10);
    }
    case Codec::LineWidth: return Value(a ? LineWidthOf(std::atoi(v.data())) : int32_t(prop.fallback));
    default: return Value();
  }
}

template <class T>
T Checked(const Prop& prop, T v) {
  if (prop.min < prop.max && (v < prop.min || v > prop.max)) OutOfRange(prop.name);
  return v;
}

std::string Token(EnumTable table, int32_t n, std::string_view what) {
  auto t = EnumTokenFor(table, n);
  if (!t) OutOfRange(what);
  return std::string(*t);
}

void Write(const Place& p, const Prop& prop, const Value& value) {
  // Word reads "mixed" as 9999999; handing it back changes nothing.
  if (value.is_number() && value.as_double() == host::kUndefined) return;
  FormatHome& h = *p.home;
  std::string_view group = GroupOf(p, prop);
  std::string path = PathOf(p, prop);
  auto own = [&] { return Own(h, group, path, prop.whole, prop.required_val); };
  switch (prop.codec) {
    case Codec::OnOff:
    case Codec::NotOnOff: {
      bool on = value.as_bool() != (prop.codec == Codec::NotOnOff);
      pugi::xml_node e = own();
      if (on) {
        RemoveAttr(h, e, "val");
      } else {
        SetAttr(h, e, "val", "0");
      }
      break;
    }
    case Codec::Direction: {
      int32_t d = value.as_int();
      if (d != 0 && d != 1) OutOfRange(prop.name);
      SetAttr(h, own(), "val", d == 0 ? "1" : "0");
      break;
    }
    case Codec::AttrOnOff: SetAttr(h, own(), prop.attr, value.as_bool() ? "1" : "0"); break;
    case Codec::Twips: {
      pugi::xml_node e = own();
      SetAttr(h, e, prop.attr, ToTwips(Checked(prop, value.as_double())));
      // A table measure says what it is measured in.
      if (prop.attr == "w") SetAttr(h, e, "type", "dxa");
      break;
    }
    case Codec::HalfPoints: SetAttr(h, own(), prop.attr, ToHalfPoints(Checked(prop, value.as_double()))); break;
    case Codec::Hundredths: SetAttr(h, own(), prop.attr, ToHundredths(Checked(prop, value.as_double()))); break;
    case Codec::Number: SetAttr(h, own(), prop.attr, std::to_string(Checked(prop, value.as_int()))); break;
    case Codec::Enum: SetAttr(h, own(), prop.attr, Token(prop.table, value.as_int(), prop.name)); break;
    case Codec::Language: SetAttr(h, own(), prop.attr, Token(kLanguage, value.as_int(), prop.name)); break;
    case Codec::LineWidth: {
      int32_t w = value.as_int();
      if (!IsLineWidth(w)) OutOfRange(prop.name);
      SetAttr(h, own(), prop.attr, std::to_string(w));
      break;
    }
    case Codec::Color:
    case Codec::ColorIndex: {
      auto hex = prop.codec == Codec::Color ? ColorHex(value.as_int()) : ColorIndexHex(value.as_int());
      if (!hex) OutOfRange(prop.name);
      pugi::xml_node e = own();
      DropThemeOverrides(h, e, prop.attr);
      SetAttr(h, e, prop.attr, *hex);
      break;
    }
    case Codec::SignedTwips:
    case Codec::SignedHundredths: {
      double v = Checked(prop, value.as_double());
      auto encode = prop.codec == Codec::SignedTwips ? ToTwips : ToHundredths;
      pugi::xml_node e = own();
      RemoveAttr(h, e, v < 0 ? prop.attr : prop.neg);
      SetAttr(h, e, v < 0 ? prop.neg : prop.attr, encode(std::fabs(v)));
      break;
    }
    case Codec::OutlineLevel: {
      int32_t level = value.as_int();
      if (level < 1 || level > 10) OutOfRange(prop.name);
      SetAttr(h, own(), "val", std::to_string(level - 1));
      break;
    }
    case Codec::LineRule:
    case Codec::LinePoints: {
      LineSpacing now{Read(p, Prop{prop.name, Codec::LineRule, prop.path}).as_int(),
                      Read(p, Prop{prop.name, Codec::LinePoints, prop.path}).as_double()};
      if (prop.codec == Codec::LineRule) {
        now.rule = value.as_int();
        if (now.rule < 0 || now.rule > 5) OutOfRange(prop.name);
      } else {
        now.points = value.as_double();
        if (now.points <= 0 || now.points > 1584) OutOfRange(prop.name);
        // A measure on a single, 1.5 or double line makes it a multiple.
        if (now.rule < 3) now.rule = 5;
      }
      auto [line, rule] = LineSpacingXml(now.rule, now.points);
      pugi::xml_node e = own();
      SetAttr(h, e, "line", line);
      SetAttr(h, e, "lineRule", rule);
      break;
    }
    case Codec::VertAlign: {
      bool on = value.as_bool();
      bool now = Read(p, prop).as_bool();
      if (on) {
        SetAttr(h, own(), "val", std::string(prop.neg));
      } else if (now) {
        SetAttr(h, own(), "val", "baseline");
      }
      break;
    }
    case Codec::FontName: {
      pugi::xml_node e = own();
      RemoveAttr(h, e, "asciiTheme|hAnsiTheme");
      SetAttr(h, e, "ascii", value.as_string());
      SetAttr(h, e, "hAnsi", value.as_string());
      break;
    }
    case Codec::BorderShadow: {
      std::string on = value.as_bool() ? "1" : "0";
      for (const auto& [code, side] : p.sides) {
        std::string side_path = Join(p.where, side);
        if (code < -4 || LineStyleAt(p, side_path) == 0) continue;
        SetAttr(h, Own(h, p.group, side_path, true, "none"), "shadow", on);
      }
      break;
    }
  }
  h.changed();
}

// ---------------------------------------------------------------------------
// The objects.

class FormatObject : public host::DispatchObject {
 public:
  FormatObject(const char* class_name, Place place, const SharedTable& members)
      : DispatchObject(class_name, place.home->faults()), place_(std::move(place)) {
    share(members);
  }
  const Place& place() const { return place_; }
  static const Place& PlaceOf(DispatchObject& o) { return static_cast<FormatObject&>(o).place_; }

 private:
  Place place_;
};

void AddProps(host::DispatchObject::SharedTable& t, std::span<const Prop> props) {
  for (const Prop& prop : props) {
    t.property(
        std::string(prop.name),
        [&prop](host::DispatchObject& o, const Args&) { return Read(FormatObject::PlaceOf(o), prop); },
        [&prop](host::DispatchObject& o, const Value& v, const Args&) { Write(FormatObject::PlaceOf(o), prop, v); });
  }
}

constexpr double kPointLimit = 1584;  // Word's largest indent or spacing, in points

const Prop kFontProps[] = {
    {"Name", Codec::FontName, "rFonts"},
    {"Size", Codec::HalfPoints, "sz", "val", 10, {}, 1, 1638},
    {"Bold", Codec::OnOff, "b"},
    {"Italic", Codec::OnOff, "i"},
    {"Color", Codec::Color, "color"},
    {"Underline", Codec::Enum, "u", "val", 0, kUnderline},
    {"UnderlineColor", Codec::Color, "u", "color"},
    {"StrikeThrough", Codec::OnOff, "strike"},
    {"DoubleStrikeThrough", Codec::OnOff, "dstrike"},
    {"Outline", Codec::OnOff, "outline"},
    {"Emboss", Codec::OnOff, "emboss"},
    {"Engrave", Codec::OnOff, "imprint"},
    {"Shadow", Codec::OnOff, "shadow"},
    {"Hidden", Codec::OnOff, "vanish"},
    {"SmallCaps", Codec::OnOff, "smallCaps"},
    {"AllCaps", Codec::OnOff, "caps"},
    {"Superscript", Codec::VertAlign, "vertAlign", "val", 0, {}, 0, 0, "superscript"},
    {"Subscript", Codec::VertAlign, "vertAlign", "val", 0, {}, 0, 0, "subscript"},
    {"Spacing", Codec::Twips, "spacing", "val", 0, {}, -kPointLimit, kPointLimit},
    {"Scaling", Codec::Number, "w", "val", 100, {}, 1, 600},
    {"Position", Codec::HalfPoints, "position", "val", 0, {}, -kPointLimit, kPointLimit},
    {"Kerning", Codec::HalfPoints, "kern", "val", 0, {}, 0, 1638},
    {"Animation", Codec::Enum, "effect", "val", 0, kAnimation},
};

const Prop kParagraphProps[] = {
    {"LeftIndent", Codec::Twips, "ind", "left|start", 0, {}, -kPointLimit, kPointLimit},
    {"RightIndent", Codec::Twips, "ind", "right|end", 0, {}, -kPointLimit, kPointLimit},
    {"FirstLineIndent", Codec::SignedTwips, "ind", "firstLine", 0, {}, -kPointLimit, kPointLimit, "hanging"},
    {"SpaceBefore", Codec::Twips, "spacing", "before", 0, {}, 0, kPointLimit},
    {"SpaceBeforeAuto", Codec::AttrOnOff, "spacing", "beforeAutospacing"},
    {"SpaceAfter", Codec::Twips, "spacing", "after", 0, {}, 0, kPointLimit},
    {"SpaceAfterAuto", Codec::AttrOnOff, "spacing", "afterAutospacing"},
    {"LineSpacingRule", Codec::LineRule, "spacing"},
    {"LineSpacing", Codec::LinePoints, "spacing"},
    {"Alignment", Codec::Enum, "jc", "val", 0, kParagraphAlign},
    {"WidowControl", Codec::OnOff, "widowControl"},
    {"KeepWithNext", Codec::OnOff, "keepNext"},
    {"KeepTogether", Codec::OnOff, "keepLines"},
    {"PageBreakBefore", Codec::OnOff, "pageBreakBefore"},
    {"NoLineNumber", Codec::OnOff, "suppressLineNumbers"},
    {"Hyphenation", Codec::NotOnOff, "suppressAutoHyphens"},
    {"OutlineLevel", Codec::OutlineLevel, "outlineLvl"},
    {"CharacterUnitLeftIndent", Codec::Hundredths, "ind", "leftChars|startChars"},
    {"CharacterUnitRightIndent", Codec::Hundredths, "ind", "rightChars|endChars"},
    {"CharacterUnitFirstLineIndent", Codec::SignedHundredths, "ind", "firstLineChars", 0, {}, 0, 0,
     "hangingChars"},
    {"LineUnitBefore", Codec::Hundredths, "spacing", "beforeLines"},
    {"LineUnitAfter", Codec::Hundredths, "spacing", "afterLines"},
};

const Prop kShadingProps[] = {
    {"Texture", Codec::Enum, "", "val", 0, kTexture, 0, 0, {}, {}, true, "clear"},
    {"ForegroundPatternColorIndex", Codec::ColorIndex, "", "color", 0, {}, 0, 0, {}, {}, true, "clear"},
    {"BackgroundPatternColorIndex", Codec::ColorIndex, "", "fill", 0, {}, 0, 0, {}, {}, true, "clear"},
    {"ForegroundPatternColor", Codec::Color, "", "color", 0, {}, 0, 0, {}, {}, true, "clear"},
    {"BackgroundPatternColor", Codec::Color, "", "fill", 0, {}, 0, 0, {}, {}, true, "clear"},
};

const Prop kBorderProps[] = {
    {"LineStyle", Codec::Enum, "", "val", 0, kLineStyle, 0, 0, {}, {}, true, "none"},
    // Without a width Word draws a border half a point wide.
    {"LineWidth", Codec::LineWidth, "", "sz", 4, {}, 0, 0, {}, {}, true, "none"},
    {"Color", Codec::Color, "", "color", 0, {}, 0, 0, {}, {}, true, "none"},
};

const Prop kBordersProps[] = {
    {"DistanceFromTop", Codec::Number, "top", "space", 0, {}, 0, 31, {}, {}, true, "none"},
    {"DistanceFromLeft", Codec::Number, "left|start", "space", 0, {}, 0, 31, {}, {}, true, "none"},
    {"DistanceFromBottom", Codec::Number, "bottom", "space", 0, {}, 0, 31, {}, {}, true, "none"},
    {"DistanceFromRight", Codec::Number, "right|end", "space", 0, {}, 0, 31, {}, {}, true, "none"},
    {"Shadow", Codec::BorderShadow, ""},
};

const Prop kStyleProps[] = {
    {"AutomaticallyUpdate", Codec::OnOff, "autoRedefine"},
    {"NoSpaceBetweenParagraphsOfSameStyle", Codec::OnOff, "contextualSpacing", "val", 0, {}, 0, 0, {}, "pPr"},
    // Without a language anywhere Word proofs in the user's, taken as US English.
    {"LanguageID", Codec::Language, "lang", "val", 1033, {}, 0, 0, {}, "rPr"},
    {"NoProofing", Codec::OnOff, "noProof", "val", 0, {}, 0, 0, {}, "rPr"},
};

const Prop kTableProps[] = {
    {"TableDirection", Codec::Direction, "bidiVisual"},
    {"TopPadding", Codec::Twips, "tblCellMar/top", "w", 0, {}, 0, kPointLimit},
    {"BottomPadding", Codec::Twips, "tblCellMar/bottom", "w", 0, {}, 0, kPointLimit},
    {"LeftPadding", Codec::Twips, "tblCellMar/left|start", "w", 0, {}, 0, kPointLimit},
    {"RightPadding", Codec::Twips, "tblCellMar/right|end", "w", 0, {}, 0, kPointLimit},
    {"Alignment", Codec::Enum, "jc", "val", 0, kRowAlign},
    {"Spacing", Codec::Twips, "tblCellSpacing", "w", 0, {}, 0, kPointLimit},
    {"AllowBreakAcrossPage", Codec::NotOnOff, "cantSplit", "val", 0, {}, 0, 0, {}, "trPr"},
    {"LeftIndent", Codec::Twips, "tblInd", "w", 0, {}, -kPointLimit, kPointLimit},
    {"RowStripe", Codec::Number, "tblStyleRowBandSize", "val", 1, {}, 0, 255},
    {"ColumnStripe", Codec::Number, "tblStyleColBandSize", "val", 1, {}, 0, 255},
};

const Prop kConditionProps[] = {
    {"TopPadding", Codec::Twips, "tcMar/top", "w", 0, {}, 0, kPointLimit},
    {"BottomPadding", Codec::Twips, "tcMar/bottom", "w", 0, {}, 0, kPointLimit},
    {"LeftPadding", Codec::Twips, "tcMar/left|start", "w", 0, {}, 0, kPointLimit},
    {"RightPadding", Codec::Twips, "tcMar/right|end", "w", 0, {}, 0, kPointLimit},
};

// Border-type codes of each collection: the sides Word offers there.
const std::vector<std::pair<int32_t, std::string>> kFontSides = {{1, "bdr"}, {-1, "bdr"}, {-2, "bdr"},
                                                                 {-3, "bdr"}, {-4, "bdr"}};
const std::vector<std::pair<int32_t, std::string>> kParagraphSides = {
    {-1, "top"}, {-2, "left|start"}, {-3, "bottom"}, {-4, "right|end"}, {-5, "between"}, {-6, "bar"}};
const std::vector<std::pair<int32_t, std::string>> kTableSides = {
    {-1, "top"}, {-2, "left|start"}, {-3, "bottom"}, {-4, "right|end"}, {-5, "insideH"}, {-6, "insideV"}};

// w:tblStylePr types by Word's condition codes (WdConditionCode).
constexpr const char* kConditionTypes[] = {"firstRow", "lastRow",   "band1Horz", "band2Horz",
                                           "firstCol", "lastCol",   "band1Vert", "band2Vert",
                                           "neCell",   "nwCell",    "seCell",    "swCell"};

Place Sub(const Place& p, std::string group, std::string where) { return Place{p.home, std::move(group), std::move(where), {}}; }

host::ObjectPtr MakeObject(const char* class_name, Place place, const host::DispatchObject::SharedTable& members) {
  return std::make_shared<FormatObject>(class_name, std::move(place), members);
}

const host::DispatchObject::SharedTable& ShadingMembers() {
  static const auto table = [] {
    host::DispatchObject::SharedTable t;
    AddProps(t, kShadingProps);
    return t;
  }();
  return table;
}

const host::DispatchObject::SharedTable& BorderMembers() {
  static const auto table = [] {
    host::DispatchObject::SharedTable t;
    AddProps(t, kBorderProps);
    return t;
  }();
  return table;
}

host::ObjectPtr BorderItem(const Place& p, const Value& index) {
  int32_t code = index.as_int();
  for (const auto& [c, side] : p.sides) {
    if (c == code) return MakeObject("Border", Sub(p, p.group, Join(p.where, side)), BorderMembers());
  }
  NoMember();
}

const host::DispatchObject::SharedTable& BordersMembers() {
  static const auto table = [] {
    host::DispatchObject::SharedTable t;
    AddProps(t, kBordersProps);
    t.method("Item", [](host::DispatchObject& o, const Args& a) {
      return Value(BorderItem(FormatObject::PlaceOf(o), host::arg(a, 0)));
    });
    return t;
  }();
  return table;
}

Value BordersOf(const Place& p, std::string group, std::string where,
                const std::vector<std::pair<int32_t, std::string>>& sides, const Args& a) {
  Place place{p.home, std::move(group), std::move(where), sides};
  // Borders(n) is Borders.Item(n), as VB reads a default member.
  if (host::has_arg(a, 0)) return Value(BorderItem(place, host::arg(a, 0)));
  return Value(MakeObject("Borders", std::move(place), BordersMembers()));
}

// Shading and Borders of a formatting object: where each is kept and which
// sides its borders have.
void AddFrame(host::DispatchObject::SharedTable& t, const char* shading_group, const char* borders_group,
              const char* borders_where, const std::vector<std::pair<int32_t, std::string>>& sides) {
  t.property("Shading", [shading_group](host::DispatchObject& o, const Args&) {
    return Value(MakeObject("Shading", Sub(FormatObject::PlaceOf(o), shading_group, "shd"), ShadingMembers()));
  });
  t.property("Borders", [borders_group, borders_where, &sides](host::DispatchObject& o, const Args& a) {
    return BordersOf(FormatObject::PlaceOf(o), borders_group, borders_where, sides, a);
  });
}

// ---------------------------------------------------------------------------
// Tab stops: a style's own w:tabs over those it inherits, where a "clear"
// stop takes an inherited one away.

struct Tab {
  int32_t pos;
  std::string align, leader;
};

std::vector<Tab> EffectiveTabs(FormatHome& h) {
  std::map<int32_t, Tab> tabs;
  auto chain = h.chain("pPr");
  const std::string tab = h.q("tab");
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    for (auto t : Child(h, *it, "tabs").children(tab.c_str())) {
      int32_t pos = std::atoi(Attr(h, t, "pos").value());
      std::string val = Attr(h, t, "val").value();
      if (val == "clear") {
        tabs.erase(pos);
      } else {
        tabs[pos] = Tab{pos, val, Attr(h, t, "leader").value()};
      }
    }
  }
  std::vector<Tab> out;
  for (auto& [pos, tab] : tabs) out.push_back(tab);
  return out;
}

void ClearTabs(FormatHome& h) {
  pugi::xml_node ppr = h.own("pPr");
  if (auto own = Child(h, ppr, "tabs")) ppr.remove_child(own);
  auto inherited = EffectiveTabs(h);
  if (inherited.empty()) return;
  pugi::xml_node tabs = ooxml::InsertOrdered(ppr, h.q("tabs"), kPPrOrder);
  for (const auto& t : inherited) {
    pugi::xml_node tab = tabs.append_child(h.q("tab").c_str());
    tab.append_attribute(h.q("val").c_str()) = "clear";
    tab.append_attribute(h.q("pos").c_str()) = t.pos;
  }
}

void AddTab(FormatHome& h, const Value& position, const Value& alignment, const Value& leader) {
  double points = position.as_double();
  if (points < -kPointLimit || points > kPointLimit) OutOfRange("Position");
  std::string align = Token(kTabAlign, alignment.is_missing() ? 0 : alignment.as_int(), "Alignment");
  std::string lead = Token(kTabLeader, leader.is_missing() ? 0 : leader.as_int(), "Leader");
  int32_t pos = static_cast<int32_t>(std::lround(points * 20));
  pugi::xml_node ppr = h.own("pPr");
  pugi::xml_node tabs = Child(h, ppr, "tabs");
  if (!tabs) tabs = ooxml::InsertOrdered(ppr, h.q("tabs"), kPPrOrder);
  pugi::xml_node before;
  for (pugi::xml_node t = tabs.first_child(); t;) {
    pugi::xml_node next = t.next_sibling();
    int32_t at = std::atoi(Attr(h, t, "pos").value());
    if (at == pos) {
      tabs.remove_child(t);
    } else if (at > pos && !before) {
      before = t;
    }
    t = next;
  }
  pugi::xml_node tab = before ? tabs.insert_child_before(h.q("tab").c_str(), before)
                              : tabs.append_child(h.q("tab").c_str());
  tab.append_attribute(h.q("val").c_str()) = align.c_str();
  if (lead != "none") tab.append_attribute(h.q("leader").c_str()) = lead.c_str();
  tab.append_attribute(h.q("pos").c_str()) = pos;
}

class TabStop : public host::DispatchObject {
 public:
  TabStop(const Tab& t, std::shared_ptr<host::FaultPlan> faults) : DispatchObject("TabStop", std::move(faults)) {
    property("Position", [p = t.pos](const Args&) { return Value(p / 20.0); });
    property("Alignment",
             [n = EnumNumber(kTabAlign, t.align, 0)](const Args&) { return Value(n); });
    property("Leader", [n = EnumNumber(kTabLeader, t.leader, 0)](const Args&) { return Value(n); });
    // A list's number tab comes with the numbering; the others were set.
    property("CustomTab", [c = t.align != "num"](const Args&) { return host::word_bool(c); });
  }
};

const host::DispatchObject::SharedTable& TabStopsMembers() {
  static const auto table = [] {
    host::DispatchObject::SharedTable t;
    auto home = [](host::DispatchObject& o) -> FormatHome& { return *FormatObject::PlaceOf(o).home; };
    t.property("Count", [home](host::DispatchObject& o, const Args&) {
      return Value(static_cast<int32_t>(EffectiveTabs(home(o)).size()));
    });
    t.method("Item", [home](host::DispatchObject& o, const Args& a) {
      auto tabs = EffectiveTabs(home(o));
      int32_t i = host::arg(a, 0).as_int();
      if (i < 1 || i > static_cast<int32_t>(tabs.size())) NoMember();
      return Value(host::ObjectPtr(std::make_shared<TabStop>(tabs[static_cast<size_t>(i - 1)], home(o).faults())));
    });
    t.method("ClearAll", [home](host::DispatchObject& o, const Args&) {
      ClearTabs(home(o));
      home(o).changed();
      return Value();
    });
    t.method("Add", [home](host::DispatchObject& o, const Args& a) {
      AddTab(home(o), host::arg(a, 0), host::arg(a, 1), host::arg(a, 2));
      home(o).changed();
      return Value();
    });
    return t;
  }();
  return table;
}

// ParagraphFormat.TabStops = other: the stops of another format, whoever made it.
void AssignTabs(FormatHome& h, const Value& value) {
  host::ObjectPtr from = value.as_object();
  struct Stop {
    Value position, alignment, leader;
  };
  std::vector<Stop> stops;
  for (const auto& t : host::items(host::deref(from))) {
    stops.push_back({t->get("Position"), t->get("Alignment"), t->get("Leader")});
  }
  ClearTabs(h);
  for (const auto& s : stops) AddTab(h, s.position, s.alignment, s.leader);
  h.changed();
}

const host::DispatchObject::SharedTable& FontMembers() {
  static const auto table = [] {
    host::DispatchObject::SharedTable t;
    AddProps(t, kFontProps);
    AddFrame(t, "rPr", "rPr", "", kFontSides);
    return t;
  }();
  return table;
}

const host::DispatchObject::SharedTable& ParagraphFormatMembers() {
  static const auto table = [] {
    host::DispatchObject::SharedTable t;
    AddProps(t, kParagraphProps);
    t.property(
        "TabStops",
        [](host::DispatchObject& o, const Args&) {
          return Value(MakeObject("TabStops", Sub(FormatObject::PlaceOf(o), "pPr", ""), TabStopsMembers()));
        },
        [](host::DispatchObject& o, const Value& v, const Args&) { AssignTabs(*FormatObject::PlaceOf(o).home, v); });
    AddFrame(t, "pPr", "pPr", "pBdr", kParagraphSides);
    return t;
  }();
  return table;
}

const host::DispatchObject::SharedTable& ConditionMembers() {
  static const auto table = [] {
    host::DispatchObject::SharedTable t;
    AddProps(t, kConditionProps);
    AddFrame(t, "tcPr", "tcPr", "tcBorders", kTableSides);
    t.property("Font", [](host::DispatchObject& o, const Args&) { return Value(MakeFont(FormatObject::PlaceOf(o).home)); });
    t.property("ParagraphFormat", [](host::DispatchObject& o, const Args&) {
      return Value(MakeParagraphFormat(FormatObject::PlaceOf(o).home));
    });
    return t;
  }();
  return table;
}

// ---------------------------------------------------------------------------

class StyleHome : public FormatHome {
 public:
  StyleHome(std::shared_ptr<Style> style, std::string condition)
      : style_(std::move(style)), condition_(std::move(condition)) {}

  std::vector<pugi::xml_node> chain(std::string_view group) override {
    StyleSheet& sheet = style_->sheet();
    pugi::xml_node st = style_->node();
    if (group.empty()) return {st};
    std::vector<pugi::xml_node> out;
    std::string g = sheet.q(group);
    // A based-on loop in a file ends the walk instead of hanging it.
    for (int depth = 0; st && depth < 64; ++depth) {
      pugi::xml_node level = condition_.empty() ? st : Condition(st, false);
      if (auto n = level.child(g.c_str())) out.push_back(n);
      std::string up = sheet.reference(st, "basedOn");
      st = up.empty() ? pugi::xml_node() : sheet.by_id(up);
    }
    if (group != "rPr" && group != "pPr") return out;
    if (!condition_.empty()) {
      // A conditional area shows the table's own text formatting where it says nothing.
      auto whole = StyleHome(style_, "").chain(group);
      out.insert(out.end(), whole.begin(), whole.end());
      return out;
    }
    pugi::xml_node defaults = sheet.root(false).child(sheet.q("docDefaults").c_str());
    std::string holder = sheet.q(group == "rPr" ? "rPrDefault" : "pPrDefault");
    if (auto n = defaults.child(holder.c_str()).child(g.c_str())) out.push_back(n);
    return out;
  }

  pugi::xml_node own(std::string_view group) override {
    pugi::xml_node st = style_->node();
    pugi::xml_node level = condition_.empty() ? st : Condition(st, true);
    if (group.empty()) return level;
    std::string g = q(group);
    if (auto n = level.child(g.c_str())) return n;
    return ooxml::InsertOrdered(level, g, condition_.empty() ? kStyleChildOrder : kTblStylePrOrder);
  }

  pugi::xml_node owner() override { return style_->node(); }
  std::shared_ptr<FormatHome> Sibling(std::string condition) const {
    return std::make_shared<StyleHome>(style_, std::move(condition));
  }
  void changed() override { style_->document().changed(style_->sheet().part()); }
  std::string q(std::string_view local) const override { return style_->sheet().q(local); }
  std::shared_ptr<host::FaultPlan> faults() const override { return style_->faults(); }

  std::string theme_font(std::string_view ref) override {
    DocumentModel& doc = style_->document();
    std::string part = doc.related_part("theme");
    if (part.empty() || !doc.package().Has(part)) return "";
    auto child = [](pugi::xml_node n, std::string_view local) {
      for (auto c : n.children()) {
        if (ooxml::LocalName(c.name()) == local) return c;
      }
      return pugi::xml_node();
    };
    pugi::xml_node scheme = child(child(doc.xml(part).document_element(), "themeElements"), "fontScheme");
    pugi::xml_node font = child(scheme, ref.substr(0, 5) == "major" ? "majorFont" : "minorFont");
    std::string_view script = ref.ends_with("EastAsia") ? "ea" : ref.ends_with("Bidi") ? "cs" : "latin";
    return child(font, script).attribute("typeface").value();
  }

 private:
  pugi::xml_node Condition(pugi::xml_node st, bool create) {
    StyleSheet& sheet = style_->sheet();
    std::string name = sheet.q("tblStylePr"), type = sheet.q("type");
    for (auto c : st.children(name.c_str())) {
      if (condition_ == c.attribute(type.c_str()).value()) return c;
    }
    if (!create) return {};
    pugi::xml_node c = ooxml::InsertOrdered(st, name, kStyleChildOrder);
    c.append_attribute(type.c_str()) = condition_.c_str();
    return c;
  }

  std::shared_ptr<Style> style_;
  std::string condition_;
};

const host::DispatchObject::SharedTable& TableStyleMembers() {
  static const auto table = [] {
    host::DispatchObject::SharedTable t;
    AddProps(t, kTableProps);
    // WordprocessingML keeps no such setting for a table style, so Word
    // reads a table style from a file as letting its table break.
    t.property(
        "AllowPageBreaks", [](host::DispatchObject&, const Args&) { return host::word_bool(true); },
        [](host::DispatchObject&, const Value&, const Args&) {});
    // A table style's shading is its cells'.
    AddFrame(t, "tcPr", "tblPr", "tblBorders", kTableSides);
    t.method("Condition", [](host::DispatchObject& o, const Args& a) {
      int32_t code = host::arg(a, 0).as_int();
      if (code < 0 || code > 11) NoMember();
      auto home = std::static_pointer_cast<StyleHome>(FormatObject::PlaceOf(o).home);
      return Value(MakeObject("ConditionalStyle",
                              Place{home->Sibling(kConditionTypes[code]), "tcPr", "", {}}, ConditionMembers()));
    });
    return t;
  }();
  return table;
}

}  // namespace

host::ObjectPtr MakeFont(std::shared_ptr<FormatHome> home) {
  return MakeObject("Font", Place{std::move(home), "rPr", "", {}}, FontMembers());
}

host::ObjectPtr MakeParagraphFormat(std::shared_ptr<FormatHome> home) {
  return MakeObject("ParagraphFormat", Place{std::move(home), "pPr", "", {}}, ParagraphFormatMembers());
}

std::shared_ptr<FormatHome> StyleFormatHome(std::shared_ptr<Style> style, std::string condition) {
  return std::make_shared<StyleHome>(std::move(style), std::move(condition));
}

host::ObjectPtr MakeTableStyle(std::shared_ptr<Style> style) {
  return MakeObject("TableStyle", Place{StyleFormatHome(std::move(style)), "tblPr", "", {}}, TableStyleMembers());
}

void AddFormatMembers(host::DispatchObject::SharedTable& t) {
  auto style = [](host::DispatchObject& o) { return std::static_pointer_cast<Style>(o.shared_from_this()); };
  auto place = [style](host::DispatchObject& o) { return Place{StyleFormatHome(style(o)), "", "", {}}; };
  for (const Prop& prop : kStyleProps) {
    t.property(
        std::string(prop.name), [&prop, place](host::DispatchObject& o, const Args&) { return Read(place(o), prop); },
        [&prop, place](host::DispatchObject& o, const Value& v, const Args&) { Write(place(o), prop, v); });
  }
  t.property("Font", [style](host::DispatchObject& o, const Args&) { return Value(MakeFont(StyleFormatHome(style(o)))); });
  t.property("ParagraphFormat", [style](host::DispatchObject& o, const Args&) {
    return Value(MakeParagraphFormat(StyleFormatHome(style(o))));
  });
  t.property("Table", [style](host::DispatchObject& o, const Args&) {
    auto s = style(o);
    if (s->sheet().kind(s->node()) != StyleKind::Table) {
      throw HostError(host::kErrCommandFailed, "This property is available for table styles only.");
    }
    return Value(MakeTableStyle(s));
  });
}

}  // namespace tarnwell::engine
