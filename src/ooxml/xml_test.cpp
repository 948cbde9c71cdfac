#include "ooxml/xml.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "host/host_error.h"

namespace tarnwell::ooxml {
namespace {

std::string RoundTrip(const std::string& bytes) {
  pugi::xml_document doc;
  LoadXml(doc, bytes, "a.docx", "word/styles.xml");
  return SaveXml(doc);
}

host::HostError LoadError(const std::string& bytes, const std::string& file = "bad.docx",
                          const std::string& part = "word/styles.xml") {
  pugi::xml_document doc;
  try {
    LoadXml(doc, bytes, file, part);
  } catch (const host::HostError& e) {
    return e;
  }
  ADD_FAILURE() << "no error for: " << bytes;
  return host::HostError(0, "");
}

TEST(LoadSaveXml, UntouchedMarkupComesBackEditsPrintNormallyMalformedPartsAreNamedAndNamesResolve) {
  const std::vector<std::string> parts = {
      // Word's own layout: CR LF after the declaration, nothing else.
      "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
      "<w:styles xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\" "
      "xmlns:w14=\"http://schemas.microsoft.com/office/word/2010/wordml\" w14:unknownAttr=\"1\">"
      "<w:style w:type=\"paragraph\" w:styleId=\"A\"><w:name w:val=\"a &amp; b &lt;c\"/>"
      "<w14:futureThing w14:x=\"&quot;q&quot;\"><w14:inner/></w14:futureThing></w:style></w:styles>",
      // Other writers: single-quoted declaration, LF, indentation.
      "<?xml version='1.0' encoding='UTF-8' standalone='yes'?>\n<a>\n  <b x=\"1\"/>\n</a>\n",
      // Blank runs of text, comments, processing instructions, CDATA.
      "<?xml version=\"1.0\"?><w:p xmlns:w=\"u\"><w:r><w:t> </w:t><w:t xml:space=\"preserve\">  two </w:t>"
      "</w:r><!-- note --><?mso-thing keep?><![CDATA[<raw>]]></w:p>",
      // Explicit end tags of empty elements, a CR inside text, no declaration.
      "<Properties><Company></Company><Template>Normal.dotm</Template><x>line\r\nnext</x><e/></Properties>",
  };
  for (const auto& bytes : parts) EXPECT_EQ(RoundTrip(bytes), bytes);

  // A byte order mark is dropped and nothing else; UTF-16 is written as UTF-8 with a matching declaration.
  EXPECT_EQ(RoundTrip("\xEF\xBB\xBF<?xml version='1.0'?>\r\n<a><b><c></c></b><d></d></a>"),
            "<?xml version='1.0'?>\r\n<a><b><c></c></b><d></d></a>");
  std::string utf16 = "\xFF\xFE";
  for (unsigned char c : std::string("<?xml version=\"1.0\" encoding=\"UTF-16\"?><a>\xE9</a>")) {
    utf16 += static_cast<char>(c);
    utf16 += '\0';
  }
  EXPECT_EQ(RoundTrip(utf16), "<?xml version=\"1.0\" encoding=\"UTF-8\"?><a>\xC3\xA9</a>");

  pugi::xml_document doc;
  LoadXml(doc, "<?xml version='1.0'?>\n<a><b></b><t> </t></a>", "a.docx", "p.xml");
  EXPECT_STREQ(doc.document_element().child("t").text().get(), " ") << "blank text is kept as a child";
  doc.document_element().child("b").append_child("c").append_attribute("v").set_value("1");
  doc.document_element().append_child("d");
  EXPECT_EQ(SaveXml(doc), "<?xml version='1.0'?>\n<a><b><c v=\"1\"/></b><t> </t><d/></a>");
  EXPECT_STREQ(doc.document_element().name(), "a") << "the kept declaration is not mistaken for the root";
  pugi::xml_document built;
  built.append_child("root");
  EXPECT_EQ(SaveXml(built), "<root/>") << "no declaration is added";

  const std::vector<std::string> bad = {
      "<a><b></a>",            // mismatched end tag
      "<a><b><c/></b><d x=\"1\" x=\"2\"/></a>",  // duplicate attribute
      "",                      // nothing at all
      "   \r\n",               // blanks only
      "<a/><b/>",              // two roots
      "text<a/>",              // text outside the root
      "<a/>trailing",
      "<a>",  // unclosed
      "<!DOCTYPE a [<!ENTITY e \"x\">]><a>&e;</a>",  // a document type: its entities would be lost
  };
  for (const auto& bytes : bad) {
    host::HostError e = LoadError(bytes, "/tmp/In Folder/bad.docx", "word/numbering.xml");
    EXPECT_EQ(e.number(), host::kErrWordCannotOpenFile) << bytes;
    EXPECT_NE(e.description().find("/tmp/In Folder/bad.docx"), std::string::npos) << e.description();
    EXPECT_NE(e.description().find("word/numbering.xml"), std::string::npos) << e.description();
  }
  host::HostError e = LoadError("<a><b></c></a>");
  pugi::xml_document plain;
  pugi::xml_parse_result r = plain.load_string("<a><b></c></a>");
  ASSERT_FALSE(r);
  EXPECT_NE(e.description().find("byte " + std::to_string(r.offset)), std::string::npos) << e.description();

  const std::string utf16_doctype("\xFF\xFE<\0!\0D\0O\0C\0T\0Y\0P\0E\0 \0a\0>\0<\0a\0/\0>\0", 26);
  const std::pair<std::string, bool> cases[] = {
      {"<!DOCTYPE a><a/>", true},
      {"<?xml version=\"1.0\"?>\r\n<!-- note --> <!DOCTYPE a SYSTEM \"a.dtd\"><a/>", true},
      {"\xEF\xBB\xBF<!DOCTYPE a><a/>", true},
      {utf16_doctype, true},
      {"<a/>", false},
      {"<?xml version=\"1.0\"?><a><!-- <!DOCTYPE a> --></a>", false},
      {"<a>&lt;!DOCTYPE a&gt;</a>", false},
      {"<!-- unclosed", false},
  };
  for (const auto& [bytes, declares] : cases) EXPECT_EQ(DeclaresDocumentType(bytes), declares) << bytes;

  pugi::xml_document named;
  LoadXml(named,
          "<w:document xmlns=\"urn:default\" xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\" "
          "xmlns:x=\"urn:x\"/>",
          "a.docx", "word/document.xml");
  EXPECT_EQ(PrefixFor(named.document_element(), kWordNs, "q"), "w");
  EXPECT_EQ(PrefixFor(named, kWordNs, "q"), "w") << "the document stands for its root";
  EXPECT_EQ(PrefixFor(named.document_element(), "urn:default", "q"), "");
  EXPECT_EQ(PrefixFor(named.document_element(), "urn:absent", "w"), "w");
  EXPECT_EQ(PrefixFor(pugi::xml_node(), kWordNs, "w"), "w") << "a null node falls back";

  EXPECT_EQ(Q("w", "style"), "w:style");
  EXPECT_EQ(Q("", "style"), "style");
  EXPECT_EQ(LocalName("w:style"), "style");
  EXPECT_EQ(LocalName("style"), "style");
  EXPECT_EQ(LocalName("w14:a:b"), "a:b");
}

// A style's children in the schema's order.
const std::initializer_list<std::string_view> kStyleOrder = {
    "name",       "aliases",        "basedOn", "next",   "link",     "autoRedefine",    "hidden",        "uiPriority",
    "semiHidden", "unhideWhenUsed", "qFormat", "locked", "personal", "personalCompose", "personalReply", "rsid",
    "pPr",        "rPr",            "tblPr",   "trPr",   "tcPr",     "tblStylePr"};

std::string Children(pugi::xml_node parent) {
  std::string out;
  for (pugi::xml_node c : parent.children()) {
    // The empty text that keeps an end tag is no child to the schema.
    if (c.type() == pugi::node_pcdata && !*c.value()) continue;
    if (!out.empty()) out += ",";
    out += c.type() == pugi::node_element ? c.name() : "#" + std::string(c.value());
  }
  return out;
}

TEST(InsertOrdered, PlacesNewChildrenInSchemaOrder) {
  struct Case {
    const char* children;  // existing markup inside w:style
    const char* insert;
    const char* expected;
  };
  const Case cases[] = {
      {"<w:name/><w:next/>", "w:basedOn", "w:name,w:basedOn,w:next"},
      {"<w:name/><w:aliases/><w:next/>", "w:basedOn", "w:name,w:aliases,w:basedOn,w:next"},
      {"", "w:basedOn", "w:basedOn"},
      {"<w:pPr/><w:rPr/>", "w:name", "w:name,w:pPr,w:rPr"},
      {"<w:name/><w:rPr/>", "w:pPr", "w:name,w:pPr,w:rPr"},
      {"<w:name/><w:qFormat/>", "w:rPr", "w:name,w:qFormat,w:rPr"},
      // Same name again goes after the ones there.
      {"<w:name/><w:basedOn/><w:next/>", "w:basedOn", "w:name,w:basedOn,w:basedOn,w:next"},
      // Unknown children keep their places; the new one goes before the
      // first known later sibling.
      {"<w:name/><w14:foo/><w:rPr/>", "w:pPr", "w:name,w14:foo,w:pPr,w:rPr"},
      // With no later sibling, it goes right after the last earlier one,
      // ahead of trailing extensions.
      {"<w:name/><w:pPr/><w14:ext/>", "w:rPr", "w:name,w:pPr,w:rPr,w14:ext"},
      // Another prefix's child of the same local name is not counted.
      {"<w14:rPr/><w:name/>", "w:pPr", "w14:rPr,w:name,w:pPr"},
      // Only unknown children: the new one goes last.
      {"<w14:a/><w14:b/>", "w:name", "w14:a,w14:b,w:name"},
      // A name outside the order goes last.
      {"<w:name/><w:rPr/>", "w:zzz", "w:name,w:rPr,w:zzz"},
      // Blanks between children stay where they were.
      {"<w:name/> <w:next/>", "w:basedOn", "w:name,# ,w:basedOn,w:next"},
  };
  for (const Case& c : cases) {
    pugi::xml_document doc;
    std::string markup = std::string("<w:style xmlns:w=\"u\" xmlns:w14=\"v\">") + c.children + "</w:style>";
    LoadXml(doc, markup, "t.docx", "word/styles.xml");
    pugi::xml_node added = InsertOrdered(doc.document_element(), c.insert, kStyleOrder);
    EXPECT_STREQ(added.name(), c.insert);
    EXPECT_EQ(Children(doc.document_element()), c.expected) << "inserting " << c.insert << " into " << c.children;
  }

  // Unprefixed names order among unprefixed children; an element written with an end tag takes children.
  for (const auto& [markup, name, expected] :
       {std::tuple{"<r><a/><c/></r>", "b", "<r><a/><b/><c/></r>"},
        std::tuple{"<w:rPr xmlns:w=\"u\"></w:rPr>", "w:b", "<w:rPr xmlns:w=\"u\"><w:b/></w:rPr>"}}) {
    pugi::xml_document doc;
    LoadXml(doc, markup, "t.docx", "p.xml");
    InsertOrdered(doc.document_element(), name, {"a", "b", "c"});
    EXPECT_EQ(SaveXml(doc), expected);
  }
}

}  // namespace
}  // namespace tarnwell::ooxml
