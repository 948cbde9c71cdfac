#pragma once
// "Did you mean ...?" for names a user mistyped.

#include <string>
#include <vector>

namespace tarnwell::cli {

// The name nearest to typed by edit distance, ignoring case, when it is near
// enough to be a slip (a third of the typed length, at least one edit);
// "" when none is.
std::string Closest(const std::string& typed, const std::vector<std::string>& names);

}  // namespace tarnwell::cli
