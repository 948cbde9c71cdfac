#include "cli/suggest.h"

#include <algorithm>
#include <cctype>

namespace tarnwell::cli {

namespace {

size_t Distance(const std::string& a, const std::string& b) {
  auto lower = [](char c) { return std::tolower(static_cast<unsigned char>(c)); };
  std::vector<size_t> row(b.size() + 1);
  for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    size_t diagonal = row[0];
    row[0] = i;
    for (size_t j = 1; j <= b.size(); ++j) {
      size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (lower(a[i - 1]) == lower(b[j - 1]) ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

}  // namespace

std::string Closest(const std::string& typed, const std::vector<std::string>& names) {
  const size_t near = std::max<size_t>(1, typed.size() / 3);
  std::string best;
  size_t best_distance = near + 1;
  for (const auto& name : names) {
    size_t d = Distance(typed, name);
    if (d < best_distance) {
      best = name;
      best_distance = d;
    }
  }
  return best;
}

}  // namespace tarnwell::cli
