#include "transfer/property_readback.h"

#include <cstdio>

#include "host/collection.h"
#include "transfer/property_lists.h"

namespace tarnwell::transfer {

namespace {

class Reader {
 public:
  explicit Reader(PropertyValues& out) : out_(out) {}

  void Props(const host::ObjectPtr& o, const std::string& path, std::span<const std::string_view> names) {
    for (auto name : names) out_.emplace_back(path + std::string(name), ValueText(o->get(name)));
  }
  host::ObjectPtr Sub(const host::ObjectPtr& o, std::string_view member, const host::Args& args = {}) {
    return o->get(member, args).as_object();
  }
  void Tabs(const host::ObjectPtr& format, const std::string& path, bool custom_only) {
    int32_t i = 0;
    for (const auto& stop : host::items(*Sub(format, "TabStops"))) {
      if (custom_only && !stop->get("CustomTab").as_bool()) continue;
      out_.emplace_back(path + "TabStops(" + std::to_string(++i) + ")",
                        ValueText(stop->get("Position")) + " " + ValueText(stop->get("Alignment")) + " " +
                            ValueText(stop->get("Leader")));
    }
    out_.emplace_back(path + "TabStops.Count", std::to_string(i));
  }
  void Sides(const host::ObjectPtr& borders, const std::string& path, std::span<const int32_t> sides,
             std::span<const std::string_view> names) {
    for (int32_t side : sides) {
      Props(Sub(borders, "Item", {side}), path + "Borders(" + std::to_string(side) + ").", names);
    }
  }
  // The paragraph format's properties, tab stops, shading and borders as a
  // paragraph transfer copies them.
  void ParagraphFormat(const host::ObjectPtr& style, Profile profile) {
    auto format = Sub(style, "ParagraphFormat");
    if (profile == Profile::WordXP) {
      Props(format, "ParagraphFormat.", kParagraphOrderXP);
    } else {
      Props(format, "ParagraphFormat.", kParagraphOrder00Head);
      Props(format, "ParagraphFormat.", kParagraphOrder00Tail);
    }
    Tabs(format, "ParagraphFormat.", true);
    Props(Sub(format, "Shading"), "ParagraphFormat.Shading.", kShadingIndexProps);
    auto borders = Sub(format, "Borders");
    Sides(borders, "ParagraphFormat.", kParagraphSides, kBorderProps);
    Props(borders, "ParagraphFormat.Borders.", kBordersProps);
  }
  // A table style's, or one of its areas', font and paragraph format.
  void TableText(const host::ObjectPtr& o, const std::string& path) {
    Props(Sub(o, "Font"), path + "Font.", kFontOrderA);
    auto format = Sub(o, "ParagraphFormat");
    Props(format, path + "ParagraphFormat.", kParagraphOrderXP);
    Tabs(format, path + "ParagraphFormat.", false);
  }

 private:
  PropertyValues& out_;
};

}  // namespace

std::string ValueText(const host::Value& v) {
  if (v.kind() == host::Value::Kind::Double) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%g", v.as_double());
    return buf;
  }
  if (v.is_empty() || v.is_null()) return "";
  return v.as_string();
}

PropertyValues TransferredProperties(const host::Style& style, host::StyleType type, Profile profile) {
  PropertyValues out;
  Reader r(out);
  const host::ObjectPtr& s = style.obj();
  const bool xp = profile == Profile::WordXP;
  switch (type) {
    case host::StyleType::Paragraph:
      r.Props(s, "", std::array<std::string_view, 1>{"AutomaticallyUpdate"});
      r.Props(r.Sub(s, "Font"), "Font.", xp ? std::span<const std::string_view>(kFontOrderA)
                                              : std::span<const std::string_view>(kFontOrderC));
      if (xp) r.Props(s, "", std::array<std::string_view, 1>{"NoSpaceBetweenParagraphsOfSameStyle"});
      r.ParagraphFormat(s, profile);
      r.Props(s, "", std::array<std::string_view, 2>{"LanguageID", "NoProofing"});
      break;
    case host::StyleType::Character: {
      auto font = r.Sub(s, "Font");
      r.Props(font, "Font.", xp ? std::span<const std::string_view>(kFontOrderB)
                                : std::span<const std::string_view>(kFontOrderC));
      r.Props(r.Sub(font, "Shading"), "Font.Shading.", kShadingIndexProps);
      auto borders = r.Sub(font, "Borders");
      auto border = r.Sub(borders, "Item", {1});
      // The width travels only with a line.
      bool line = border->get("LineStyle").as_int() != 0;
      r.Props(border, "Font.Borders(1).",
              line ? std::span<const std::string_view>(kBorderProps)
                   : std::span<const std::string_view>(std::array<std::string_view, 2>{"LineStyle", "Color"}));
      r.Props(borders, "Font.Borders.", kBordersShadow);
      r.Props(s, "", std::array<std::string_view, 1>{"LanguageID"});
      break;
    }
    case host::StyleType::List:
      r.Props(r.Sub(s, "Font"), "Font.", kFontOrderA);
      break;
    case host::StyleType::Table: {
      r.TableText(s, "");
      r.Props(s, "", std::array<std::string_view, 1>{"NoSpaceBetweenParagraphsOfSameStyle"});
      auto table = r.Sub(s, "Table");
      r.Props(table, "Table.", kTableProps);
      r.Props(r.Sub(table, "Shading"), "Table.Shading.", kShadingColorProps);
      auto borders = r.Sub(table, "Borders");
      r.Sides(borders, "Table.", kTableSides, kBorderLineStyle);
      r.Props(borders, "Table.Borders.", kBordersShadow);
      for (int32_t code : kConditionOrder) {
        auto area = r.Sub(table, "Condition", {code});
        std::string path = "Table.Condition(" + std::to_string(code) + ").";
        r.Props(area, path, kPaddingProps);
        r.Props(r.Sub(area, "Shading"), path + "Shading.", kShadingColorProps);
        auto area_borders = r.Sub(area, "Borders");
        r.Sides(area_borders, path, kConditionSides, kBorderLineStyle);
        r.Props(area_borders, path + "Borders.", kBordersShadow);
        r.TableText(area, path);
      }
      break;
    }
  }
  return out;
}

}  // namespace tarnwell::transfer
