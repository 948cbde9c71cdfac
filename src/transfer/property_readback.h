#pragma once
// Reads back what the slow copy transfers: every property a routine copies
// for a style, by its path from the style ("Font.Bold",
// "Table.Condition(4).Borders(-2).LineStyle"), as Word shows it. Two styles
// that read back alike look alike to Word, as far as the slow copy goes.

#include <string>
#include <utility>
#include <vector>

#include "host/word.h"
#include "transfer/style_transfer.h"

namespace tarnwell::transfer {

using PropertyValues = std::vector<std::pair<std::string, std::string>>;

// The properties the routine for this type and profile copies, in its
// order. Style references (BaseStyle, NextParagraphStyle) are left to the
// caller, since the routines change some of them on purpose.
PropertyValues TransferredProperties(const host::Style& style, host::StyleType type, Profile profile);

// A value as text: numbers without trailing zeros, strings as they are.
std::string ValueText(const host::Value& v);

}  // namespace tarnwell::transfer
