#pragma once
// List definitions of the embedded Word: the w:num and w:abstractNum
// elements of a document's numbering part, a style's link to them, and the
// ListTemplate object over one w:abstractNum.

#include <memory>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include <pugixml.hpp>

#include "host/object.h"

namespace tarnwell::engine {

class DocumentModel;

// The numbering part of one document.
class Numbering {
 public:
  explicit Numbering(DocumentModel& doc) : doc_(doc) {}

  // The numbering part's root; null when the document has none and create
  // is not set (then the part is made and registered).
  pugi::xml_node root(bool create);
  std::string q(std::string_view local);
  pugi::xml_node num(std::string_view num_id);
  pugi::xml_node abstract_num(std::string_view abstract_id);
  // The w:abstractNum a w:numId leads to; null when either link is broken.
  pugi::xml_node abstract_for_num(std::string_view num_id);
  // A w:num pointing at the abstract definition without overrides, made
  // when there is none; returns its w:numId.
  std::string num_for_abstract(std::string_view abstract_id);
  // Next free w:numId and w:abstractNumId.
  std::string fresh_num_id();
  std::string fresh_abstract_id();
  // Inserts a new w:abstractNum or w:num in schema order (all abstract
  // definitions before all instances).
  pugi::xml_node insert_abstract(const pugi::xml_node& copy_of);
  pugi::xml_node insert_num();
  void changed();

  // A definition's w:name, "" when it has none.
  std::string name_of(pugi::xml_node abstract);
  // Where a definition's levels are: the definition itself, or for one
  // that only names a list style (w:numStyleLink), that style's definition.
  pugi::xml_node levels_of(pugi::xml_node abstract);
  // A new definition as ListTemplates.Add makes it: nine numbered levels,
  // outline-numbered or not.
  pugi::xml_node add_abstract(bool outline);
  // A style let go of num_id. On the next save that w:num goes when nothing
  // refers to it any more, and then its definition when no w:num uses it,
  // so relinking leaves no definition behind run after run; until then the
  // template stays in ListTemplates, as in Word.
  void release(std::string_view num_id) { released_.emplace(num_id); }
  void prune();
  // Bumped whenever a definition or instance is added or removed, so
  // handles and the indexes find theirs again.
  uint64_t epoch() const { return epoch_; }
  // The w:abstractNum elements in document order.
  const std::vector<pugi::xml_node>& abstracts();

 private:
  bool referenced(std::string_view num_id);
  void drop_if_unused(std::string_view num_id);
  // The elements by id, made again after every change of epoch: a list
  // template is looked up by the hundred in a run.
  void index();

  struct Index {
    uint64_t epoch = ~uint64_t{0};
    pugi::xml_node root;
    std::vector<pugi::xml_node> abstracts;
    std::unordered_map<std::string, pugi::xml_node> abstract_by_id, num_by_id;
  };

  DocumentModel& doc_;
  std::string part_;
  std::string prefix_ = "w";
  // w:numId values used outside the styles and numbering parts; a copy
  // never changes those parts, so they are read once.
  std::unique_ptr<std::set<std::string, std::less<>>> outside_refs_;
  std::set<std::string, std::less<>> released_;
  uint64_t epoch_ = 0;
  Index index_;
};

// The w:numId a style's numbering comes from, through its based-on chain as
// Word reports it; "" for none (an explicit 0 stops the chain).
std::string StyleNumId(DocumentModel& doc, pugi::xml_node style);

// Word's ListTemplate over one w:abstractNum, found again by its id.
class ListTemplate : public host::DispatchObject {
 public:
  // node, when given, is the definition as found now; it spares the lookup.
  ListTemplate(std::shared_ptr<DocumentModel> doc, std::string abstract_id, std::shared_ptr<host::FaultPlan> faults,
               pugi::xml_node node = {});
  DocumentModel& document() { return *doc_; }
  const std::string& abstract_id() const { return abstract_id_; }
  pugi::xml_node node();

 private:
  static const SharedTable& Members();
  // Word's 5890 when another template of the document bears the name.
  void SetName(const std::string& name);
  std::shared_ptr<DocumentModel> doc_;
  std::shared_ptr<host::FaultPlan> faults_;
  std::string abstract_id_;
  pugi::xml_node node_;
  uint64_t epoch_ = 0;
};

// Style.ListTemplate: a ListTemplate, or Empty when the style has none.
host::Value StyleListTemplate(const std::shared_ptr<DocumentModel>& doc, pugi::xml_node style,
                              const std::shared_ptr<host::FaultPlan>& faults);
// Style.LinkToListTemplate: with no template (missing, empty or Nothing)
// removes the style's own w:numPr; otherwise links the style to level
// `level` (1-based) and that level back to the style.
void LinkStyleToListTemplate(DocumentModel& doc, pugi::xml_node style, const host::Value& list_template,
                             const host::Value& level);

// The order of CT_Lvl's children.
extern const std::initializer_list<std::string_view> kLevelOrder;
// The order of CT_PPrBase's children, for inserting w:numPr.
extern const std::initializer_list<std::string_view> kParagraphPropertyOrder;

}  // namespace tarnwell::engine
