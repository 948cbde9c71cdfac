// A blank document or template as Word starts one.

#include "engine/builtin_styles.h"
#include "engine/document_model.h"
#include "engine/engine.h"

namespace tarnwell::engine {

namespace {

constexpr const char* kDecl = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n";
constexpr const char* kW = "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"";

std::string ContentTypes(const std::string& main_type) {
  return std::string(kDecl) +
         "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
         "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
         "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
         "<Override PartName=\"/word/document.xml\" ContentType=\"" +
         main_type +
         "\"/>"
         "<Override PartName=\"/word/styles.xml\" ContentType=\"" +
         kCtStyles +
         "\"/>"
         "<Override PartName=\"/word/settings.xml\" "
         "ContentType=\"application/vnd.openxmlformats-officedocument.wordprocessingml.settings+xml\"/>"
         "</Types>";
}

std::string PackageRels() {
  return std::string(kDecl) +
         "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
         "<Relationship Id=\"rId1\" "
         "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" "
         "Target=\"word/document.xml\"/></Relationships>";
}

std::string DocumentRels() {
  return std::string(kDecl) +
         "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
         "<Relationship Id=\"rId1\" Type=\"" +
         kRelStyles +
         "\" Target=\"styles.xml\"/>"
         "<Relationship Id=\"rId2\" "
         "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/settings\" "
         "Target=\"settings.xml\"/></Relationships>";
}

std::string DocumentXml() {
  return std::string(kDecl) + "<w:document " + kW +
         "><w:body><w:p/><w:sectPr><w:pgSz w:w=\"12240\" w:h=\"15840\"/>"
         "<w:pgMar w:top=\"1440\" w:right=\"1440\" w:bottom=\"1440\" w:left=\"1440\" w:header=\"720\" "
         "w:footer=\"720\" w:gutter=\"0\"/><w:cols w:space=\"720\"/></w:sectPr></w:body></w:document>";
}

std::string StylesXml() {
  std::string x = std::string(kDecl) + "<w:styles " + kW +
                  "><w:docDefaults><w:rPrDefault><w:rPr>"
                  "<w:rFonts w:ascii=\"Calibri\" w:eastAsia=\"Calibri\" w:hAnsi=\"Calibri\" "
                  "w:cs=\"Times New Roman\"/><w:sz w:val=\"22\"/><w:szCs w:val=\"22\"/>"
                  "<w:lang w:val=\"en-US\" w:eastAsia=\"en-US\" w:bidi=\"ar-SA\"/></w:rPr></w:rPrDefault>"
                  "<w:pPrDefault><w:pPr><w:spacing w:after=\"200\" w:line=\"276\" w:lineRule=\"auto\"/>"
                  "</w:pPr></w:pPrDefault></w:docDefaults>";
  x += LatentStylesXml();
  for (const char* name : {"Normal", "Default Paragraph Font", "Normal Table", "No List"}) {
    const BuiltinStyle& b = *FindBuiltin(name);
    x += BuiltinStyleXml(b, b.id, "", "");
  }
  return x + "</w:styles>";
}

std::string SettingsXml() {
  return std::string(kDecl) + "<w:settings " + kW +
         "><w:defaultTabStop w:val=\"720\"/><w:characterSpacingControl w:val=\"doNotCompress\"/>"
         "<w:compat/></w:settings>";
}

}  // namespace

ooxml::Package BlankPackage(const std::string& file_name) {
  auto pkg = ooxml::Package::Empty();
  std::string main_type = MainContentTypeFor(file_name);
  pkg.Set("[Content_Types].xml", ContentTypes(main_type));
  pkg.Set("_rels/.rels", PackageRels());
  pkg.Set("word/document.xml", DocumentXml());
  pkg.Set("word/_rels/document.xml.rels", DocumentRels());
  pkg.Set("word/styles.xml", StylesXml());
  pkg.Set("word/settings.xml", SettingsXml());
  return pkg;
}

void WriteBlankDocument(const std::string& path) { BlankPackage(path).Save(path); }

}  // namespace tarnwell::engine
