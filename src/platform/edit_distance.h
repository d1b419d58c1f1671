// The Levenshtein distance between two byte strings: how "did you mean"
// suggestions pick the nearest names.
#ifndef SC_PLATFORM_EDIT_DISTANCE_H_
#define SC_PLATFORM_EDIT_DISTANCE_H_

#include <algorithm>
#include <cstddef>
#include <string_view>
#include <vector>

namespace sc {

// Levenshtein distance, giving up (returning limit + 1) once it exceeds limit.
inline size_t EditDistance(std::string_view a, std::string_view b, size_t limit) {
  if ((a.size() > b.size() ? a.size() - b.size() : b.size() - a.size()) > limit) return limit + 1;
  std::vector<size_t> row(b.size() + 1);
  for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    size_t diagonal = row[0];
    row[0] = i;
    for (size_t j = 1; j <= b.size(); ++j) {
      const size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

}  // namespace sc

#endif  // SC_PLATFORM_EDIT_DISTANCE_H_
