#include "numbering/list_template_copy.h"

#include <algorithm>

#include "host/collection.h"
#include "host/host_error.h"
#include "numbering/normal_docs.h"
#include "support/errors.h"
#include "support/globals.h"
#include "support/modCommonErrorMsgs.h"

namespace tarnwell::numbering {

using host::deref;
using host::HostError;
using host::Object;
using host::ObjectPtr;
using host::Value;

namespace {

constexpr const char* kCrLf = "\r\n";

// A level's members in the order they are copied after the number format,
// trailing character and number position.
constexpr const char* kLevelMembers[] = {"Alignment", "TextPosition", "TabPosition", "ResetOnHigher", "StartAt"};
constexpr const char* kLevelFontMembers[] = {
    "AllCaps", "Animation", "Bold",   "Color",  "DoubleStrikeThrough", "Emboss",    "Engrave",     "Hidden",
    "Italic",  "Name",      "Outline", "Shadow", "Size",                "StrikeThrough", "Subscript", "Superscript",
    "Underline", "UnderlineColor"};

ObjectPtr Level(const ObjectPtr& lt, int32_t index) {
  return host::item(deref(deref(lt).get("ListLevels").as_object()), index);
}

int32_t LevelCount(const ObjectPtr& lt) { return host::count(deref(deref(lt).get("ListLevels").as_object())); }

void Copy(Object& to, Object& from, const char* member) { to.put(member, from.get(member)); }

std::string Trim(const std::string& s) {
  const auto b = s.find_first_not_of(' ');
  if (b == std::string::npos) return "";
  return s.substr(b, s.find_last_not_of(' ') - b + 1);
}

// The Normal template answers to neither UndoClear nor a document's name.
bool IsNormalTemplate(const std::string& name) {
  if (name == kNormalDotName) return true;
  std::string normal;
  support::SkipErrors([&] { normal = support::gWordApp.NormalTemplate().Name(); });
  return !normal.empty() && name == normal;
}

void Renamed(ListTemplateReport* report, const ObjectPtr& doc, const std::string& from, const std::string& to) {
  if (!report || from == to) return;
  std::string where;
  support::SkipErrors([&] { where = deref(doc).get("Name").as_string(); });
  report->renamed.push_back({where, from, to});
}

}  // namespace

std::vector<std::string> ListTemplateReport::Lines() const {
  std::vector<std::string> lines;
  for (const auto& r : renamed) {
    lines.push_back("list template " + (r.from.empty() ? std::string("(unnamed)") : "\"" + r.from + "\"") +
                    " renamed \"" + r.to + "\" in " + r.where);
  }
  for (const auto& name : copied) lines.push_back("list template \"" + name + "\" copied");
  return lines;
}

ObjectPtr ListTemplatesOf(const ObjectPtr& docOrTemplate) {
  return deref(docOrTemplate).get("ListTemplates").as_object();
}

std::string TemplateName(const ObjectPtr& lt) { return deref(lt).get("Name").as_string(); }

ObjectPtr FirstNamed(const ObjectPtr& templates, const std::string& name) {
  for (const ObjectPtr& lt : host::items(deref(templates))) {
    if (TemplateName(lt) == name) return lt;
  }
  return nullptr;
}

std::string LevelLinkedStyle(const ObjectPtr& lt, int32_t index) {
  return deref(Level(lt, index)).get("LinkedStyle").as_string();
}

int32_t fncCopyLT(platform::Ui& ui, const ObjectPtr& docSource, const host::Document& docTarget, const Value& vntLT,
                  ListTemplateReport* report) {
  ObjectPtr target_lt;
  try {
    const std::string name = vntLT.as_string();
    const ObjectPtr source_lt = FirstNamed(ListTemplatesOf(docSource), name);
    const ObjectPtr target_templates = ListTemplatesOf(docTarget.obj());
    target_lt = FirstNamed(target_templates, name);
    if (!target_lt) {
      target_lt = deref(target_templates).call("Add").as_object();
      deref(target_lt).put("Name", name);
    }
    Object& from = deref(source_lt);
    Object& to = deref(target_lt);
    to.put("OutlineNumbered", from.get("OutlineNumbered"));
    const int32_t levels = LevelCount(source_lt);
    for (int32_t i = 1; i <= levels; ++i) {
      const ObjectPtr target_level = Level(target_lt, i), source_level = Level(source_lt, i);
      Object& l = deref(target_level);
      Object& s = deref(source_level);
      l.put("NumberFormat", std::string());
      Copy(l, s, "NumberStyle");
      Copy(l, s, "NumberFormat");
      Copy(l, s, "TrailingCharacter");
      if (s.get("NumberPosition").as_double() == host::kUndefined) s.put("NumberPosition", 0);
      Copy(l, s, "NumberPosition");
      for (const char* member : kLevelMembers) Copy(l, s, member);
      const ObjectPtr target_font = l.get("Font").as_object(), source_font = s.get("Font").as_object();
      Object& lf = deref(target_font);
      Object& sf = deref(source_font);
      for (const char* member : kLevelFontMembers) Copy(lf, sf, member);
      const std::string linked = s.get("LinkedStyle").as_string();
      support::SkipErrors([&] { l.put("LinkedStyle", linked); });
    }

    const std::string first = LevelLinkedStyle(source_lt, 1);
    const host::Styles styles = docTarget.GetStyles();
    const bool exists = support::SkipErrors([&] { styles.Item(first).BuiltIn(); });
    if (exists) {
      styles.Item(first).ref().call("LinkToListTemplate", {target_lt, 1});
    } else if (!first.empty()) {
      ui.MessageBox("Required style missing",
                    std::string("One or more styles related to the style set including \"") + first +
                        "\" do not exist in the target document but " +
                        "are needed for paragraph numbering associated with that " + "style set." + kCrLf + kCrLf +
                        "You need to copy the other styles in that style set to the " +
                        "target document if you want your paragraph numbering " + "to work properly.",
                    platform::Icon::Critical, platform::Buttons::OK);
    }
    target_lt = nullptr;
    if (!IsNormalTemplate(deref(docSource).get("Name").as_string())) {
      deref(docSource).call("UndoClear");
      deref(docSource).call("UndoClear");
    }
    if (report) report->copied.push_back(name);
    return 0;
  } catch (const HostError& e) {
    target_lt = nullptr;
    if (report) report->last_error = e.description();
    if (e.number() != host::kErrNoSuchCollectionMember) {
      support::fncShowErrorMsg(ui, "", support::ErrInfo::From(e));
    }
    return e.number();
  }
}

std::string fncUniqueLTName(platform::Ui& ui, const ObjectPtr& source, const host::Document& docTarget,
                            const ObjectPtr& sourceLT, const ObjectPtr& targetLT, const std::string& proposed,
                            ListTemplateReport* report) {
  try {
    const std::string base = proposed.empty() ? "LT" : proposed;
    std::string candidate = proposed;
    int32_t n = 0;
    // The counter is 16 bits: past its range the naming fails, as Word's
    // overflow would.
    auto next = [&] {
      if (++n > 32767) throw HostError(6, "Overflow");
      candidate = base + std::to_string(n);
    };
    const ObjectPtr target_templates = ListTemplatesOf(docTarget.obj());
    const ObjectPtr source_templates = ListTemplatesOf(source);
    while (FirstNamed(target_templates, candidate)) {
      next();
      if (FirstNamed(source_templates, candidate)) next();
    }
    const std::string source_was = TemplateName(sourceLT), target_was = TemplateName(targetLT);
    // Both take the same name: a refusal of either moves both on, so the
    // copy finds the source under the name the target bears.
    for (;;) {
      try {
        deref(sourceLT).put("Name", candidate);
        deref(targetLT).put("Name", candidate);
        break;
      } catch (const HostError& e) {
        if (e.number() != host::kErrListTemplateNameRefused) throw;
        next();
      }
    }
    Renamed(report, source, source_was, candidate);
    Renamed(report, docTarget.obj(), target_was, candidate);
    return candidate;
  } catch (const HostError& e) {
    support::fncShowErrorMsg(ui, "", support::ErrInfo::From(e));
    return kUniqueNameFailed;
  }
}

// ---------------------------------------------------------------------------

bool NumberingCollection::Listed(const std::string& name) const {
  return std::find(list_.begin(), list_.end(), name) != list_.end();
}

void NumberingCollection::Append(const std::string& name) {
  if (Listed(name)) return;
  list_.back() = name;
  list_.emplace_back();
}

std::string NumberingCollection::Unique(const ObjectPtr& sourceLT, const ObjectPtr& targetLT, const std::string& name) {
  std::string unique = fncUniqueLTName(ui_, source_.obj(), target_, sourceLT, targetLT, name, report_);
  if (unique == kUniqueNameFailed) {
    throw HostError(host::kErrNumberingCollection, "The list templates could not be given a common name.");
  }
  return unique;
}

void NumberingCollection::Name(const ObjectPtr& lt, std::string& name, const ObjectPtr& sourceLT,
                               const ObjectPtr& targetLT) {
  for (;;) {
    try {
      const std::string was = TemplateName(lt);
      deref(lt).put("Name", name);
      // A template just made for the name is named, not renamed.
      if (lt == sourceLT || !was.empty()) Renamed(report_, lt == sourceLT ? source_.obj() : target_.obj(), was, name);
      return;
    } catch (const HostError& e) {
      if (e.number() != host::kErrListTemplateNameRefused || !on_name_refused) throw;
      name = on_name_refused(sourceLT, targetLT, name);
    }
  }
}

void NumberingCollection::Collect(const std::string& styleName) {
  const host::Style source_style = source_.GetStyles().Item(styleName);
  const host::Style target_style = target_.GetStyles().Item(styleName);
  const Value source_value = source_style.ref().get("ListTemplate");
  if (!source_value.is_object() || !source_value.as_object()) {
    target_style.ref().call("LinkToListTemplate", {Value(ObjectPtr())});
    return;
  }
  const ObjectPtr source_lt = source_value.as_object();
  std::string name = TemplateName(source_lt);
  const Value outline = deref(source_lt).get("OutlineNumbered");
  const Value target_value = target_style.ref().get("ListTemplate");
  ObjectPtr target_lt = target_value.is_object() ? target_value.as_object() : nullptr;
  const ObjectPtr target_templates = ListTemplatesOf(target_.obj());

  if (name.empty()) {
    // An unnamed source template: both take the target's name, or a new one
    // after the style.
    name = styleName + "LT";
    if (!target_lt) target_lt = deref(target_templates).call("Add").as_object();
    const std::string target_name = TemplateName(target_lt);
    if (target_name.empty()) {
      name = Unique(source_lt, target_lt, name);
    } else {
      name = target_name;
      Name(source_lt, name, source_lt, target_lt);
    }
    Append(name);
    return;
  }
  if (Listed(name)) return;

  if (target_lt) {
    const std::string target_name = TemplateName(target_lt);
    if (target_name == name) {
      Append(name);
      return;
    }
    if (target_name.empty()) {
      for (const ObjectPtr& lt : host::items(deref(target_templates))) {
        if (TemplateName(lt) != name) continue;
        const int32_t levels = LevelCount(lt);
        for (int32_t i = 1; i <= levels; ++i) {
          const std::string linked = LevelLinkedStyle(lt, i);
          if (linked.empty() || linked == name) {
            target_style.ref().call("LinkToListTemplate", {lt});
            Append(name);
            return;
          }
        }
      }
    }
  }

  if (const ObjectPtr found = FirstNamed(target_templates, name)) {
    const std::string linked = LevelLinkedStyle(found, 1);
    // Level 1 names the style itself; the trimmed form without the last
    // character is what Word gave in versions that kept a trailing mark.
    const bool ours = !linked.empty() && (linked == styleName || Trim(linked.substr(0, linked.size() - 1)) == styleName);
    if (!ours) {
      if (!target_lt) target_lt = deref(target_templates).call("Add").as_object();
      name = Unique(source_lt, target_lt, name);
    }
    Append(name);
    return;
  }
  const ObjectPtr made = deref(target_templates).call("Add").as_object();
  Name(made, name, source_lt, made);
  deref(made).put("OutlineNumbered", outline);
  target_style.ref().call("LinkToListTemplate", {made});
  Append(name);
}

}  // namespace tarnwell::numbering
