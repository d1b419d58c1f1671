#include "model/track_grid.h"

#include "model/rounding.h"

namespace sc {

int64_t GridUpperFor(int64_t route_length) {
  return RoundToInt(CellsIn(route_length + kTrackBeyondRoute));
}

int64_t CellOf(int64_t position) { return RoundToInt(CellsIn(position) + 1.0); }

int64_t ProfileCellOf(int64_t position) { return RoundToInt(CellsIn(position)); }

int64_t RangeLastCellOf(int64_t position) { return RoundToInt(CellsIn(position) - 1.0); }

int64_t ObjectMetreOf(int64_t cell) { return (cell - 1) * kCellMetres; }

int64_t ProfileMetreOf(int64_t cell) { return cell * kCellMetres; }

CellStart ObjectCellStart(int64_t cell) {
  // Half a cell before the cell's own metre; that metre is whole, as a cell
  // has an even number of metres.
  const int64_t start = ObjectMetreOf(cell) - kCellMetres / 2;
  return CellStart{static_cast<double>(start), CellOf(start) == cell};
}

int64_t CellByRule(CellRule rule, int64_t position) {
  return rule == CellRule::kObject ? CellOf(position) : ProfileCellOf(position);
}

int64_t SpeedCodeOf(int64_t kmh) {
  return RoundToInt(static_cast<double>(kmh) / static_cast<double>(kSpeedStep));
}

}  // namespace sc
