#pragma once
// The common error message: the pending error's number and description.

#include <string>

#include "platform/ui.h"
#include "support/errors.h"

namespace tarnwell::support {

// Shows "Error: <number> <description>" with an OK button and no icon, under
// title, or under the add-in's title when title is empty. err is the error
// the caller is handling; a default ErrInfo stands for "no error pending".
void fncShowErrorMsg(platform::Ui& ui, const std::string& title, const ErrInfo& err);

}  // namespace tarnwell::support
