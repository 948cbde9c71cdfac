#include "engine/list_templates.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

#include "engine/document_model.h"
#include "engine/numbering.h"
#include "engine/styles.h"
#include "host/host_error.h"
#include "ooxml/xml.h"

namespace tarnwell::engine {

using host::Args;
using host::HostError;
using host::kUndefined;
using host::Value;

namespace {

[[noreturn]] void NoSuchMember(const std::string& what) {
  throw HostError(host::kErrNoSuchCollectionMember, "The requested member of the collection does not exist (" + what + ").");
}

// A code and its WordprocessingML spelling, both ways.
using Spelling = std::pair<int32_t, const char*>;

const char* SpellingOf(const std::vector<Spelling>& table, int32_t code) {
  for (const auto& [c, s] : table) {
    if (c == code) return s;
  }
  throw HostError(host::kErrInvalidProcedureCall, "Invalid procedure call or argument (" + std::to_string(code) + ").");
}

int32_t CodeOf(const std::vector<Spelling>& table, std::string_view spelling, int32_t otherwise) {
  for (const auto& [c, s] : table) {
    if (spelling == s) return c;
  }
  return otherwise;
}

// WdListNumberStyle against w:numFmt.
const std::vector<Spelling> kNumberStyles = {
    {0, "decimal"}, {1, "upperRoman"}, {2, "lowerRoman"}, {3, "upperLetter"}, {4, "lowerLetter"},
    {5, "ordinal"}, {6, "cardinalText"}, {7, "ordinalText"}, {10, "ideographDigital"}, {11, "japaneseCounting"},
    {12, "aiueo"}, {13, "iroha"}, {14, "decimalFullWidth"}, {16, "japaneseLegal"},
    {17, "japaneseDigitalTenThousand"}, {18, "decimalEnclosedCircle"}, {20, "aiueoFullWidth"},
    {21, "irohaFullWidth"}, {22, "decimalZero"}, {23, "bullet"}, {24, "ganada"}, {25, "chosung"},
    {26, "decimalEnclosedFullstop"}, {27, "decimalEnclosedParen"}, {28, "decimalEnclosedCircleChinese"},
    {29, "ideographEnclosedCircle"}, {30, "ideographTraditional"}, {31, "ideographZodiac"},
    {32, "ideographZodiacTraditional"}, {33, "taiwaneseCounting"}, {34, "ideographLegalTraditional"},
    {35, "taiwaneseCountingThousand"}, {36, "taiwaneseDigital"}, {37, "chineseCounting"},
    {38, "chineseLegalSimplified"}, {39, "chineseCountingThousand"}, {45, "hebrew1"}, {46, "arabicAlpha"},
    {47, "hebrew2"}, {48, "arabicAbjad"}, {49, "hindiVowels"}, {50, "hindiConsonants"}, {51, "hindiNumbers"},
    {52, "hindiCounting"}, {53, "thaiLetters"}, {54, "thaiNumbers"}, {55, "thaiCounting"},
    {56, "vietnameseCounting"}, {58, "russianLower"}, {59, "russianUpper"}, {255, "none"}};
// WdTrailingCharacter against w:suff.
const std::vector<Spelling> kTrailing = {{0, "tab"}, {1, "space"}, {2, "nothing"}};
// WdListLevelAlignment against w:lvlJc.
const std::vector<Spelling> kAlignments = {{0, "left"}, {1, "center"}, {2, "right"}, {0, "start"}, {2, "end"}};
// WdUnderline against w:u.
const std::vector<Spelling> kUnderlines = {
    {0, "none"},   {1, "single"},     {2, "words"},        {3, "double"},          {4, "dotted"},
    {6, "thick"},  {7, "dash"},       {9, "dotDash"},      {10, "dotDotDash"},     {11, "wave"},
    {20, "dottedHeavy"}, {23, "dashedHeavy"}, {25, "dashDotHeavy"}, {26, "dashDotDotHeavy"}, {27, "wavyHeavy"},
    {39, "dashLong"}, {43, "wavyDouble"}, {55, "dashLongHeavy"}};
// WdAnimation against w:effect.
const std::vector<Spelling> kAnimations = {{0, "none"},     {1, "lights"},   {2, "blinkBackground"},
                                           {3, "sparkle"},  {4, "antsBlack"}, {5, "antsRed"},
                                           {6, "shimmer"}};

constexpr int32_t kColorAutomatic = -16777216;  // wdColorAutomatic

// "RRGGBB" as Word's BGR colour number; "auto" as automatic.
int32_t ColorNumber(std::string_view hex) {
  if (hex.size() != 6) return kColorAutomatic;
  char* end = nullptr;
  std::string text(hex);
  long rgb = std::strtol(text.c_str(), &end, 16);
  if (*end) return kColorAutomatic;
  return static_cast<int32_t>(((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF));
}

std::string ColorHex(int32_t bgr) {
  if (bgr < 0) return "auto";
  char buf[8];
  std::snprintf(buf, sizeof buf, "%02X%02X%02X", bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
  return buf;
}

int32_t Twips(const char* text) { return static_cast<int32_t>(std::strtol(text, nullptr, 10)); }

Value Points(int32_t twips) { return Value(twips / 20.0); }

int32_t ToTwips(const Value& points) { return static_cast<int32_t>(std::lround(points.as_double() * 20.0)); }

bool IsUndefined(const Value& v) { return v.is_number() && v.as_double() == kUndefined; }

// The run properties of the number, in the order CT_RPr gives them.
const std::initializer_list<std::string_view> kRunOrder = {
    "rStyle", "rFonts", "b", "bCs", "i", "iCs", "caps", "smallCaps", "strike", "dstrike", "outline", "shadow",
    "emboss", "imprint", "noProof", "snapToGrid", "vanish", "webHidden", "color", "spacing", "w", "kern",
    "position", "sz", "szCs", "highlight", "u", "effect", "bdr", "shd", "fitText", "vertAlign"};

// Handles into one w:lvl, found again through the template on each use.
class LevelNode {
 public:
  LevelNode(std::shared_ptr<ListTemplate> owner, int32_t index) : owner_(std::move(owner)), index_(index) {}
  Numbering& n() { return owner_->document().numbering(); }
  std::string q(std::string_view local) { return n().q(local); }
  pugi::xml_node lvl() {
    pugi::xml_node holder = n().levels_of(owner_->node());
    std::string want = std::to_string(index_ - 1), name = q("lvl"), ilvl = q("ilvl");
    for (pugi::xml_node l : holder.children(name.c_str())) {
      if (want == l.attribute(ilvl.c_str()).value()) return l;
    }
    throw HostError(kErrObjectDeleted, "Object has been deleted (list level " + std::to_string(index_) + ").");
  }
  // A child of parent, made in schema order when asked to.
  pugi::xml_node child(pugi::xml_node parent, std::string_view local, std::initializer_list<std::string_view> order,
                       bool make) {
    std::string name = q(local);
    pugi::xml_node c = parent.child(name.c_str());
    if (!c && make) c = ooxml::InsertOrdered(parent, name, order);
    return c;
  }
  std::string val(pugi::xml_node node, std::string_view attr = "val") {
    return node.attribute(q(attr).c_str()).value();
  }
  void set(pugi::xml_node node, std::string_view attr, const std::string& value) {
    std::string name = q(attr);
    pugi::xml_attribute a = node.attribute(name.c_str());
    if (!a) a = node.append_attribute(name.c_str());
    a.set_value(value.c_str());
  }
  void changed() { n().changed(); }
  ListTemplate& owner() { return *owner_; }
  int32_t index() const { return index_; }

 private:
  std::shared_ptr<ListTemplate> owner_;
  int32_t index_;
};

// ListLevel.Font: the number's run properties. What the level does not set
// reads as undefined (9999999, or "" for the name); writing undefined
// removes the setting, so a copy keeps a level's gaps.
class LevelFont : public host::DispatchObject {
 public:
  LevelFont(LevelNode level, std::shared_ptr<host::FaultPlan> faults)
      : DispatchObject("Font", std::move(faults)), level_(std::move(level)) {
    for (const auto& [member, element] : kToggles) Toggle(member, element);
    property(
        "Name", [this](const Args&) { return Value(level_.val(Prop("rFonts", false), "ascii")); },
        [this](const Value& v, const Args&) {
          std::string name = v.as_string();
          pugi::xml_node fonts = Prop("rFonts", !name.empty());
          if (name.empty()) {
            if (fonts) Rpr(false).remove_child(fonts);
          } else {
            level_.set(fonts, "ascii", name);
            level_.set(fonts, "hAnsi", name);
          }
          level_.changed();
        });
    property(
        "Size",
        [this](const Args&) {
          pugi::xml_node sz = Prop("sz", false);
          return sz ? Value(Twips(level_.val(sz).c_str()) / 2.0) : Value(kUndefined);
        },
        [this](const Value& v, const Args&) {
          SetOrRemove("sz", v, [&] { return std::to_string(std::lround(v.as_double() * 2.0)); });
        });
    property(
        "Color",
        [this](const Args&) {
          pugi::xml_node c = Prop("color", false);
          return c ? Value(ColorNumber(level_.val(c))) : Value(kUndefined);
        },
        [this](const Value& v, const Args&) { SetOrRemove("color", v, [&] { return ColorHex(v.as_int()); }); });
    Coded("Animation", "effect", kAnimations, 0);
    Coded("Underline", "u", kUnderlines, 1);
    property(
        "UnderlineColor",
        [this](const Args&) {
          pugi::xml_node u = Prop("u", false);
          if (!u) return Value(kUndefined);
          return Value(u.attribute(level_.q("color").c_str()) ? ColorNumber(level_.val(u, "color")) : kColorAutomatic);
        },
        [this](const Value& v, const Args&) {
          if (IsUndefined(v)) {
            if (pugi::xml_node u = Prop("u", false)) u.remove_attribute(level_.q("color").c_str());
          } else {
            level_.set(Prop("u", true), "color", ColorHex(v.as_int()));
          }
          level_.changed();
        });
    VerticalPosition("Subscript", "subscript");
    VerticalPosition("Superscript", "superscript");
  }

 private:
  static constexpr std::pair<const char*, const char*> kToggles[] = {
      {"AllCaps", "caps"},  {"Bold", "b"},         {"DoubleStrikeThrough", "dstrike"}, {"Emboss", "emboss"},
      {"Engrave", "imprint"}, {"Hidden", "vanish"}, {"Italic", "i"},                    {"Outline", "outline"},
      {"Shadow", "shadow"}, {"StrikeThrough", "strike"}};

  pugi::xml_node Rpr(bool make) { return level_.child(level_.lvl(), "rPr", kLevelOrder, make); }
  pugi::xml_node Prop(std::string_view local, bool make) {
    pugi::xml_node rpr = Rpr(make);
    return rpr ? level_.child(rpr, local, kRunOrder, make) : pugi::xml_node();
  }
  void SetOrRemove(std::string_view local, const Value& v, const std::function<std::string()>& spelling) {
    if (IsUndefined(v)) {
      if (pugi::xml_node p = Prop(local, false)) p.parent().remove_child(p);
    } else {
      std::string text = spelling();
      level_.set(Prop(local, true), "val", text);
    }
    level_.changed();
  }
  void Toggle(const char* member, const char* element) {
    property(
        member,
        [this, element](const Args&) {
          pugi::xml_node p = Prop(element, false);
          if (!p) return Value(kUndefined);
          std::string v = level_.val(p);
          return host::word_bool(!(v == "0" || v == "false" || v == "off"));
        },
        [this, element](const Value& v, const Args&) {
          SetOrRemove(element, v, [&] { return std::string(v.as_bool() ? "1" : "0"); });
        });
  }
  // A member kept in one child's w:val through a code table; unknown is
  // what a spelling the table lacks reads as.
  void Coded(const char* member, const char* element, const std::vector<Spelling>& table, int32_t unknown) {
    property(
        member,
        [this, element, &table, unknown](const Args&) {
          pugi::xml_node p = Prop(element, false);
          return p ? Value(CodeOf(table, level_.val(p), unknown)) : Value(kUndefined);
        },
        [this, element, &table](const Value& v, const Args&) {
          SetOrRemove(element, v, [&] { return std::string(SpellingOf(table, v.as_int())); });
        });
  }
  // Subscript and Superscript share w:vertAlign: False clears only its own
  // position, so copying both in turn leaves the other's True standing.
  void VerticalPosition(const char* member, const char* spelling) {
    property(
        member,
        [this, spelling](const Args&) {
          pugi::xml_node p = Prop("vertAlign", false);
          return p ? host::word_bool(level_.val(p) == spelling) : Value(kUndefined);
        },
        [this, spelling](const Value& v, const Args&) {
          pugi::xml_node p = Prop("vertAlign", false);
          if (IsUndefined(v)) {
            if (p) p.parent().remove_child(p);
          } else if (v.as_bool()) {
            level_.set(Prop("vertAlign", true), "val", spelling);
          } else if (!p || level_.val(p) == spelling) {
            level_.set(Prop("vertAlign", true), "val", "baseline");
          }
          level_.changed();
        });
  }

  LevelNode level_;
};

class ListLevel : public host::DispatchObject {
 public:
  ListLevel(LevelNode level, std::shared_ptr<host::FaultPlan> faults)
      : DispatchObject("ListLevel", faults), level_(std::move(level)) {
    property("Index", [this](const Args&) { return Value(level_.index()); });
    Spelled("NumberFormat", "lvlText", nullptr, "");
    Spelled("NumberStyle", "numFmt", &kNumberStyles, "decimal");
    Spelled("TrailingCharacter", "suff", &kTrailing, "tab");
    Spelled("Alignment", "lvlJc", &kAlignments, "left");
    property(
        "StartAt",
        [this](const Args&) {
          pugi::xml_node s = level_.child(level_.lvl(), "start", kLevelOrder, false);
          return Value(s ? Twips(level_.val(s).c_str()) : 0);
        },
        [this](const Value& v, const Args&) { Write("start", std::to_string(v.as_int())); });
    property(
        "ResetOnHigher",
        [this](const Args&) {
          // Without w:lvlRestart a level restarts after any higher one.
          pugi::xml_node r = level_.child(level_.lvl(), "lvlRestart", kLevelOrder, false);
          // A stored level at or below this one cannot hold; Word keeps the default.
          int32_t after = r ? Twips(level_.val(r).c_str()) : level_.index() - 1;
          return Value(after >= 0 && after < level_.index() ? after : level_.index() - 1);
        },
        [this](const Value& v, const Args&) {
          int32_t after = v.as_int() == host::kTrue ? level_.index() - 1 : v.as_int();
          if (after < 0 || after >= level_.index()) {
            throw HostError(host::kErrInvalidProcedureCall, "A level restarts only after a higher level.");
          }
          pugi::xml_node lvl = level_.lvl();
          if (after == level_.index() - 1) {
            lvl.remove_child(level_.q("lvlRestart").c_str());
            level_.changed();
          } else {
            Write("lvlRestart", std::to_string(after));
          }
        });
    property(
        "NumberPosition",
        [this](const Args&) {
          Indent ind = ReadIndent();
          return ind.defined ? Points(ind.left - ind.hanging) : Value(kUndefined);
        },
        [this](const Value& v, const Args&) {
          if (IsUndefined(v)) return;
          Indent ind = ReadIndent();
          WriteIndent(ind.left, ind.left - ToTwips(v));
        });
    property(
        "TextPosition",
        [this](const Args&) {
          Indent ind = ReadIndent();
          return ind.defined ? Points(ind.left) : Value(kUndefined);
        },
        [this](const Value& v, const Args&) {
          if (IsUndefined(v)) return;
          Indent ind = ReadIndent();
          int32_t left = ToTwips(v);
          WriteIndent(left, left - (ind.left - ind.hanging));
        });
    property(
        "TabPosition",
        [this](const Args&) {
          pugi::xml_node tab = NumberTab(false);
          return tab ? Points(Twips(level_.val(tab, "pos").c_str())) : Value(kUndefined);
        },
        [this](const Value& v, const Args&) {
          if (IsUndefined(v)) {
            if (pugi::xml_node tab = NumberTab(false)) {
              pugi::xml_node tabs = tab.parent();
              tabs.remove_child(tab);
              if (!tabs.first_child()) tabs.parent().remove_child(tabs);
            }
          } else {
            level_.set(NumberTab(true), "pos", std::to_string(ToTwips(v)));
          }
          level_.changed();
        });
    property(
        "LinkedStyle",
        [this](const Args&) {
          pugi::xml_node ps = level_.child(level_.lvl(), "pStyle", kLevelOrder, false);
          if (!ps) return Value(std::string());
          StyleSheet& sheet = level_.owner().document().styles();
          pugi::xml_node style = sheet.by_id(level_.val(ps));
          return Value(style ? sheet.display_name(style) : std::string());
        },
        [this](const Value& v, const Args&) { SetLinkedStyle(v.as_string()); });
    property("Font", [this, faults](const Args&) {
      return Value(host::ObjectPtr(std::make_shared<LevelFont>(level_, faults)));
    });
  }

 private:
  struct Indent {
    bool defined = false;
    int32_t left = 0, hanging = 0;
  };

  pugi::xml_node Ppr(bool make) { return level_.child(level_.lvl(), "pPr", kLevelOrder, make); }

  Indent ReadIndent() {
    Indent out;
    pugi::xml_node ind = level_.child(Ppr(false), "ind", kParagraphPropertyOrder, false);
    if (!ind) return out;
    out.defined = true;
    auto attr = [&](const char* a, const char* b) {
      pugi::xml_attribute x = ind.attribute(level_.q(a).c_str());
      if (!x) x = ind.attribute(level_.q(b).c_str());
      return x;
    };
    out.left = Twips(attr("left", "start").value());
    if (pugi::xml_attribute h = attr("hanging", "hanging")) {
      out.hanging = Twips(h.value());
    } else if (pugi::xml_attribute f = attr("firstLine", "firstLine")) {
      out.hanging = -Twips(f.value());
    }
    return out;
  }

  void WriteIndent(int32_t left, int32_t hanging) {
    pugi::xml_node ind = level_.child(Ppr(true), "ind", kParagraphPropertyOrder, true);
    for (const char* a : {"start", "hanging", "firstLine"}) ind.remove_attribute(level_.q(a).c_str());
    level_.set(ind, "left", std::to_string(left));
    if (hanging >= 0) {
      level_.set(ind, "hanging", std::to_string(hanging));
    } else {
      level_.set(ind, "firstLine", std::to_string(-hanging));
    }
    level_.changed();
  }

  pugi::xml_node NumberTab(bool make) {
    pugi::xml_node tabs = level_.child(Ppr(make), "tabs", kParagraphPropertyOrder, make);
    std::string tab_name = level_.q("tab");
    for (pugi::xml_node t : tabs.children(tab_name.c_str())) {
      if (level_.val(t) == "num") return t;
    }
    if (!make) return {};
    pugi::xml_node t = tabs.append_child(tab_name.c_str());
    level_.set(t, "val", "num");
    return t;
  }

  void Write(std::string_view local, const std::string& value) {
    level_.set(level_.child(level_.lvl(), local, kLevelOrder, true), "val", value);
    level_.changed();
  }

  // A string member kept in one child's w:val, through a code table when
  // there is one; fallback is what an absent child means.
  void Spelled(const char* member, const char* local, const std::vector<Spelling>* table, const char* fallback) {
    property(
        member,
        [this, local, table, fallback](const Args&) {
          pugi::xml_node c = level_.child(level_.lvl(), local, kLevelOrder, false);
          std::string text = c ? level_.val(c) : std::string(fallback);
          return table ? Value(CodeOf(*table, text, 0)) : Value(text);
        },
        [this, local, table](const Value& v, const Args&) {
          Write(local, table ? std::string(SpellingOf(*table, v.as_int())) : v.as_string());
        });
  }

  void SetLinkedStyle(const std::string& name) {
    DocumentModel& doc = level_.owner().document();
    if (name.empty()) {
      pugi::xml_node lvl = level_.lvl();
      lvl.remove_child(level_.q("pStyle").c_str());
      level_.changed();
      return;
    }
    pugi::xml_node style = doc.styles().find(name);
    if (!style) throw HostError(host::kErrNoSuchStyle, "The style \"" + name + "\" does not exist.");
    // Linking a level links the style to it as well, as in Word.
    LinkStyleToListTemplate(doc, style, Value(host::ObjectPtr(level_.owner().shared_from_this())),
                            Value(level_.index()));
  }

  LevelNode level_;
};

class ListLevels : public host::DispatchObject {
 public:
  ListLevels(std::shared_ptr<ListTemplate> owner, std::shared_ptr<host::FaultPlan> faults)
      : DispatchObject("ListLevels", faults), owner_(std::move(owner)) {
    property("Count", [this](const Args&) { return Value(Count()); });
    method("Item", [this, faults](const Args& a) {
      int32_t index = host::arg(a, 0).as_int();
      if (index < 1 || index > Count()) NoSuchMember("list level " + std::to_string(index));
      return Value(host::ObjectPtr(std::make_shared<ListLevel>(LevelNode(owner_, index), faults)));
    });
  }

 private:
  int32_t Count() {
    Numbering& n = owner_->document().numbering();
    std::string lvl = n.q("lvl");
    auto levels = n.levels_of(owner_->node()).children(lvl.c_str());
    return static_cast<int32_t>(std::distance(levels.begin(), levels.end()));
  }
  std::shared_ptr<ListTemplate> owner_;
};

class ListTemplates : public host::DispatchObject {
 public:
  ListTemplates(std::shared_ptr<DocumentModel> doc, std::shared_ptr<host::FaultPlan> faults)
      : DispatchObject("ListTemplates", faults), doc_(std::move(doc)), faults_(std::move(faults)) {
    property("Count", [this](const Args&) { return Value(static_cast<int32_t>(Definitions().size())); });
    method("Item", [this](const Args& a) {
      const Value& index = host::arg(a, 0);
      const std::vector<pugi::xml_node>& all = Definitions();
      if (index.is_string()) {
        Numbering& n = doc_->numbering();
        for (pugi::xml_node d : all) {
          if (n.name_of(d) == index.as_string()) return Make(d);
        }
        NoSuchMember("list template \"" + index.as_string() + "\"");
      }
      int32_t i = index.as_int();
      if (i < 1 || static_cast<size_t>(i) > all.size()) NoSuchMember("list template " + std::to_string(i));
      return Make(all[static_cast<size_t>(i - 1)]);
    });
    method("Add", [this](const Args& a) {
      doc_->require_open();
      bool outline = host::has_arg(a, 0) && host::arg(a, 0).as_bool();
      Value lt = Make(doc_->numbering().add_abstract(outline));
      if (host::has_arg(a, 1)) lt.as_object()->put("Name", host::arg(a, 1));
      return lt;
    });
  }

 private:
  const std::vector<pugi::xml_node>& Definitions() {
    doc_->require_open();
    return doc_->numbering().abstracts();
  }
  Value Make(pugi::xml_node definition) {
    Numbering& n = doc_->numbering();
    std::string id = definition.attribute(n.q("abstractNumId").c_str()).value();
    return Value(host::ObjectPtr(std::make_shared<ListTemplate>(doc_, std::move(id), faults_, definition)));
  }

  std::shared_ptr<DocumentModel> doc_;
  std::shared_ptr<host::FaultPlan> faults_;
};

}  // namespace

host::ObjectPtr MakeListTemplates(std::shared_ptr<DocumentModel> doc, std::shared_ptr<host::FaultPlan> faults) {
  return std::make_shared<ListTemplates>(std::move(doc), std::move(faults));
}

host::ObjectPtr MakeListLevels(std::shared_ptr<ListTemplate> owner, std::shared_ptr<host::FaultPlan> faults) {
  return std::make_shared<ListLevels>(std::move(owner), std::move(faults));
}

}  // namespace tarnwell::engine
