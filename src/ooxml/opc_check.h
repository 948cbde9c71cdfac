#pragma once
// The Open Packaging Conventions rules a reader relies on, checked on a
// package we are about to hand back to the user's other programs.

#include <string>
#include <vector>

#include "ooxml/package.h"

namespace tarnwell::ooxml {

// One line per broken rule, empty when the package keeps them all: every
// part has a content type, every internal relationship names a part that
// exists, relationship ids are unique within their part, and no two part
// names are the same but for case or unsafe.
std::vector<std::string> CheckPackage(const Package& package);

}  // namespace tarnwell::ooxml
