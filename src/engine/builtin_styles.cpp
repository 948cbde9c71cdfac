#include "engine/builtin_styles.h"

#include <algorithm>
#include <cctype>
#include <unordered_map>

namespace tarnwell::engine {

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = FoldAscii(c);
  return out;
}

std::string IdFromName(std::string_view name) {
  std::string id;
  for (char ch : name) {
    auto c = static_cast<unsigned char>(ch);
    if (std::isalnum(c) || c == '-' || c == '_' || c >= 0x80) id += ch;
  }
  return id.empty() ? "Style" : id;
}

namespace {

using K = StyleKind;

struct Builder {
  std::vector<BuiltinStyle> out;
  // References handed out by add() must survive later additions.
  Builder() { out.reserve(512); }

  BuiltinStyle& add(std::string file, K kind, std::string ui = "") {
    BuiltinStyle s;
    s.file_name = std::move(file);
    s.ui_name = ui.empty() ? s.file_name : std::move(ui);
    s.id = IdFromName(s.ui_name);
    s.kind = kind;
    switch (kind) {
      case K::Paragraph:
        if (s.file_name != "Normal") s.based_on = "Normal";
        break;
      case K::Character:
        if (s.file_name != "Default Paragraph Font") s.based_on = "Default Paragraph Font";
        break;
      case K::Table:
        if (s.file_name != "Normal Table") s.based_on = "Normal Table";
        break;
      case K::List:
        break;
    }
    out.push_back(std::move(s));
    return out.back();
  }
  // Word's "hidden until used" styles of the default template.
  static BuiltinStyle& quiet(BuiltinStyle& s, int priority = 99) {
    s.ui_priority = priority;
    s.semi_hidden = true;
    s.unhide_when_used = true;
    return s;
  }
};

std::string Spacing(int before, int after, int line = 240) {
  std::string s = "<w:spacing";
  if (before >= 0) s += " w:before=\"" + std::to_string(before) + "\"";
  if (after >= 0) s += " w:after=\"" + std::to_string(after) + "\"";
  if (line > 0) s += " w:line=\"" + std::to_string(line) + "\" w:lineRule=\"auto\"";
  return s + "/>";
}
std::string Ind(int left, int hanging = 0, int first = 0, int right = 0) {
  std::string s = "<w:ind w:left=\"" + std::to_string(left) + "\"";
  if (right) s += " w:right=\"" + std::to_string(right) + "\"";
  if (hanging) s += " w:hanging=\"" + std::to_string(hanging) + "\"";
  if (first) s += " w:firstLine=\"" + std::to_string(first) + "\"";
  return s + "/>";
}
std::string Size(int half_points) {
  auto v = std::to_string(half_points);
  return "<w:sz w:val=\"" + v + "\"/><w:szCs w:val=\"" + v + "\"/>";
}
std::string Color(const char* rgb) { return std::string("<w:color w:val=\"") + rgb + "\"/>"; }
std::string Font(const char* name) {
  std::string n(name);
  return "<w:rFonts w:ascii=\"" + n + "\" w:hAnsi=\"" + n + "\" w:cs=\"" + n + "\"/>";
}
const char* kBold = "<w:b/><w:bCs/>";
const char* kItalic = "<w:i/><w:iCs/>";
const char* kHeadingFont = "<w:rFonts w:ascii=\"Cambria\" w:hAnsi=\"Cambria\" w:eastAsia=\"Times New Roman\" w:cs=\"Times New Roman\"/>";
const char* kCellMargins =
    "<w:tblInd w:w=\"0\" w:type=\"dxa\"/><w:tblCellMar><w:top w:w=\"0\" w:type=\"dxa\"/>"
    "<w:left w:w=\"108\" w:type=\"dxa\"/><w:bottom w:w=\"0\" w:type=\"dxa\"/>"
    "<w:right w:w=\"108\" w:type=\"dxa\"/></w:tblCellMar>";

std::string Borders(const char* sides, int eighths, const char* color, const char* tag = "w:tblBorders") {
  std::string s = std::string("<") + tag + ">";
  std::string list(sides);
  size_t start = 0;
  while (start < list.size()) {
    size_t end = list.find(',', start);
    if (end == std::string::npos) end = list.size();
    s += "<w:" + list.substr(start, end - start) + " w:val=\"single\" w:sz=\"" + std::to_string(eighths) +
         "\" w:space=\"0\" w:color=\"" + color + "\"/>";
    start = end + 1;
  }
  return s + "</" + tag + ">";
}

std::vector<BuiltinStyle> MakeTable() {
  Builder b;
  // 0: Normal, then Word's numbered built-ins in their enumeration order.
  auto& normal = b.add("Normal", K::Paragraph);
  normal.ui_priority = 0;
  normal.q_format = true;
  normal.is_default = true;

  static const char* kHeadingColor[9] = {"365F91", "4F81BD", "4F81BD", "4F81BD", "243F60",
                                         "243F60", "404040", "404040", "404040"};
  for (int n = 1; n <= 9; ++n) {
    auto& s = b.add("heading " + std::to_string(n), K::Paragraph, "Heading " + std::to_string(n));
    s.next = "Normal";
    s.ui_priority = 9;
    s.q_format = true;
    if (n > 1) s.semi_hidden = s.unhide_when_used = true;
    s.ppr = "<w:keepNext/><w:keepLines/>" + Spacing(n == 1 ? 480 : 200, 0, 0) + "<w:outlineLvl w:val=\"" +
            std::to_string(n - 1) + "\"/>";
    s.rpr = kHeadingFont;
    if (n <= 4) s.rpr += kBold;
    if (n == 4 || n == 6 || n == 7 || n == 9) s.rpr += kItalic;
    s.rpr += Color(kHeadingColor[n - 1]);
    if (n == 1) s.rpr += Size(28);
    if (n == 2) s.rpr += Size(26);
    if (n >= 8) s.rpr += Size(20);
  }
  for (int n = 1; n <= 9; ++n) {
    auto& s = Builder::quiet(b.add("index " + std::to_string(n), K::Paragraph, "Index " + std::to_string(n)));
    s.next = "Normal";
    s.ppr = Spacing(-1, 0) + Ind(220 * n, 220);
  }
  for (int n = 1; n <= 9; ++n) {
    auto& s = Builder::quiet(b.add("toc " + std::to_string(n), K::Paragraph, "TOC " + std::to_string(n)), 39);
    s.next = "Normal";
    s.ppr = Spacing(-1, 100, 0) + (n > 1 ? Ind(220 * (n - 1)) : "");
  }
  Builder::quiet(b.add("Normal Indent", K::Paragraph)).ppr = Ind(720);
  {
    auto& s = Builder::quiet(b.add("footnote text", K::Paragraph, "Footnote Text"));
    s.ppr = Spacing(-1, 0);
    s.rpr = Size(20);
  }
  Builder::quiet(b.add("annotation text", K::Paragraph, "Comment Text")).rpr = Size(20);
  const std::string header_tabs =
      "<w:tabs><w:tab w:val=\"center\" w:pos=\"4680\"/><w:tab w:val=\"right\" w:pos=\"9360\"/></w:tabs>";
  Builder::quiet(b.add("header", K::Paragraph, "Header")).ppr = header_tabs + Spacing(-1, 0);
  Builder::quiet(b.add("footer", K::Paragraph, "Footer")).ppr = header_tabs + Spacing(-1, 0);
  {
    auto& s = Builder::quiet(b.add("index heading", K::Paragraph, "Index Heading"));
    s.next = "index 1";
    s.rpr = std::string(kHeadingFont) + kBold;
  }
  {
    auto& s = Builder::quiet(b.add("caption", K::Paragraph, "Caption"), 35);
    s.next = "Normal";
    s.q_format = true;
    s.ppr = Spacing(-1, -1);
    s.rpr = std::string(kBold) + Color("4F81BD") + Size(18);
  }
  Builder::quiet(b.add("table of figures", K::Paragraph, "Table of Figures")).next = "Normal";
  {
    auto& s = Builder::quiet(b.add("envelope address", K::Paragraph, "Envelope Address"));
    s.ppr = "<w:framePr w:w=\"7920\" w:h=\"1980\" w:hRule=\"exact\" w:hSpace=\"180\" w:wrap=\"auto\" "
            "w:hAnchor=\"page\" w:xAlign=\"center\" w:yAlign=\"bottom\"/>" +
            Spacing(-1, 0) + Ind(2880);
    s.rpr = std::string(kHeadingFont) + Size(24);
  }
  {
    auto& s = Builder::quiet(b.add("envelope return", K::Paragraph, "Envelope Return"));
    s.ppr = Spacing(-1, 0);
    s.rpr = std::string(kHeadingFont) + Size(20);
  }
  Builder::quiet(b.add("footnote reference", K::Character, "Footnote Reference")).rpr =
      "<w:vertAlign w:val=\"superscript\"/>";
  Builder::quiet(b.add("annotation reference", K::Character, "Comment Reference")).rpr = Size(16);
  Builder::quiet(b.add("line number", K::Character, "Line Number"));
  Builder::quiet(b.add("page number", K::Character, "Page Number"));
  Builder::quiet(b.add("endnote reference", K::Character, "Endnote Reference")).rpr =
      "<w:vertAlign w:val=\"superscript\"/>";
  {
    auto& s = Builder::quiet(b.add("endnote text", K::Paragraph, "Endnote Text"));
    s.ppr = Spacing(-1, 0);
    s.rpr = Size(20);
  }
  {
    auto& s = Builder::quiet(b.add("table of authorities", K::Paragraph, "Table of Authorities"));
    s.next = "Normal";
    s.ppr = Spacing(-1, 0) + Ind(220, 220);
  }
  {
    auto& s = Builder::quiet(b.add("macro", K::Paragraph, "Macro Text"));
    s.based_on = "";
    s.ppr =
        "<w:tabs><w:tab w:val=\"left\" w:pos=\"480\"/><w:tab w:val=\"left\" w:pos=\"960\"/>"
        "<w:tab w:val=\"left\" w:pos=\"1440\"/><w:tab w:val=\"left\" w:pos=\"1920\"/>"
        "<w:tab w:val=\"left\" w:pos=\"2400\"/><w:tab w:val=\"left\" w:pos=\"2880\"/>"
        "<w:tab w:val=\"left\" w:pos=\"3360\"/><w:tab w:val=\"left\" w:pos=\"3840\"/>"
        "<w:tab w:val=\"left\" w:pos=\"4320\"/></w:tabs>" +
        Spacing(-1, 0);
    s.rpr = Font("Courier New") + Size(20);
  }
  {
    auto& s = Builder::quiet(b.add("toa heading", K::Paragraph, "TOA Heading"));
    s.next = "Normal";
    s.ppr = Spacing(120, -1, 0);
    s.rpr = std::string(kHeadingFont) + kBold + Size(24);
  }
  // List (47), List Bullet, List Number, List 2..5, List Bullet 2..5, List Number 2..5.
  auto list = [&](const std::string& name, int level) {
    auto& s = Builder::quiet(b.add(name, K::Paragraph));
    s.ppr = Ind(360 * level, 360) + "<w:contextualSpacing/>";
  };
  list("List", 1);
  list("List Bullet", 1);
  list("List Number", 1);
  for (const char* family : {"List", "List Bullet", "List Number"}) {
    for (int n = 2; n <= 5; ++n) list(std::string(family) + " " + std::to_string(n), n);
  }
  {
    auto& s = b.add("Title", K::Paragraph);
    s.next = "Normal";
    s.ui_priority = 10;
    s.q_format = true;
    s.ppr = Borders("bottom", 8, "4F81BD", "w:pBdr") + Spacing(-1, 300) + "<w:contextualSpacing/>";
    s.rpr = std::string(kHeadingFont) + Color("17365D") +
            "<w:spacing w:val=\"5\"/><w:kern w:val=\"28\"/>" + Size(52);
  }
  Builder::quiet(b.add("Closing", K::Paragraph)).ppr = Spacing(-1, 0) + Ind(4320);
  Builder::quiet(b.add("Signature", K::Paragraph)).ppr = Spacing(-1, 0) + Ind(4320);
  {
    auto& s = Builder::quiet(b.add("Default Paragraph Font", K::Character), 1);
    s.is_default = true;
  }
  Builder::quiet(b.add("Body Text", K::Paragraph)).ppr = Spacing(-1, 120, 0);
  Builder::quiet(b.add("Body Text Indent", K::Paragraph)).ppr = Spacing(-1, 120, 0) + Ind(360);
  Builder::quiet(b.add("List Continue", K::Paragraph)).ppr = Spacing(-1, 120, 0) + Ind(360) + "<w:contextualSpacing/>";
  for (int n = 2; n <= 5; ++n) {
    Builder::quiet(b.add("List Continue " + std::to_string(n), K::Paragraph)).ppr =
        Spacing(-1, 120, 0) + Ind(360 * n) + "<w:contextualSpacing/>";
  }
  {
    auto& s = Builder::quiet(b.add("Message Header", K::Paragraph));
    s.ppr = Borders("top,left,bottom,right", 6, "auto", "w:pBdr") +
            "<w:shd w:val=\"pct20\" w:color=\"auto\" w:fill=\"auto\"/>" + Spacing(-1, 0) + Ind(1080, 1080);
    s.rpr = std::string(kHeadingFont) + Size(24);
  }
  {
    auto& s = b.add("Subtitle", K::Paragraph);
    s.next = "Normal";
    s.ui_priority = 11;
    s.q_format = true;
    s.rpr = std::string(kHeadingFont) + kItalic + Color("4F81BD") + "<w:spacing w:val=\"15\"/>" + Size(24);
  }
  Builder::quiet(b.add("Salutation", K::Paragraph)).next = "Normal";
  Builder::quiet(b.add("Date", K::Paragraph)).next = "Normal";
  {
    auto& s = Builder::quiet(b.add("Body Text First Indent", K::Paragraph));
    s.based_on = "Body Text";
    s.ppr = Spacing(-1, 200) + Ind(0, 0, 360);
  }
  {
    auto& s = Builder::quiet(b.add("Body Text First Indent 2", K::Paragraph));
    s.based_on = "Body Text Indent";
    s.ppr = Spacing(-1, 200) + Ind(360, 0, 360);
  }
  {
    auto& s = Builder::quiet(b.add("Note Heading", K::Paragraph));
    s.next = "Normal";
    s.ppr = Spacing(-1, 0);
  }
  Builder::quiet(b.add("Body Text 2", K::Paragraph)).ppr = Spacing(-1, 120, 480);
  {
    auto& s = Builder::quiet(b.add("Body Text 3", K::Paragraph));
    s.ppr = Spacing(-1, 120, 0);
    s.rpr = Size(16);
  }
  Builder::quiet(b.add("Body Text Indent 2", K::Paragraph)).ppr = Spacing(-1, 120, 480) + Ind(360);
  {
    auto& s = Builder::quiet(b.add("Body Text Indent 3", K::Paragraph));
    s.ppr = Spacing(-1, 120, 0) + Ind(360);
    s.rpr = Size(16);
  }
  {
    auto& s = Builder::quiet(b.add("Block Text", K::Paragraph));
    s.ppr = Borders("top,left,bottom,right", 2, "4F81BD", "w:pBdr") +
            "<w:shd w:val=\"clear\" w:color=\"auto\" w:fill=\"4F81BD\"/>" + Ind(1152, 0, 0, 1152);
    s.rpr = std::string(kItalic) + Color("FFFFFF");
  }
  Builder::quiet(b.add("Hyperlink", K::Character)).rpr = Color("0000FF") + "<w:u w:val=\"single\"/>";
  Builder::quiet(b.add("FollowedHyperlink", K::Character)).rpr = Color("800080") + "<w:u w:val=\"single\"/>";
  {
    auto& s = b.add("Strong", K::Character);
    s.ui_priority = 22;
    s.q_format = true;
    s.rpr = kBold;
  }
  {
    auto& s = b.add("Emphasis", K::Character);
    s.ui_priority = 20;
    s.q_format = true;
    s.rpr = kItalic;
  }
  {
    auto& s = Builder::quiet(b.add("Document Map", K::Paragraph));
    s.ppr = "<w:shd w:val=\"clear\" w:color=\"auto\" w:fill=\"000080\"/>";
    s.rpr = Font("Tahoma") + Size(16);
  }
  {
    auto& s = Builder::quiet(b.add("Plain Text", K::Paragraph));
    s.ppr = Spacing(-1, 0);
    s.rpr = Font("Courier New") + Size(21);
  }
  Builder::quiet(b.add("E-mail Signature", K::Paragraph)).ppr = Spacing(-1, 0);
  {
    auto& s = Builder::quiet(b.add("HTML Top of Form", K::Paragraph, "z-Top of Form"));
    s.next = "Normal";
    s.ppr = Borders("bottom", 6, "auto", "w:pBdr") + Spacing(-1, 0) + "<w:jc w:val=\"center\"/>";
    s.rpr = Font("Arial") + "<w:vanish/>" + Size(16);
  }
  {
    auto& s = Builder::quiet(b.add("HTML Bottom of Form", K::Paragraph, "z-Bottom of Form"));
    s.next = "Normal";
    s.ppr = Borders("top", 6, "auto", "w:pBdr") + Spacing(-1, 0) + "<w:jc w:val=\"center\"/>";
    s.rpr = Font("Arial") + "<w:vanish/>" + Size(16);
  }
  {
    auto& s = Builder::quiet(b.add("Normal (Web)", K::Paragraph));
    s.ppr = "<w:spacing w:before=\"100\" w:beforeAutospacing=\"1\" w:after=\"100\" w:afterAutospacing=\"1\" "
            "w:line=\"240\" w:lineRule=\"auto\"/>";
    s.rpr = Font("Times New Roman") + Size(24);
  }
  Builder::quiet(b.add("HTML Acronym", K::Character));
  {
    auto& s = Builder::quiet(b.add("HTML Address", K::Paragraph));
    s.ppr = Spacing(-1, 0);
    s.rpr = kItalic;
  }
  Builder::quiet(b.add("HTML Cite", K::Character)).rpr = kItalic;
  Builder::quiet(b.add("HTML Code", K::Character)).rpr = Font("Courier New") + Size(20);
  Builder::quiet(b.add("HTML Definition", K::Character)).rpr = kItalic;
  Builder::quiet(b.add("HTML Keyboard", K::Character)).rpr = Font("Courier New") + Size(20);
  {
    auto& s = Builder::quiet(b.add("HTML Preformatted", K::Paragraph));
    s.ppr = Spacing(-1, 0);
    s.rpr = Font("Courier New") + Size(20);
  }
  Builder::quiet(b.add("HTML Sample", K::Character)).rpr = Font("Courier New");
  Builder::quiet(b.add("HTML Typewriter", K::Character)).rpr = Font("Courier New") + Size(20);
  Builder::quiet(b.add("HTML Variable", K::Character)).rpr = kItalic;
  {
    auto& s = Builder::quiet(b.add("Normal Table", K::Table, "Table Normal"));
    s.is_default = true;
    s.tblpr = kCellMargins;
  }
  // 106 onwards: unnumbered built-ins of Word 2002 to 2007.
  {
    auto& s = Builder::quiet(b.add("annotation subject", K::Paragraph, "Comment Subject"));
    s.based_on = "annotation text";
    s.next = "annotation text";
    s.rpr = kBold;
  }
  Builder::quiet(b.add("No List", K::List)).is_default = true;
  Builder::quiet(b.add("Outline List 1", K::List, "1 / a / i"));
  Builder::quiet(b.add("Outline List 2", K::List, "1 / 1.1 / 1.1.1"));
  Builder::quiet(b.add("Outline List 3", K::List, "Article / Section"));

  auto table = [&](const std::string& name, const std::string& tblpr) {
    Builder::quiet(b.add(name, K::Table)).tblpr = tblpr;
  };
  const std::string grid = Borders("top,left,bottom,right,insideH,insideV", 4, "auto");
  const std::string rows = Borders("top,bottom,insideH", 4, "auto");
  for (int n = 1; n <= 3; ++n) table("Table Simple " + std::to_string(n), rows);
  for (int n = 1; n <= 4; ++n) table("Table Classic " + std::to_string(n), rows);
  for (int n = 1; n <= 3; ++n) table("Table Colorful " + std::to_string(n), grid);
  for (int n = 1; n <= 5; ++n) table("Table Columns " + std::to_string(n), grid);
  for (int n = 1; n <= 8; ++n) table("Table Grid " + std::to_string(n), grid);
  for (int n = 1; n <= 8; ++n) table("Table List " + std::to_string(n), rows);
  for (int n = 1; n <= 3; ++n) table("Table 3D effects " + std::to_string(n), grid);
  for (const char* name : {"Table Contemporary", "Table Elegant", "Table Professional", "Table Subtle 1",
                           "Table Subtle 2", "Table Web 1", "Table Web 2", "Table Web 3"}) {
    table(name, grid);
  }
  {
    auto& s = Builder::quiet(b.add("Balloon Text", K::Paragraph));
    s.rpr = Font("Tahoma") + Size(16);
  }
  {
    auto& s = b.add("Table Grid", K::Table);
    s.ui_priority = 59;
    s.ppr = Spacing(-1, 0);
    s.tblpr = grid;
  }
  table("Table Theme", grid);
  {
    auto& s = b.add("Placeholder Text", K::Character);
    s.ui_priority = 99;
    s.semi_hidden = true;
    s.rpr = Color("808080");
  }
  {
    auto& s = b.add("No Spacing", K::Paragraph);
    s.ui_priority = 1;
    s.q_format = true;
    s.ppr = Spacing(-1, 0);
  }
  // Word 2007's table gallery: 14 designs, plain and for each accent colour;
  // Revision, List Paragraph and the quotes sit after the first accent's
  // Medium List 1, as in Word's own list.
  static const char* kDesigns[14] = {"Light Shading",     "Light List",        "Light Grid",
                                     "Medium Shading 1",  "Medium Shading 2",  "Medium List 1",
                                     "Medium List 2",     "Medium Grid 1",     "Medium Grid 2",
                                     "Medium Grid 3",     "Dark List",         "Colorful Shading",
                                     "Colorful List",     "Colorful Grid"};
  static const char* kAccent[7] = {"000000", "4F81BD", "C0504D", "9BBB59", "8064A2", "4BACC6", "F79646"};
  for (int accent = 0; accent <= 6; ++accent) {
    for (int d = 0; d < 14; ++d) {
      std::string name = kDesigns[d];
      std::string id = IdFromName(name);
      if (accent > 0) {
        name += " Accent " + std::to_string(accent);
        id += "-Accent" + std::to_string(accent);
      }
      auto& s = b.add(name, K::Table);
      s.id = id;
      s.ui_priority = 60 + d;
      s.ppr = Spacing(-1, 0);
      s.tblpr = "<w:tblStyleRowBandSize w:val=\"1\"/><w:tblStyleColBandSize w:val=\"1\"/>" +
                Borders(d < 3 ? "top,bottom" : "top,left,bottom,right,insideH", 8, kAccent[accent]);
      if (accent == 1 && d == 5) {
        auto& rev = b.add("Revision", K::Paragraph);
        rev.based_on = "";
        rev.semi_hidden = true;
        rev.ui_priority = 99;
        rev.ppr = Spacing(-1, 0);
        auto& lp = b.add("List Paragraph", K::Paragraph);
        lp.ui_priority = 34;
        lp.q_format = true;
        lp.ppr = Ind(720) + "<w:contextualSpacing/>";
        auto& q = b.add("Quote", K::Paragraph);
        q.next = "Normal";
        q.ui_priority = 29;
        q.q_format = true;
        q.rpr = std::string(kItalic) + Color("000000");
        auto& iq = b.add("Intense Quote", K::Paragraph);
        iq.next = "Normal";
        iq.ui_priority = 30;
        iq.q_format = true;
        iq.ppr = Borders("bottom", 4, "4F81BD", "w:pBdr") + Spacing(200, 280) + Ind(936, 0, 0, 936);
        iq.rpr = std::string(kBold) + kItalic + Color("4F81BD");
      }
    }
  }
  auto character = [&](const char* name, int priority, std::string rpr) {
    auto& s = b.add(name, K::Character);
    s.ui_priority = priority;
    s.q_format = true;
    s.rpr = std::move(rpr);
  };
  character("Subtle Emphasis", 19, std::string(kItalic) + Color("808080"));
  character("Intense Emphasis", 21, std::string(kBold) + kItalic + Color("4F81BD"));
  character("Subtle Reference", 31, "<w:smallCaps/>" + Color("C0504D") + "<w:u w:val=\"single\"/>");
  character("Intense Reference", 32,
            std::string(kBold) + "<w:smallCaps/>" + Color("C0504D") + "<w:spacing w:val=\"5\"/><w:u w:val=\"single\"/>");
  character("Book Title", 33, std::string(kBold) + "<w:smallCaps/><w:spacing w:val=\"5\"/>");
  {
    auto& s = Builder::quiet(b.add("Bibliography", K::Paragraph), 37);
    s.next = "Normal";
  }
  {
    auto& s = Builder::quiet(b.add("TOC Heading", K::Paragraph), 39);
    s.based_on = "heading 1";
    s.next = "Normal";
    s.q_format = true;
    s.ppr = "<w:outlineLvl w:val=\"9\"/>";
  }
  return std::move(b.out);
}

struct Index {
  std::unordered_map<std::string, const BuiltinStyle*, FoldedHash, FoldedEqual> by_lower;
  explicit Index(const std::vector<BuiltinStyle>& table) {
    for (const auto& s : table) {
      by_lower.emplace(s.file_name, &s);
      by_lower.emplace(s.ui_name, &s);
    }
  }
};

const Index& TheIndex() {
  static const Index index(BuiltinStyles());
  return index;
}

}  // namespace

const std::vector<BuiltinStyle>& BuiltinStyles() {
  static const std::vector<BuiltinStyle> table = MakeTable();
  return table;
}

const BuiltinStyle* FindBuiltin(std::string_view name) {
  const auto& map = TheIndex().by_lower;
  auto it = map.find(name);
  return it == map.end() ? nullptr : it->second;
}

const BuiltinStyle* BuiltinByNumber(int32_t number) {
  if (number > -1 || number < -106) return nullptr;
  return &BuiltinStyles()[static_cast<size_t>(-number - 1)];
}

std::string BuiltinStyleXml(const BuiltinStyle& b, const std::string& id, const std::string& based_on_id,
                            const std::string& next_id) {
  static const char* kTypes[] = {"", "paragraph", "character", "table", "numbering"};
  std::string x = "<w:style w:type=\"";
  x += kTypes[static_cast<int>(b.kind)];
  x += "\"";
  if (b.is_default) x += " w:default=\"1\"";
  x += " w:styleId=\"" + id + "\"><w:name w:val=\"" + b.file_name + "\"/>";
  if (!based_on_id.empty()) x += "<w:basedOn w:val=\"" + based_on_id + "\"/>";
  if (!next_id.empty()) x += "<w:next w:val=\"" + next_id + "\"/>";
  if (b.ui_priority >= 0) x += "<w:uiPriority w:val=\"" + std::to_string(b.ui_priority) + "\"/>";
  if (b.semi_hidden) x += "<w:semiHidden/>";
  if (b.unhide_when_used) x += "<w:unhideWhenUsed/>";
  if (b.q_format) x += "<w:qFormat/>";
  if (!b.ppr.empty()) x += "<w:pPr>" + b.ppr + "</w:pPr>";
  if (!b.rpr.empty()) x += "<w:rPr>" + b.rpr + "</w:rPr>";
  if (!b.tblpr.empty()) x += "<w:tblPr>" + b.tblpr + "</w:tblPr>";
  return x + "</w:style>";
}

std::string LatentStylesXml() {
  const auto& table = BuiltinStyles();
  // Defaults chosen so that most entries need no attributes of their own.
  std::string x =
      "<w:latentStyles w:defLockedState=\"0\" w:defUIPriority=\"99\" w:defSemiHidden=\"1\" "
      "w:defUnhideWhenUsed=\"1\" w:defQFormat=\"0\" w:count=\"" +
      std::to_string(table.size()) + "\">";
  for (const auto& b : table) {
    bool plain = b.ui_priority == 99 && b.semi_hidden && b.unhide_when_used && !b.q_format;
    if (plain) {
      x += "<w:lsdException w:name=\"" + b.file_name + "\"/>";
      continue;
    }
    x += "<w:lsdException w:name=\"" + b.file_name + "\"";
    if (!b.semi_hidden) x += " w:semiHidden=\"0\"";
    if (b.ui_priority != 99) x += " w:uiPriority=\"" + std::to_string(b.ui_priority < 0 ? 99 : b.ui_priority) + "\"";
    if (!b.unhide_when_used) x += " w:unhideWhenUsed=\"0\"";
    if (b.q_format) x += " w:qFormat=\"1\"";
    x += "/>";
  }
  return x + "</w:latentStyles>";
}

std::string_view ShownName(std::string_view stored_name, bool custom) {
  if (!custom) {
    if (const BuiltinStyle* b = FindBuiltin(stored_name)) return b->ui_name;
  }
  return stored_name;
}

std::string DisplayName(std::string_view stored_name, bool custom) { return std::string(ShownName(stored_name, custom)); }

}  // namespace tarnwell::engine
