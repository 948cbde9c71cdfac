#pragma once
// Carrying list templates across: fncCopyLT rebuilds one template in the
// target level by level from the source template of the same name,
// fncUniqueLTName gives a source and a target template a common new name,
// and NumberingCollection decides, style by style, which templates travel.
// Templates are matched between documents by name only.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "host/word.h"
#include "platform/ui.h"

namespace tarnwell::numbering {

// What fncUniqueLTName answers when it could not name the templates.
inline constexpr const char* kUniqueNameFailed = "!error!";

// What happened to list templates in one copy or update, for the report.
struct ListTemplateReport {
  std::vector<std::string> copied;  // names, in copy order
  struct Rename {
    std::string where, from, to;  // where: the document's Name
  };
  std::vector<Rename> renamed;
  // The description of the error fncCopyLT last returned.
  std::string last_error;

  void Clear() { *this = ListTemplateReport{}; }
  // One line per template copied and per rename.
  std::vector<std::string> Lines() const;
};

// Rebuilds the list template named vntLT in docTarget from docSource's
// (a document, or the Normal template object; reached by member name
// only). Returns 0, or the Word error that stopped it: 5941 without a
// message, any other after the common error message.
int32_t fncCopyLT(platform::Ui& ui, const host::ObjectPtr& docSource, const host::Document& docTarget,
                  const host::Value& vntLT, ListTemplateReport* report = nullptr);

// Names sourceLT, then targetLT, with the first of proposed, proposed1,
// proposed2, ... ("LT1", ... for an empty proposal) that docTarget does
// not use. Returns that name, or kUniqueNameFailed after the common error
// message.
std::string fncUniqueLTName(platform::Ui& ui, const host::ObjectPtr& source, const host::Document& docTarget,
                            const host::ObjectPtr& sourceLT, const host::ObjectPtr& targetLT,
                            const std::string& proposed, ListTemplateReport* report = nullptr);

// The numbering collection of a copy run: for each copied style, which
// template travels with it, with names and links made ready in the target.
class NumberingCollection {
 public:
  NumberingCollection(platform::Ui& ui, host::Document source, host::Document target, ListTemplateReport* report)
      : ui_(ui), source_(std::move(source)), target_(std::move(target)), report_(report) {}

  // Word's 5890 while naming a template: the run's handler answers with a
  // fresh name for the two templates, or ends the run.
  std::function<std::string(const host::ObjectPtr& sourceLT, const host::ObjectPtr& targetLT,
                            const std::string& candidate)>
      on_name_refused;

  // One style of the copy list. Raises -2147220505 when the templates
  // could not be given a common name; other Word errors pass through.
  void Collect(const std::string& styleName);
  // The list-template list: names collected so far, with its empty last
  // element until tidied.
  std::vector<std::string>& List() { return list_; }

 private:
  void Append(const std::string& name);
  bool Listed(const std::string& name) const;
  // A name assignment, answered on 5890 through on_name_refused.
  void Name(const host::ObjectPtr& lt, std::string& name, const host::ObjectPtr& sourceLT,
            const host::ObjectPtr& targetLT);
  std::string Unique(const host::ObjectPtr& sourceLT, const host::ObjectPtr& targetLT, const std::string& name);

  platform::Ui& ui_;
  host::Document source_, target_;
  ListTemplateReport* report_;
  std::vector<std::string> list_{""};
};

// Small by-name helpers over Word's list objects, shared with the update.
host::ObjectPtr ListTemplatesOf(const host::ObjectPtr& docOrTemplate);
std::string TemplateName(const host::ObjectPtr& lt);
// The first template of the collection bearing name; nullptr when none.
host::ObjectPtr FirstNamed(const host::ObjectPtr& templates, const std::string& name);
// Level index's linked style name.
std::string LevelLinkedStyle(const host::ObjectPtr& lt, int32_t index);

}  // namespace tarnwell::numbering
