// Which record placed the object that stands in each grid cell: the place
// of its keyword, what it is and its position, in the author's words. Kept
// only while diagnostics are collected, so that an error or a warning about
// a taken cell can name the record that took it ("the signal at 6400 m").
// The viewer's record of who wrote each part of each cell is a different
// thing: model/provenance.h.
#ifndef SC_COMPILER_PLACEMENTS_H_
#define SC_COMPILER_PLACEMENTS_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "compiler/diagnostic.h"

namespace sc {

struct Placement {
  SourcePlace record;    // the record's keyword field
  std::string object;    // "signal", "slowdown", "sign", ...
  int32_t position = 0;  // metres, as written in the record
};

class CellPlacements {
 public:
  // Starts keeping placements for a grid of `cells` cells (none kept before).
  void Start(size_t cells) {
    placements_.clear();
    cell_placement_.assign(cells, 0);
  }
  bool on() const { return !cell_placement_.empty(); }

  // Adds a placement; returns its number for Mark.
  int32_t Add(Placement placement) {
    placements_.push_back(std::move(placement));
    return static_cast<int32_t>(placements_.size());
  }
  // Records that placement `number` put its object in `cell` (ignored
  // outside the grid or when not kept).
  void Mark(int64_t cell, int32_t number) {
    if (cell >= 0 && static_cast<size_t>(cell) < cell_placement_.size()) {
      cell_placement_[static_cast<size_t>(cell)] = number;
    }
  }
  // The placement whose object stands in `cell`, or null.
  const Placement* At(int64_t cell) const {
    if (cell < 0 || static_cast<size_t>(cell) >= cell_placement_.size()) return nullptr;
    const int32_t number = cell_placement_[static_cast<size_t>(cell)];
    return number == 0 ? nullptr : &placements_[static_cast<size_t>(number) - 1];
  }
  const std::vector<Placement>& placements() const { return placements_; }

 private:
  std::vector<Placement> placements_;
  std::vector<int32_t> cell_placement_;  // 0: no record placed anything there
};

}  // namespace sc

#endif  // SC_COMPILER_PLACEMENTS_H_
