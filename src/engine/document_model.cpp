#include "engine/document_model.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "engine/body.h"
#include "engine/numbering.h"
#include "engine/styles.h"
#include "host/host_error.h"
#include "ooxml/xml.h"

namespace tarnwell::engine {

namespace fs = std::filesystem;

namespace {

constexpr const char* kContentTypesPart = "[Content_Types].xml";
constexpr const char* kContentTypesNs = "http://schemas.openxmlformats.org/package/2006/content-types";
constexpr const char* kRelationshipsNs = "http://schemas.openxmlformats.org/package/2006/relationships";

std::string Extension(const std::string& path) {
  std::string ext = fs::path(path).extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return ext;
}

// The Override element of [Content_Types].xml naming part, or a null node.
pugi::xml_node OverrideFor(pugi::xml_document& types, const std::string& part) {
  std::string wanted = "/" + part;
  for (pugi::xml_node c = types.document_element().first_child(); c; c = c.next_sibling()) {
    if (c.type() != pugi::node_element || ooxml::LocalName(c.name()) != "Override") continue;
    std::string name = c.attribute("PartName").value();
    // Part names are compared without regard to ASCII case in packages.
    if (Lower(name) == Lower(wanted)) return c;
  }
  return {};
}

pugi::xml_node AddOverride(pugi::xml_document& types, const std::string& part, const char* content_type) {
  pugi::xml_node root = types.document_element();
  std::string prefix = ooxml::PrefixFor(root, kContentTypesNs, "");
  pugi::xml_node o = root.append_child(ooxml::Q(prefix, "Override").c_str());
  o.append_attribute("PartName").set_value(("/" + part).c_str());
  o.append_attribute("ContentType").set_value(content_type);
  return o;
}

// The main part's content type when saved under a name with this extension:
// only the template/document distinction follows the name; macros do not.
std::string SwitchedContentType(const std::string& current, const std::string& ext) {
  bool to_template = ext == ".dotx" || ext == ".dotm";
  bool to_document = ext == ".docx" || ext == ".docm";
  if (!to_template && !to_document) return current;
  if (current == kCtDocument || current == kCtTemplate) return to_template ? kCtTemplate : kCtDocument;
  if (current == kCtMacroDocument || current == kCtMacroTemplate) {
    return to_template ? kCtMacroTemplate : kCtMacroDocument;
  }
  return current;
}

}  // namespace

DocumentModel::DocumentModel(ooxml::Package package, std::string path, std::string unsaved_name, bool read_only)
    : package_(std::move(package)),
      path_(std::move(path)),
      unsaved_name_(std::move(unsaved_name)),
      read_only_(read_only),
      main_part_(package_.MainPart()) {}

DocumentModel::~DocumentModel() = default;

std::string DocumentModel::name() const {
  return path_.empty() ? unsaved_name_ : fs::path(path_).filename().string();
}

std::string DocumentModel::full_name() const { return path_.empty() ? unsaved_name_ : path_; }

std::string DocumentModel::folder() const {
  return path_.empty() ? std::string() : fs::path(path_).parent_path().string();
}

void DocumentModel::require_open() const {
  if (closed_) throw host::HostError(kErrObjectDeleted, "Object has been deleted (" + name() + " is closed).");
}

pugi::xml_document& DocumentModel::xml(const std::string& part) {
  auto it = parts_.find(part);
  if (it != parts_.end()) return *it->second.doc;
  auto doc = std::make_unique<pugi::xml_document>();
  ooxml::LoadXml(*doc, package_.Get(part), full_name(), part);
  auto& slot = parts_[part];
  slot.doc = std::move(doc);
  return *slot.doc;
}

void DocumentModel::changed(const std::string& part) {
  touched(part);
  saved_ = false;
}

void DocumentModel::touched(const std::string& part) {
  auto it = parts_.find(part);
  if (it != parts_.end()) it->second.dirty = true;
}

std::string DocumentModel::related_part(std::string_view type) const { return package_.Related(main_part_, type); }

std::string DocumentModel::add_related_part(const std::string& preferred_name, const char* rel_type,
                                            const char* content_type, std::string bytes) {
  std::string name = preferred_name;
  if (package_.Has(name)) {
    auto dot = preferred_name.rfind('.');
    for (int n = 2; package_.Has(name); ++n) {
      name = preferred_name.substr(0, dot) + std::to_string(n) + preferred_name.substr(dot);
    }
  }
  package_.Set(name, std::move(bytes));

  auto& types = xml(kContentTypesPart);
  if (!OverrideFor(types, name)) AddOverride(types, name, content_type);
  touched(kContentTypesPart);

  std::string rels = ooxml::Package::RelsPartFor(main_part_);
  if (!package_.Has(rels)) {
    package_.Set(rels, std::string("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
                                   "<Relationships xmlns=\"") +
                           kRelationshipsNs + "\"></Relationships>");
  }
  auto& doc = xml(rels);
  pugi::xml_node root = doc.document_element();
  std::string prefix = ooxml::PrefixFor(root, kRelationshipsNs, "");
  std::string rel_name = ooxml::Q(prefix, "Relationship");
  std::string id;
  for (int n = 1; id.empty(); ++n) {
    std::string candidate = "rId" + std::to_string(n);
    bool used = false;
    for (pugi::xml_node r = root.first_child(); r && !used; r = r.next_sibling()) {
      used = r.type() == pugi::node_element && candidate == r.attribute("Id").value();
    }
    if (!used) id = candidate;
  }
  // Targets are relative to the main part's folder.
  std::string folder = main_part_.substr(0, main_part_.rfind('/') + 1);
  std::string target = name.compare(0, folder.size(), folder) == 0 ? name.substr(folder.size()) : "/" + name;
  pugi::xml_node rel = root.append_child(rel_name.c_str());
  rel.append_attribute("Id").set_value(id.c_str());
  rel.append_attribute("Type").set_value(rel_type);
  rel.append_attribute("Target").set_value(target.c_str());
  // Relationship lookups read the package, so it must hold the new link now.
  package_.Set(rels, ooxml::SaveXml(doc));
  return name;
}

StyleSheet& DocumentModel::styles() {
  if (!styles_) styles_ = std::make_unique<StyleSheet>(*this);
  return *styles_;
}

Numbering& DocumentModel::numbering() {
  if (!numbering_) numbering_ = std::make_unique<Numbering>(*this);
  return *numbering_;
}

Body& DocumentModel::body() {
  if (!body_) body_ = std::make_unique<Body>(*this);
  return *body_;
}

void DocumentModel::flush() {
  if (numbering_) numbering_->prune();
  if (body_ && !closed_) body_->DropBareStoryEnd();
  for (auto& [name, part] : parts_) {
    if (!part.dirty) continue;
    package_.Set(name, ooxml::SaveXml(*part.doc, package_.Has(name) ? package_.Get(name).size() : 0));
    part.dirty = false;
  }
}

std::string DocumentModel::content_type_for(const std::string& path) {
  auto& types = xml(kContentTypesPart);
  pugi::xml_node o = OverrideFor(types, main_part_);
  if (!o) return "";
  std::string current = o.attribute("ContentType").value();
  std::string wanted = SwitchedContentType(current, Extension(path));
  return wanted == current ? "" : wanted;
}

void DocumentModel::write(const std::string& path) {
  flush();
  store(fs::absolute(fs::path(path)).lexically_normal().string());
}

void DocumentModel::save() {
  flush();
  if (std::error_code ec; !package_.Modified() && fs::is_regular_file(path_, ec)) {
    saved_ = true;
    return;
  }
  store(path_);
}

void DocumentModel::store(const std::string& target) {
  std::string switched = content_type_for(target);
  std::string old_types;
  if (!switched.empty()) {
    // Changed on a copy, so that a failed save leaves the content type as it was.
    old_types = package_.Get(kContentTypesPart);
    pugi::xml_document copy;
    ooxml::LoadXml(copy, old_types, full_name(), kContentTypesPart);
    OverrideFor(copy, main_part_).attribute("ContentType").set_value(switched.c_str());
    package_.Set(kContentTypesPart, ooxml::SaveXml(copy));
    parts_.erase(kContentTypesPart);
  }
  try {
    package_.Save(target);
  } catch (...) {
    if (!switched.empty()) package_.Set(kContentTypesPart, old_types);
    throw;
  }
  package_.MarkWritten();
  path_ = target;
  saved_ = true;
  read_only_ = false;
}

std::string MainContentTypeFor(const std::string& file_name) {
  std::string ext = Extension(file_name);
  if (ext == ".dotx" || ext == ".dot") return kCtTemplate;
  if (ext == ".dotm") return kCtMacroTemplate;
  if (ext == ".docm") return kCtMacroDocument;
  return kCtDocument;
}

bool FileIsReadOnly(const std::string& path) {
  std::error_code ec;
  auto st = fs::status(path, ec);
  if (!ec) {
    constexpr auto any_write = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    if ((st.permissions() & any_write) == fs::perms::none) return true;
  }
  std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
  return !f.is_open();
}

}  // namespace tarnwell::engine
