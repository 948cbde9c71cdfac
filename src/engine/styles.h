#pragma once
// Styles of the embedded Word: the w:style elements of a document's styles
// part, indexed by id and name, and the Styles and Style objects over them.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include <pugixml.hpp>

#include "engine/builtin_styles.h"
#include "host/object.h"

namespace tarnwell::engine {

class DocumentModel;

// The order of CT_Style's children, for inserting new ones.
extern const std::initializer_list<std::string_view> kStyleChildOrder;

class StyleSheet {
 public:
  explicit StyleSheet(DocumentModel& doc) : doc_(doc) { set_prefix("w"); }

  // The defined styles in the order of the styles part.
  size_t count();
  pugi::xml_node at(size_t index);  // 0-based
  pugi::xml_node by_id(std::string_view id);
  // Styles.Item by name: the name as shown or as stored, built-in names
  // without regard to case; a built-in that is only latent is made real.
  // A null node when there is no such style.
  pugi::xml_node find(std::string_view name);
  // The defined style standing for a built-in, made real when absent.
  pugi::xml_node builtin(const BuiltinStyle& b);
  // Styles.Add: raises 5173 for a name in use or reserved for a built-in.
  pugi::xml_node add(std::string_view name, StyleKind kind);
  // The style a new style of the kind rests on ("Normal", "Default
  // Paragraph Font", "Table Normal"), made real when latent; null for list
  // styles, which rest on nothing.
  pugi::xml_node type_root(StyleKind kind);
  bool is_type_root(pugi::xml_node style) const;
  // Moves style after its base when it stands before it, and the styles
  // based on it (in turn on those) after it, keeping their order: some
  // readers take a style written before its base as inheriting nothing.
  void place_after_base(pugi::xml_node style);

  // Facts about one style element. The views last while the element is
  // unchanged.
  std::string stored_name(pugi::xml_node style) const { return std::string(stored_name_view(style)); }
  std::string display_name(pugi::xml_node style) const { return std::string(display_name_view(style)); }
  std::string id(pugi::xml_node style) const { return std::string(id_view(style)); }
  std::string_view stored_name_view(pugi::xml_node style) const;
  std::string_view display_name_view(pugi::xml_node style) const;
  std::string_view id_view(pugi::xml_node style) const;
  StyleKind kind(pugi::xml_node style) const;
  bool is_builtin(pugi::xml_node style) const;
  // The id a reference child (basedOn, next, link) holds, "" when absent.
  std::string reference(pugi::xml_node style, std::string_view child) const {
    return std::string(reference_view(style, child));
  }
  std::string_view reference_view(pugi::xml_node style, std::string_view child) const;
  // Sets (or with "" removes) a reference child, in schema order.
  void set_reference(pugi::xml_node style, std::string_view child, const std::string& id);

  // The styles part, "" while the document has none.
  const std::string& part() const { return part_; }
  // The Word namespace prefix of the styles part, "w" when there is none yet.
  std::string prefix();
  std::string q(std::string_view local) const;
  // The names lookups ask for by the thousand, qualified once per prefix.
  struct Names {
    std::string style, name, val, style_id, type, custom_style, default_, based_on, next, link, ppr, numpr, num_id;
  };
  const Names& names() const { return names_; }

  // Bumped whenever styles may have moved or gone, so handles re-find
  // their element by id.
  uint64_t epoch() const { return epoch_; }
  // Drops the indexes after an outside change to the styles part.
  void invalidate();
  // Keeps the indexes after the organizer put node in the place of the
  // style element old (a null old: node was appended after the last style).
  void replaced(pugi::xml_node old, pugi::xml_node node);
  // An id not yet used in this part (compared without regard to case),
  // wanted itself when free.
  std::string fresh_id(std::string_view wanted);
  // The styles part's root, created with the part when create is set.
  pugi::xml_node root(bool create);

 private:
  void build();
  void index(pugi::xml_node style);
  // Moves style after anchor in the part and in the document order.
  void move_after(pugi::xml_node style, pugi::xml_node anchor);
  size_t place_of(pugi::xml_node style) const;
  void forget_base(pugi::xml_node style);
  pugi::xml_node append_style(StyleKind kind, const std::string& id, const std::string& name);
  bool builtin_entry(pugi::xml_node style, const BuiltinStyle** out) const;
  void set_prefix(std::string prefix);
  // The qualified name of a reference child made once; null for another.
  const std::string* reference_name(std::string_view child) const;

  DocumentModel& doc_;
  bool built_ = false;
  std::string part_;
  std::string prefix_;
  Names names_;
  pugi::xml_node root_;
  // The indexes hold elements, which keep their identity when moved, so
  // only the document order has to follow a move. It holds the elements'
  // pointers, which compare inline where a handle compares out of line.
  std::vector<pugi::xml_node_struct*> order_;
  mutable std::array<size_t, 4> place_hints_{};
  mutable size_t next_hint_ = 0;
  // Looked up by the name in hand, without a string made of it.
  struct NameHash {
    using is_transparent = void;
    size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
  };
  template <class T>
  using ByName = std::unordered_map<std::string, T, NameHash, std::equal_to<>>;
  ByName<pugi::xml_node> by_id_;
  ByName<pugi::xml_node> by_name_;  // shown and stored names, exact
  std::unordered_map<const BuiltinStyle*, pugi::xml_node> by_builtin_;
  std::unordered_set<std::string, FoldedHash, FoldedEqual> ids_folded_;
  // based-on id -> the styles naming it
  ByName<std::unordered_set<pugi::xml_node_struct*>> based_on_;
  uint64_t epoch_ = 0;
};

// Folds the formatting an ancestor of style holds (its pPr, rPr, tblPr,
// trPr, tcPr and conditional formats) into style's own, which wins property
// by property, so that style looks the same without that ancestor. Both
// elements are of one part, whose Word prefix is prefix.
void InheritFormatting(pugi::xml_node style, pugi::xml_node ancestor, std::string_view prefix);

// Word's Styles collection of one document.
class Styles : public host::DispatchObject {
 public:
  Styles(std::shared_ptr<DocumentModel> doc, std::shared_ptr<host::FaultPlan> faults);
  host::ObjectPtr Item(const host::Value& index);

 private:
  std::shared_ptr<DocumentModel> doc_;
  std::shared_ptr<host::FaultPlan> faults_;
  std::unordered_map<std::string, std::shared_ptr<class Style>> handed_out_;  // by style id
};

// One style: a handle on its w:style element.
class Style : public host::DispatchObject {
 public:
  Style(std::shared_ptr<DocumentModel> doc, pugi::xml_node node, std::shared_ptr<host::FaultPlan> faults);
  // The element, found again by id when the styles part changed under it.
  pugi::xml_node node();
  DocumentModel& document() { return *doc_; }
  StyleSheet& sheet();
  std::shared_ptr<host::FaultPlan> faults() const { return faults_; }

 private:
  static const SharedTable& Members();
  std::string ReferenceName(std::string_view child);
  void SetReference(std::string_view child, const host::Value& value);

  std::shared_ptr<DocumentModel> doc_;
  std::shared_ptr<host::FaultPlan> faults_;
  pugi::xml_node node_;
  std::string id_;
  uint64_t epoch_;
};

}  // namespace tarnwell::engine
