#pragma once
// Word with open documents and their styles, as much as the main dialog
// reads: enough to fill its lists and to carry a copy run as far as saving.
// The selection is missing, so a run ends with error 438 right after both
// documents are saved.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/host_error.h"
#include "host/object.h"
#include "host/value.h"

namespace tarnwell::win32::testing {

class FakeStyle : public host::DispatchObject {
 public:
  FakeStyle(std::string name, int32_t type, std::string base = "", std::string next = "")
      : DispatchObject("Style"), name(std::move(name)), type(type), base(std::move(base)), next(std::move(next)) {
    property("NameLocal", [this](const host::Args&) { return host::Value(this->name); });
    property("Type", [this](const host::Args&) { return host::Value(this->type); });
    property("BaseStyle", [this](const host::Args&) { return host::Value(this->base); });
    property("NextParagraphStyle", [this](const host::Args&) { return host::Value(this->next.empty() ? this->name : this->next); });
  }
  std::string name;
  int32_t type;
  std::string base, next;
};

template <typename T>
class FakeCollection : public host::DispatchObject {
 public:
  // named(item, key): whether the item answers to a string index.
  FakeCollection(std::string class_name, std::vector<std::shared_ptr<T>>* items,
                 std::function<bool(const T&, const std::string&)> named)
      : DispatchObject(std::move(class_name)) {
    property("Count", [items](const host::Args&) { return host::Value(static_cast<int32_t>(items->size())); });
    method("Item", [items, named](const host::Args& a) {
      const host::Value& index = host::arg(a, 0);
      if (index.is_string()) {
        for (auto& item : *items) {
          if (named(*item, index.as_string())) return host::Value(host::ObjectPtr(item));
        }
      } else {
        const int32_t i = index.as_int();
        if (i >= 1 && i <= static_cast<int32_t>(items->size())) {
          return host::Value(host::ObjectPtr((*items)[static_cast<size_t>(i - 1)]));
        }
      }
      throw host::HostError(host::kErrNoSuchCollectionMember, "The requested member of the collection does not exist.");
    });
  }
};

class FakeDocument : public host::DispatchObject {
 public:
  // path "" is a document never saved.
  FakeDocument(std::string name, std::string path) : DispatchObject("Document"), name(std::move(name)), path(std::move(path)) {
    styles_collection = std::make_shared<FakeCollection<FakeStyle>>(
        "Styles", &styles, [](const FakeStyle& s, const std::string& key) { return s.name == key; });
    property("Name", [this](const host::Args&) { return host::Value(this->name); });
    property("FullName", [this](const host::Args&) { return host::Value(FullName()); });
    property("Path", [this](const host::Args&) { return host::Value(this->path); });
    property("Saved", [this](const host::Args&) { return host::word_bool(saved); },
             [this](const host::Value& v, const host::Args&) { saved = v.as_bool(); });
    property("Styles", [this](const host::Args&) { return host::Value(host::ObjectPtr(styles_collection)); });
    method("Activate", [](const host::Args&) { return host::Value(); });
    method("Save", [this](const host::Args&) {
      ++saves;
      return host::Value();
    });
    method("SaveAs", [this](const host::Args& a) {
      const std::string file = host::arg(a, 0).as_string();
      saved_as.push_back(file);
      const auto slash = file.find_last_of('\\');
      this->path = slash == std::string::npos ? "" : file.substr(0, slash);
      this->name = file.substr(slash == std::string::npos ? 0 : slash + 1);
      return host::Value();
    });
  }
  std::string FullName() const { return path.empty() ? name : path + "\\" + name; }
  void AddStyle(std::string style, int32_t type, std::string base = "", std::string next = "") {
    styles.push_back(std::make_shared<FakeStyle>(std::move(style), type, std::move(base), std::move(next)));
  }

  std::string name, path;
  bool saved = true;
  int saves = 0;
  std::vector<std::string> saved_as;
  std::vector<std::shared_ptr<FakeStyle>> styles;
  std::shared_ptr<FakeCollection<FakeStyle>> styles_collection;
};

class FakeWordWithDocuments : public host::DispatchObject {
 public:
  explicit FakeWordWithDocuments(std::string build = "11.0.8169") : DispatchObject("Application"), build(std::move(build)) {
    documents_collection = std::make_shared<FakeCollection<FakeDocument>>(
        "Documents", &documents,
        [](const FakeDocument& d, const std::string& key) { return d.name == key || d.FullName() == key; });
    property("Build", [this](const host::Args&) { return host::Value(this->build); });
    property("Documents", [this](const host::Args&) { return host::Value(host::ObjectPtr(documents_collection)); });
    property("ActiveDocument", [this](const host::Args&) {
      if (documents.empty()) throw host::HostError(4248, "This command is not available because no document is open.");
      return host::Value(host::ObjectPtr(documents.front()));
    });
    property("ScreenUpdating", [](const host::Args&) { return host::word_bool(true); },
             [](const host::Value&, const host::Args&) {});
    method("ScreenRefresh", [](const host::Args&) { return host::Value(); });
  }
  std::shared_ptr<FakeDocument> Add(std::string name, std::string path) {
    documents.push_back(std::make_shared<FakeDocument>(std::move(name), std::move(path)));
    return documents.back();
  }

  std::string build;
  std::vector<std::shared_ptr<FakeDocument>> documents;
  std::shared_ptr<FakeCollection<FakeDocument>> documents_collection;
};

}  // namespace tarnwell::win32::testing
