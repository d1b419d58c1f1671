#include "decompiler/irreproducible.h"

#include <algorithm>
#include <utility>

namespace sc {

void IrreproduciblePlaces::Add(IrreproduciblePlace place) {
  size_t kept = 0;
  for (const IrreproduciblePlace& p : shown_) kept += p.file == place.file ? 1 : 0;
  if (kept < kShownPerFile) {
    shown_.push_back(std::move(place));
    return;
  }
  for (auto& [file, count] : more_) {
    if (file == place.file) {
      ++count;
      return;
    }
  }
  more_.emplace_back(place.file, 1);
}

void IrreproduciblePlaces::AddAll(const IrreproduciblePlaces& other) {
  for (const IrreproduciblePlace& p : other.shown_) Add(p);
  for (const auto& entry : other.more_) {
    auto it = std::find_if(more_.begin(), more_.end(),
                           [&](const auto& e) { return e.first == entry.first; });
    if (it == more_.end()) {
      more_.push_back(entry);
    } else {
      it->second += entry.second;
    }
  }
}

uint64_t IrreproduciblePlaces::total() const {
  uint64_t n = shown_.size();
  for (const auto& entry : more_) n += entry.second;
  return n;
}

}  // namespace sc
