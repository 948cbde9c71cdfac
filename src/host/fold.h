#pragma once
// Comparing names without regard to case, as the C locale folds them, which
// is all Tarnwell runs in: Automation's member names and Word's style names.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tarnwell::host {

inline char FoldAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// For tables looked up by the name in hand, with no folded copy made.
struct FoldedHash {
  using is_transparent = void;
  size_t operator()(std::string_view s) const {
    uint64_t h = 1469598103934665603ull;
    for (char c : s) h = (h ^ static_cast<unsigned char>(FoldAscii(c))) * 1099511628211ull;
    return static_cast<size_t>(h);
  }
};
struct FoldedEqual {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
      if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
    }
    return true;
  }
};

}  // namespace tarnwell::host
