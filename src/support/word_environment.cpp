#include "support/word_environment.h"

#include <array>
#include <utility>

#include "host/host_error.h"
#include "support/globals.h"

namespace tarnwell::support {

void fncSetWordVersion(const std::string& major) {
  static constexpr std::array<std::pair<const char*, const char*>, 5> kLabels{{
      {"8", "97"},
      {"9", "00"},
      {"10", "XP"},
      {"11", "03"},
      {"12", "07"},
  }};
  for (const auto& [number, label] : kLabels) {
    if (major == number) {
      gWordVersion = label;
      return;
    }
  }
}

void fncReadWordEnvironment(const host::Application& app) {
  std::string build = app.Build();
  auto dot = build.find('.');
  // Word always reports a dotted build; anything else is refused the way
  // taking the text left of a missing dot fails.
  if (dot == std::string::npos) {
    throw host::HostError(host::kErrInvalidProcedureCall, "Invalid procedure call or argument");
  }
  fncSetWordVersion(build.substr(0, dot));
}

void SetWordApp(host::ObjectPtr app) { gWordApp = host::Application(std::move(app)); }

namespace {
// Objects of the embedded engine and the fakes name their class; a bridge to
// real Word names none, and is Word's Application whenever it was handed over
// as one.
bool TakesAsApplication(const host::ObjectPtr& o) {
  auto* named = dynamic_cast<const host::DispatchObject*>(o.get());
  return named == nullptr || named->class_name() == "Application";
}
}  // namespace

host::Application AsWordApplication(host::ObjectPtr o) {
  if (o && !TakesAsApplication(o)) throw host::HostError(host::kErrTypeMismatch, "Type mismatch");
  return host::Application(std::move(o));
}

host::Application GetWordApp(platform::Ui& ui) {
  try {
    return AsWordApplication(gWordApp.obj());
  } catch (const host::HostError& e) {
    ui.MessageBox(kAddInTitle, std::to_string(e.number()) + " " + e.description(), platform::Icon::None,
                  platform::Buttons::OK);
    return host::Application();
  }
}

}  // namespace tarnwell::support
