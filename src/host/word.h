#pragma once
// Typed facades over Word's objects. Each holds a reference and forwards by
// member name, so the same code drives real Word and the embedded engine.
// Facades are added as callers need them; anything else goes through obj().

#include <string>
#include <vector>

#include "host/collection.h"
#include "host/host_error.h"
#include "host/object.h"

namespace tarnwell::host {

class Facade {
 public:
  Facade() = default;
  explicit Facade(ObjectPtr o) : o_(std::move(o)) {}
  explicit operator bool() const { return o_ != nullptr; }
  const ObjectPtr& obj() const { return o_; }
  Object& ref() const { return deref(o_); }

 protected:
  Value get(std::string_view name, const Args& args = {}) const { return ref().get(name, args); }
  void put(std::string_view name, const Value& v, const Args& args = {}) const { ref().put(name, v, args); }
  Value call(std::string_view name, const Args& args = {}) const { return ref().call(name, args); }

 private:
  ObjectPtr o_;
};

// Word's style types.
enum class StyleType : int32_t { Paragraph = 1, Character = 2, Table = 3, List = 4 };

class Style : public Facade {
 public:
  using Facade::Facade;
  std::string NameLocal() const { return get("NameLocal").as_string(); }
  StyleType Type() const { return static_cast<StyleType>(get("Type").as_int()); }
  bool BuiltIn() const { return get("BuiltIn").as_bool(); }
  // "" when the style has none.
  std::string BaseStyle() const { return get("BaseStyle").as_string(); }
  void SetBaseStyle(const std::string& name) const { put("BaseStyle", name); }
  std::string NextParagraphStyle() const { return get("NextParagraphStyle").as_string(); }
  void SetNextParagraphStyle(const std::string& name) const { put("NextParagraphStyle", name); }
};

class Styles : public Facade {
 public:
  using Facade::Facade;
  int32_t Count() const { return count(ref()); }
  Style Item(const Value& index) const { return Style(item(ref(), index)); }
  std::vector<Style> all() const {
    std::vector<Style> out;
    for (auto& o : items(ref())) out.emplace_back(o);
    return out;
  }
  Style Add(const std::string& name) const { return Style(call("Add", {name}).as_object()); }
  Style Add(const std::string& name, StyleType type) const {
    return Style(call("Add", {name, static_cast<int32_t>(type)}).as_object());
  }
};

class Window : public Facade {
 public:
  using Facade::Facade;
  void Activate() const { call("Activate"); }
};

class Document : public Facade {
 public:
  using Facade::Facade;
  std::string Name() const { return get("Name").as_string(); }
  std::string FullName() const { return get("FullName").as_string(); }
  std::string Path() const { return get("Path").as_string(); }
  bool Saved() const { return get("Saved").as_bool(); }
  void SetSaved(bool saved) const { put("Saved", saved); }
  void Save() const { call("Save"); }
  void SaveAs(const std::string& file_name) const { call("SaveAs", {file_name}); }
  // 0 = do not save (wdDoNotSaveChanges).
  void Close(int32_t save_changes = 0) const { call("Close", {save_changes}); }
  void UndoClear() const { call("UndoClear"); }
  Styles GetStyles() const { return Styles(get("Styles").as_object()); }
  Window ActiveWindow() const { return Window(get("ActiveWindow").as_object()); }
};

class Documents : public Facade {
 public:
  using Facade::Facade;
  int32_t Count() const { return count(ref()); }
  Document Item(const Value& index) const { return Document(item(ref(), index)); }
  std::vector<Document> all() const {
    std::vector<Document> out;
    for (auto& o : items(ref())) out.emplace_back(o);
    return out;
  }
  Document Open(const std::string& path) const { return Document(call("Open", {path}).as_object()); }
  Document Add() const { return Document(call("Add").as_object()); }
};

class Template : public Facade {
 public:
  using Facade::Facade;
  std::string Name() const { return get("Name").as_string(); }
  std::string FullName() const { return get("FullName").as_string(); }
  Document OpenAsDocument() const { return Document(call("OpenAsDocument").as_object()); }
};

class Application : public Facade {
 public:
  using Facade::Facade;
  std::string Build() const { return get("Build").as_string(); }
  Documents GetDocuments() const { return Documents(get("Documents").as_object()); }
  Document ActiveDocument() const { return Document(get("ActiveDocument").as_object()); }
  ObjectPtr Selection() const { return get("Selection").as_object(); }
  Template NormalTemplate() const { return Template(get("NormalTemplate").as_object()); }
  void SetScreenUpdating(bool on) const { put("ScreenUpdating", on); }
  bool ScreenUpdating() const { return get("ScreenUpdating").as_bool(); }
  void ScreenRefresh() const { call("ScreenRefresh"); }
  void SetPagination(bool on) const { deref(get("Options").as_object()).put("Pagination", on); }
};

}  // namespace tarnwell::host
