// The track grid: one cell per 50 m of track, from the route start to 7000 m
// beyond its end, index 0 to U with U = round((route length + 7000) / 50).
// Each cell says which trackside object stands there and carries the
// per-position profiles.
#ifndef SC_MODEL_TRACK_GRID_H_
#define SC_MODEL_TRACK_GRID_H_

#include <cstddef>
#include <cstdint>
#include <vector>

namespace sc {

// Metres of track per grid cell.
constexpr int64_t kCellMetres = 50;
// The grid, and the route plan with it, run this far beyond the route's end.
constexpr int64_t kTrackBeyondRoute = 7000;

// A distance in metres counted in cells, unrounded.
inline double CellsIn(int64_t metres) {
  return static_cast<double>(metres) / static_cast<double>(kCellMetres);
}

// What stands in a cell (the cell's `kind`).
enum CellKind : uint8_t {
  kKindFree = 0,
  kKindSignal = 1,
  kKindSlowdownEnd = 2,
  kKindSlowdownStart = 3,
  kKindSlowdownWarning = 4,
  kKindApproachBoard = 5,
  kKindMaxSpeedBoard = 6,
  kKindStationEnd = 10,
  kKindMountainMarker = 11,  // overwritable: counts as free
  kKindMarker = 12,          // finalisation marker or "abbattimento" record
  kKindAbbattimentoZero = 13,
  kKindSign = 14,
};

// One track cell, fields in the order they are stored in the grid file.
struct TrackCell {
  uint8_t kind = 0;
  int16_t value_a = 0;
  int16_t value_b = 0;
  int16_t value_c = 0;
  int16_t value_d = 0;
  uint8_t timing = 0;
  uint8_t countdown = 0;
  uint8_t mountain = 0;
  uint8_t speed_code = 0;
  uint8_t gradient_code = 0;
  uint8_t adhesion = 0;

  bool operator==(const TrackCell&) const = default;
};

class TrackGrid {
 public:
  // A grid of cells 0..upper, all zero. `upper` must be >= 0.
  explicit TrackGrid(int32_t upper) : cells_(static_cast<size_t>(upper) + 1) {}

  // The grid's upper bound U.
  int32_t upper() const { return static_cast<int32_t>(cells_.size()) - 1; }
  bool contains(int64_t index) const { return index >= 0 && index <= upper(); }

  // Cell `index`; the caller guarantees contains(index).
  TrackCell& at(int64_t index) { return cells_[static_cast<size_t>(index)]; }
  const TrackCell& at(int64_t index) const { return cells_[static_cast<size_t>(index)]; }

  // A cell is free when its kind is 0 or 11. A cell outside the grid is never
  // free, so every placement check fails there instead of writing outside.
  bool is_free(int64_t index) const {
    if (!contains(index)) return false;
    uint8_t k = at(index).kind;
    return k == kKindFree || k == kKindMountainMarker;
  }

  const std::vector<TrackCell>& cells() const { return cells_; }

 private:
  std::vector<TrackCell> cells_;
};

// U for a route length: round((route_length + 7000) / 50), halves to even.
int64_t GridUpperFor(int64_t route_length);

// The two rules that take a position in metres to a cell. They differ by
// one, and each record follows one of them:
//  - the object cell, round(p / 50 + 1): signals, slowdown cells, maximum-
//    speed boards, signs;
//  - the profile cell, round(p / 50): where a speed, gradient or adhesion
//    record's value starts, a mountain range's first cell, an abbattimento
//    cell, the nearest approach board of a slowdown.
// Halves go to the even neighbour.
int64_t CellOf(int64_t position);
int64_t ProfileCellOf(int64_t position);
// The last cell of a mountain range ending at `position`: round(p / 50 - 1).
int64_t RangeLastCellOf(int64_t position);

// The inverse of CellOf: the metre an object standing in `cell` is at.
int64_t ObjectMetreOf(int64_t cell);
// The inverse of ProfileCellOf: the metre a profile value of `cell` starts at.
int64_t ProfileMetreOf(int64_t cell);
// Where CellOf's cells meet, for a metre that need not be whole: `cell`
// takes the metres above `metre` up to the next cell's start, and `metre`
// itself when `included` (halves go to the even cell).
struct CellStart {
  double metre = 0;
  bool included = false;
};
CellStart ObjectCellStart(int64_t cell);

// Which of the rules a field of a record follows (kNone: it names no cell).
enum class CellRule : uint8_t { kNone, kObject, kProfile };
int64_t CellByRule(CellRule rule, int64_t position);

// The value conversions of the grid's profile bytes, named once: the speed
// profile stores km/h / 5 (rounded), the gradient profile value + 100; both
// keep their low 8 bits.
inline constexpr int64_t kSpeedStep = 5;
inline constexpr int64_t kGradientOffset = 100;
// The speed code of `kmh` before it is cut to a byte: round(kmh / 5).
int64_t SpeedCodeOf(int64_t kmh);
inline int64_t SpeedOfCode(int64_t code) { return code * kSpeedStep; }
// The gradient code before it is cut to a byte: value + 100.
inline int64_t GradientCodeOf(int64_t gradient) { return gradient + kGradientOffset; }
inline int64_t GradientOfCode(int64_t code) { return code - kGradientOffset; }

}  // namespace sc

#endif  // SC_MODEL_TRACK_GRID_H_
