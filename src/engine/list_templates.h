#pragma once
// Word's ListTemplates, ListLevels and ListLevel (with its Font) over the
// w:abstractNum elements of a document's numbering part.

#include <memory>

#include "host/object.h"

namespace tarnwell::engine {

class DocumentModel;
class ListTemplate;

// Document.ListTemplates (and Template.ListTemplates over the template's
// file): every list definition in document order, Count, Item by 1-based
// index or by name, and Add([OutlineNumbered], [Name]).
host::ObjectPtr MakeListTemplates(std::shared_ptr<DocumentModel> doc, std::shared_ptr<host::FaultPlan> faults);

// ListTemplate.ListLevels: Count and Item(1..Count); 5941 past the count.
host::ObjectPtr MakeListLevels(std::shared_ptr<ListTemplate> owner, std::shared_ptr<host::FaultPlan> faults);

}  // namespace tarnwell::engine
