#include "cli/json_report.h"

#include <ostream>

namespace tarnwell::cli {

nlohmann::json MessagesJson(const TerminalUi& ui) {
  auto messages = nlohmann::json::array();
  for (const auto& m : ui.shown) messages.push_back({{"title", m.title}, {"text", m.text}, {"answer", m.answer}});
  return messages;
}

nlohmann::json ListTemplatesJson(const numbering::ListTemplateReport& report) {
  auto renamed = nlohmann::json::array();
  for (const auto& r : report.renamed) renamed.push_back({{"document", r.where}, {"from", r.from}, {"to", r.to}});
  return {{"copied", report.copied}, {"renamed", renamed}};
}

void PrintJson(std::ostream& out, const nlohmann::json& doc) { out << doc.dump(2) << '\n'; }

}  // namespace tarnwell::cli
