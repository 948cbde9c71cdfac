#include "engine/style_format.h"

#include "engine/test_support.h"
#include "engine/word_units.h"
#include "host/collection.h"
#include "ooxml/xml.h"

namespace tarnwell::engine::testing {
namespace {

using host::Value;

constexpr const char* kStyles =
    "<w:docDefaults><w:rPrDefault><w:rPr><w:rFonts w:asciiTheme=\"minorHAnsi\" w:ascii=\"Arial\"/>"
    "<w:sz w:val=\"22\"/></w:rPr></w:rPrDefault><w:pPrDefault><w:pPr>"
    "<w:spacing w:after=\"200\" w:line=\"276\" w:lineRule=\"auto\"/></w:pPr></w:pPrDefault></w:docDefaults>"
    "<w:style w:type=\"paragraph\" w:styleId=\"Base\"><w:name w:val=\"Base\"/><w:pPr>"
    "<w:pBdr><w:top w:val=\"double\" w:sz=\"10\" w:space=\"4\" w:color=\"FF0000\" w:shadow=\"1\"/></w:pBdr>"
    "<w:shd w:val=\"pct25\" w:color=\"0000FF\" w:fill=\"D9D9D9\"/>"
    "<w:tabs><w:tab w:val=\"left\" w:pos=\"720\"/><w:tab w:val=\"num\" w:pos=\"360\"/></w:tabs>"
    "<w:ind w:left=\"1440\" w:hanging=\"360\"/><w:outlineLvl w:val=\"1\"/></w:pPr>"
    "<w:rPr><w:b/><w:color w:val=\"FF8000\"/><w:spacing w:val=\"-10\"/><w:position w:val=\"5\"/>"
    "<w:kern w:val=\"28\"/><w:u w:val=\"dotDash\" w:color=\"auto\"/><w:effect w:val=\"antsRed\"/>"
    "<w:vertAlign w:val=\"superscript\"/><w:lang w:val=\"de-DE\"/></w:rPr></w:style>"
    "<w:style w:type=\"paragraph\" w:styleId=\"Child\"><w:name w:val=\"Child\"/><w:basedOn w:val=\"Base\"/>"
    "<w:pPr><w:tabs><w:tab w:val=\"clear\" w:pos=\"720\"/><w:tab w:val=\"decimal\" w:leader=\"dot\" "
    "w:pos=\"2880\"/></w:tabs><w:suppressAutoHyphens/><w:spacing w:before=\"120\" w:line=\"360\" "
    "w:lineRule=\"auto\"/></w:pPr><w:rPr><w:b w:val=\"0\"/><w:sz w:val=\"21\"/></w:rPr></w:style>"
    "<w:style w:type=\"table\" w:styleId=\"Grid\"><w:name w:val=\"Grid\"/><w:tblPr><w:tblCellMar>"
    "<w:left w:w=\"108\" w:type=\"dxa\"/></w:tblCellMar><w:tblBorders><w:insideH w:val=\"single\" "
    "w:sz=\"4\"/></w:tblBorders></w:tblPr><w:rPr><w:rFonts w:asciiTheme=\"majorHAnsi\"/><w:i/></w:rPr></w:style>";

constexpr const char* kTheme =
    "<a:theme xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\"><a:themeElements>"
    "<a:fontScheme name=\"x\"><a:majorFont><a:latin typeface=\"Major Face\"/></a:majorFont>"
    "<a:minorFont><a:latin typeface=\"Minor Face\"/></a:minorFont></a:fontScheme></a:themeElements></a:theme>";

class StyleFormatTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    doc_ = Word().GetDocuments().Open(WriteWithStyles("f.docx", kStyles));
    Model().add_related_part("word/theme/theme1.xml",
                             "http://schemas.openxmlformats.org/officeDocument/2006/relationships/theme",
                             "application/vnd.openxmlformats-officedocument.theme+xml", kTheme);
  }
  DocumentModel& Model() { return std::dynamic_pointer_cast<Document>(doc_.obj())->model(); }
  host::ObjectPtr StyleObject(const std::string& name) { return doc_.GetStyles().Item(name).obj(); }

  // The object at a path such as "ParagraphFormat.Borders(-1)" below a style.
  host::ObjectPtr Walk(host::ObjectPtr o, std::string_view path) {
    while (!path.empty()) {
      auto dot = path.find('.');
      std::string_view step = path.substr(0, dot);
      path = dot == std::string_view::npos ? "" : path.substr(dot + 1);
      auto open = step.find('(');
      if (open == std::string_view::npos) {
        o = o->get(step).as_object();
      } else {
        const int32_t index = std::stoi(std::string(step.substr(open + 1)));
        o = o->get(step.substr(0, open), {index}).as_object();
      }
    }
    return o;
  }
  // Splits "Font.Size" into the object's path and the member.
  std::pair<host::ObjectPtr, std::string> Member(const std::string& style, const std::string& path) {
    auto dot = path.rfind('.');
    if (dot == std::string::npos) return {StyleObject(style), path};
    return {Walk(StyleObject(style), path.substr(0, dot)), path.substr(dot + 1)};
  }
  Value Get(const std::string& style, const std::string& path) {
    auto [o, m] = Member(style, path);
    return o->get(m);
  }
  void Put(const std::string& style, const std::string& path, const Value& v) {
    auto [o, m] = Member(style, path);
    o->put(m, v);
  }
  std::string StyleXml(const std::string& name) { return ooxml::NodeXml(Model().styles().find(name)); }

  host::Document doc_;
};

TEST_F(StyleFormatTest, ReadsAndWritesInWordsUnitsRaisesWordsErrorsAndAssignsTabStops) {
  struct Row {
    const char* style;
    const char* path;
    Value want;
  };
  const Row rows[] = {
      {"Child", "Font.Size", 10.5},  // half-points
      {"Base", "Font.Size", 11.0},   // from the document defaults
      {"Child", "Font.Name", "Minor Face"},  // the theme's font wins over ascii
      {"Grid", "Font.Name", "Major Face"},
      {"Child", "Font.Bold", 0},
      {"Base", "Font.Bold", -1},
      {"Child", "Font.Italic", 0},
      {"Child", "Font.Color", 0x0080FF},  // FF8000 as BGR, inherited
      {"Child", "Font.Underline", 9},
      {"Child", "Font.UnderlineColor", kColorAutomatic},
      {"Child", "Font.Spacing", -0.5},  // twentieths
      {"Child", "Font.Position", 2.5},
      {"Child", "Font.Kerning", 14.0},
      {"Child", "Font.Superscript", -1},
      {"Child", "Font.Subscript", 0},
      {"Child", "Font.Scaling", 100},
      {"Child", "Font.Animation", 5},
      {"Child", "LanguageID", 1031},
      {"Child", "ParagraphFormat.LeftIndent", 72.0},
      {"Child", "ParagraphFormat.FirstLineIndent", -18.0},
      {"Child", "ParagraphFormat.SpaceBefore", 6.0},
      {"Child", "ParagraphFormat.SpaceAfter", 10.0},
      {"Child", "ParagraphFormat.LineSpacingRule", 1},  // 360 auto: one and a half
      {"Base", "ParagraphFormat.LineSpacingRule", 5},   // 276 auto: multiple
      {"Base", "ParagraphFormat.LineSpacing", 13.8},
      {"Child", "ParagraphFormat.Hyphenation", 0},
      {"Base", "ParagraphFormat.Hyphenation", -1},
      {"Child", "ParagraphFormat.OutlineLevel", 2},
      {"Grid", "ParagraphFormat.OutlineLevel", 10},
      {"Child", "ParagraphFormat.TabStops.Count", 2},  // 720 cleared, 2880 added, the number tab kept
      {"Child", "ParagraphFormat.Borders(-1).LineStyle", 7},
      {"Child", "ParagraphFormat.Borders(-1).LineWidth", 8},  // eighths, 10 shown as the width below
      {"Child", "ParagraphFormat.Borders(-1).Color", 0x0000FF},
      {"Child", "ParagraphFormat.Borders(-2).LineStyle", 0},
      {"Child", "ParagraphFormat.Borders.DistanceFromTop", 4},
      {"Child", "ParagraphFormat.Borders.Shadow", -1},
      {"Child", "ParagraphFormat.Shading.Texture", 250},
      {"Child", "ParagraphFormat.Shading.ForegroundPatternColorIndex", 2},
      {"Child", "ParagraphFormat.Shading.BackgroundPatternColorIndex", host::kUndefined},  // off the palette
      {"Grid", "Table.LeftPadding", 5.4},
      {"Grid", "Table.RowStripe", 1},
      {"Grid", "Table.Borders(-5).LineStyle", 1},
      {"Grid", "Table.Condition(4).Font.Italic", -1},  // an area shows the table's own
      {"Grid", "Table.Condition(4).Borders(-5).LineStyle", 0},
  };
  for (const auto& r : rows) EXPECT_EQ(Get(r.style, r.path), r.want) << r.style << " " << r.path;
  auto stop = host::item(*Walk(StyleObject("Child"), "ParagraphFormat.TabStops"), 2);
  EXPECT_EQ(stop->get("Position"), Value(144.0));
  EXPECT_EQ(stop->get("Alignment"), Value(3));
  EXPECT_EQ(stop->get("Leader"), Value(1));
  EXPECT_EQ(host::item(*Walk(StyleObject("Child"), "ParagraphFormat.TabStops"), 1)->get("CustomTab"), Value(0));

  struct Write {
    const char* style;
    const char* path;
    Value value;
    const char* xml;  // what the style's own element then holds
  };
  const Write writes[] = {
      {"Child", "Font.Size", 12.5, "<w:sz w:val=\"25\"/>"},
      {"Child", "Font.Color", 0x0000FF, "<w:color w:val=\"FF0000\"/>"},
      {"Child", "Font.UnderlineColor", kColorAutomatic, "w:color=\"auto\""},
      {"Child", "Font.Underline", 6, "w:val=\"thick\""},
      {"Child", "Font.Name", "Garamond", "<w:rFonts w:ascii=\"Garamond\" w:hAnsi=\"Garamond\"/>"},
      {"Child", "Font.Bold", -1, "<w:b/>"},
      {"Child", "Font.Superscript", 0, "<w:vertAlign w:val=\"baseline\"/>"},
      {"Child", "ParagraphFormat.FirstLineIndent", 9.0, "<w:ind w:firstLine=\"180\"/>"},
      {"Child", "ParagraphFormat.LineSpacingRule", 4, "w:line=\"360\" w:lineRule=\"exact\""},
      {"Child", "ParagraphFormat.OutlineLevel", 10, "<w:outlineLvl w:val=\"9\"/>"},
      {"Child", "ParagraphFormat.Hyphenation", -1, "<w:suppressAutoHyphens w:val=\"0\"/>"},
      // A side the style inherits becomes its own, whole, before it changes.
      {"Child", "ParagraphFormat.Borders(-1).LineWidth", 12,
       "<w:top w:val=\"double\" w:sz=\"12\" w:space=\"4\" w:color=\"FF0000\" w:shadow=\"1\"/>"},
      {"Child", "ParagraphFormat.Borders(-2).Color", 0x00FF00, "<w:left w:val=\"none\" w:color=\"00FF00\"/>"},
      {"Child", "ParagraphFormat.Shading.BackgroundPatternColorIndex", 7, "w:fill=\"FFFF00\""},
      {"Child", "LanguageID", 2057, "<w:lang w:val=\"en-GB\"/>"},
      {"Grid", "Table.Spacing", 1.5, "<w:tblCellSpacing w:w=\"30\" w:type=\"dxa\"/>"},
      {"Grid", "Table.Condition(0).Shading.BackgroundPatternColor", 0x123456,
       "<w:tblStylePr w:type=\"firstRow\"><w:tcPr><w:shd w:val=\"clear\" w:fill=\"563412\"/>"},
      {"Grid", "Table.Condition(0).Borders(-6).LineStyle", 2, "<w:insideV w:val=\"dotted\"/>"},
  };
  for (const auto& r : writes) {
    Put(r.style, r.path, r.value);
    EXPECT_NE(StyleXml(r.style).find(r.xml), std::string::npos) << r.path << "\n" << StyleXml(r.style);
    EXPECT_EQ(Get(r.style, r.path), r.value) << r.path;
  }
  // Word's "mixed" handed back changes nothing.
  std::string before = StyleXml("Base");
  Put("Base", "Font.Italic", host::kUndefined);
  EXPECT_EQ(StyleXml("Base"), before);

  struct Refusal {
    const char* style;
    const char* path;
    Value value;  // empty: a read
    int32_t error;
  };
  const Refusal refusals[] = {
      {"Child", "ParagraphFormat.Borders(7).LineStyle", {}, host::kErrNoSuchCollectionMember},
      {"Grid", "Table.Condition(12).TopPadding", {}, host::kErrNoSuchCollectionMember},
      {"Child", "Table.Alignment", {}, host::kErrCommandFailed},
      {"Child", "Font.Size", 0.5, kErrValueOutOfRange},
      {"Child", "Font.Underline", 5, kErrValueOutOfRange},
      {"Child", "Font.Color", 0x1000000, kErrValueOutOfRange},
      {"Child", "ParagraphFormat.Borders(-1).LineWidth", 5, kErrValueOutOfRange},
      {"Child", "ParagraphFormat.OutlineLevel", 11, kErrValueOutOfRange},
      {"Child", "ParagraphFormat.Shading.ForegroundPatternColorIndex", 17, kErrValueOutOfRange},
      {"Child", "BaseStyle", "No Such Style", host::kErrNoSuchStyle},
  };
  for (const auto& r : refusals) {
    int32_t got = ErrorOf([&] { r.value.is_empty() ? (void)Get(r.style, r.path) : Put(r.style, r.path, r.value); });
    EXPECT_EQ(got, r.error) << r.path;
  }
  auto tabs = Walk(StyleObject("Child"), "ParagraphFormat.TabStops");
  EXPECT_EQ(ErrorOf([&] { tabs->call("Item", {3}); }), host::kErrNoSuchCollectionMember);
  EXPECT_EQ(ErrorOf([&] { tabs->call("Add", {72.0, 5}); }), kErrValueOutOfRange);

  tabs->call("ClearAll");
  EXPECT_EQ(host::count(*tabs), 0);  // inherited stops are cleared by name, so none shows
  tabs->call("Add", {90.0, 2, 3});
  tabs->call("Add", {18.0});
  tabs->call("Add", {90.0, 1});  // a stop at the same place replaces it
  EXPECT_NE(StyleXml("Child").find("<w:tab w:val=\"left\" w:pos=\"360\"/><w:tab w:val=\"clear\" w:pos=\"720\"/>"
                                   "<w:tab w:val=\"center\" w:pos=\"1800\"/>"),
            std::string::npos)
      << StyleXml("Child");

  // Assignment takes another document's stops, whoever serves them.
  auto other = Word().GetDocuments().Open(WriteWithStyles("g.docx", kStyles));
  auto to = Walk(other.GetStyles().Item("Base").obj(), "ParagraphFormat");
  to->put("TabStops", Value(tabs));
  auto copied = to->get("TabStops").as_object();
  ASSERT_EQ(host::count(*copied), 2);
  EXPECT_EQ(host::item(*copied, 2)->get("Alignment"), Value(1));

  EXPECT_EQ(ColorNumber("FF8000"), 0x0080FF);
  EXPECT_EQ(ColorNumber("auto"), kColorAutomatic);
  EXPECT_EQ(*ColorHex(0x0080FF), "FF8000");
  EXPECT_EQ(*ColorHex(kColorAutomatic), "auto");
  EXPECT_FALSE(ColorHex(-5));
  EXPECT_EQ(ColorIndexOf("C0C0C0"), 16);
  EXPECT_EQ(ColorIndexOf("auto"), 0);
  EXPECT_EQ(ColorIndexOf("123456"), host::kUndefined);
  EXPECT_EQ(LineWidthOf(1), 2);
  EXPECT_EQ(LineWidthOf(30), 24);
  EXPECT_EQ(LineWidthOf(96), 48);
  struct Spacing {
    const char *line, *rule;
    int32_t want_rule;
    double points;
  };
  for (const auto& s : {Spacing{"240", "auto", 0, 12}, Spacing{"480", "", 2, 24}, Spacing{"300", "exact", 4, 15},
                        Spacing{"250", "atLeast", 3, 12.5}, Spacing{"200", "auto", 5, 10}}) {
    LineSpacing got = LineSpacingOf(s.line, s.rule);
    EXPECT_EQ(got.rule, s.want_rule) << s.line << s.rule;
    EXPECT_DOUBLE_EQ(got.points, s.points) << s.line << s.rule;
    auto [line, rule] = LineSpacingXml(got.rule, got.points);
    EXPECT_EQ(LineSpacingOf(line, rule).rule, got.rule);
  }
}

}  // namespace
}  // namespace tarnwell::engine::testing
