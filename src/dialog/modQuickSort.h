#pragma once
// In-place string quicksort shared by the dialog's lists and the copy run.
// Order is binary: by UTF-16 code unit, case-sensitive, as Word's own
// string comparisons see names.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwell::dialog {

// Negative, zero or positive as a sorts before, with or after b by UTF-16
// code unit. Strings are UTF-8; a character above U+FFFF sorts as its
// surrogate pair would, between U+D7FF and U+E000. A byte that does not
// belong to well-formed UTF-8 counts as a lone unit of its own.
int BinaryCompare(std::string_view a, std::string_view b);

// Sort items[first..last] (both inclusive). Indexes outside items raise
// host::HostError 9 (subscript out of range); an empty or one-item range
// is left as it is.
void QuickSortAscending(std::vector<std::string>& items, int32_t first, int32_t last);
void QuickSortDescending(std::vector<std::string>& items, int32_t first, int32_t last);

// Rounds half to the even neighbour, as VB's CInt and Round do.
int32_t RoundHalfEven(double value);

}  // namespace tarnwell::dialog
