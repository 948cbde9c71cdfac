#include "numbering/update_from_normal.h"

#include "host/collection.h"
#include "host/host_error.h"

namespace tarnwell::numbering {

void CopyNormalListTemplates(platform::Ui& ui, const host::Template& normal, const host::Document& target,
                             const std::function<void(const std::string&)>& status, ListTemplateReport* report) {
  for (const host::ObjectPtr& lt : host::items(host::deref(ListTemplatesOf(normal.obj())))) {
    if (LevelLinkedStyle(lt, 1).empty()) continue;
    std::string name = TemplateName(lt);
    if (name.empty()) {
      const host::ObjectPtr made = host::deref(ListTemplatesOf(target.obj())).call("Add").as_object();
      // "!error!" is taken as the name; the copy then fails and says so.
      name = fncUniqueLTName(ui, normal.obj(), target, lt, made, "", report);
    }
    status("Copying list template:  " + name);
    const int32_t result = fncCopyLT(ui, normal.obj(), target, name, report);
    if (result != 0) throw host::HostError(result, report ? report->last_error : std::string());
  }
}

}  // namespace tarnwell::numbering
