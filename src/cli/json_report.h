#pragma once
// What --json prints: one JSON document on stdout for a script to read.

#include <iosfwd>

#include <nlohmann/json.hpp>

#include "cli/terminal_ui.h"
#include "numbering/list_template_copy.h"

namespace tarnwell::cli {

// The message boxes the run showed: title, text and the answer given.
nlohmann::json MessagesJson(const TerminalUi& ui);

// The list templates a run copied and the ones it renamed.
nlohmann::json ListTemplatesJson(const numbering::ListTemplateReport& report);

void PrintJson(std::ostream& out, const nlohmann::json& doc);

}  // namespace tarnwell::cli
