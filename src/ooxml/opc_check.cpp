#include "ooxml/opc_check.h"

#include <cctype>
#include <map>
#include <set>

#include <pugixml.hpp>

#include "host/host_error.h"
#include "ooxml/xml.h"

namespace tarnwell::ooxml {

namespace {

constexpr const char* kContentTypes = "[Content_Types].xml";

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

// Relationship targets are URIs: "%20" names a part with a blank.
std::string Unescape(std::string_view uri) {
  std::string out;
  for (size_t i = 0; i < uri.size(); ++i) {
    auto hex = [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); };
    if (uri[i] == '%' && i + 2 < uri.size() && hex(uri[i + 1]) && hex(uri[i + 2])) {
      out += static_cast<char>(std::stoi(std::string(uri.substr(i + 1, 2)), nullptr, 16));
      i += 2;
    } else {
      out += uri[i];
    }
  }
  return out;
}

bool Parse(pugi::xml_document& doc, const Package& package, const std::string& part, std::vector<std::string>& out) {
  try {
    LoadXml(doc, package.Get(part), "package", part);
    return true;
  } catch (const host::HostError& e) {
    out.push_back(part + ": " + e.description());
    return false;
  }
}

}  // namespace

std::vector<std::string> CheckPackage(const Package& package) {
  std::vector<std::string> out;
  const auto names = package.Names();

  std::map<std::string, std::string> by_lower;
  for (const auto& name : names) {
    if (!IsSafePartName(name)) out.push_back(name + ": not a safe part name");
    auto [it, fresh] = by_lower.emplace(Lower(name), name);
    if (!fresh) out.push_back(name + ": the same part name as " + it->second + " but for case");
  }

  // Part names compare without regard to case, as do extensions.
  std::map<std::string, std::string> defaults, overrides;
  pugi::xml_document types;
  if (!package.Has(kContentTypes)) {
    out.push_back(std::string(kContentTypes) + " is missing");
  } else if (Parse(types, package, kContentTypes, out)) {
    for (auto e : types.document_element().children()) {
      std::string_view local = LocalName(e.name());
      if (local == "Default") defaults[Lower(e.attribute("Extension").value())] = e.attribute("ContentType").value();
      if (local == "Override") {
        std::string part = e.attribute("PartName").value();
        if (!part.empty() && part[0] == '/') part.erase(0, 1);
        overrides[Lower(part)] = e.attribute("ContentType").value();
      }
    }
  }
  for (const auto& name : names) {
    if (name == kContentTypes || name.ends_with('/')) continue;
    if (overrides.count(Lower(name))) continue;
    auto dot = name.rfind('.');
    auto slash = name.rfind('/');
    bool has_ext = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    if (!has_ext || !defaults.count(Lower(name.substr(dot + 1)))) out.push_back(name + ": no content type");
  }

  for (const auto& name : names) {
    if (!name.ends_with(".rels")) continue;
    pugi::xml_document rels;
    if (!Parse(rels, package, name, out)) continue;
    // "a/_rels/b.xml.rels" holds the relationships of "a/b.xml"; "_rels/.rels" those of the package.
    std::string source;
    auto rels_dir = name.rfind("_rels/");
    if (rels_dir == std::string::npos) continue;
    source = name.substr(0, rels_dir) + name.substr(rels_dir + 6, name.size() - rels_dir - 6 - 5);
    std::set<std::string> ids;
    for (auto r : rels.document_element().children()) {
      if (LocalName(r.name()) != "Relationship") continue;
      std::string id = r.attribute("Id").value();
      if (!ids.insert(id).second) out.push_back(name + ": relationship id " + id + " used twice");
      if (std::string_view(r.attribute("TargetMode").value()) == "External") continue;
      std::string_view raw = r.attribute("Target").value();
      auto target = Package::ResolveTarget(source, raw.substr(0, raw.find('#')));
      if (target.empty() || (!by_lower.count(Lower(target)) && !by_lower.count(Lower(Unescape(target)))))
        out.push_back(name + ": relationship " + id + " names a missing part " + r.attribute("Target").value());
    }
  }
  return out;
}

}  // namespace tarnwell::ooxml
