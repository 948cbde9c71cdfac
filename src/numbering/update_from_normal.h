#pragma once
// The numbering half of "&Update all from Normal.dot": the Normal
// template's list templates that are linked to a style at level 1, copied
// into a document by name.

#include <functional>
#include <string>

#include "host/word.h"
#include "numbering/list_template_copy.h"
#include "platform/ui.h"

namespace tarnwell::numbering {

// An unnamed template is first given a name (LT1, LT2, ...) that both the
// Normal template and the document then share. status shows each name as
// it is copied. A failed copy raises its Word error.
void CopyNormalListTemplates(platform::Ui& ui, const host::Template& normal, const host::Document& target,
                             const std::function<void(const std::string&)>& status, ListTemplateReport* report);

}  // namespace tarnwell::numbering
