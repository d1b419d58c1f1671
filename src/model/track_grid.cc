#include "model/track_grid.h"

#include "model/rounding.h"

namespace sc {

int64_t GridUpperFor(int64_t route_length) {
  return RoundToInt(CellsIn(route_length + kTrackBeyondRoute));
}

int64_t CellOf(int64_t position) { return RoundToInt(CellsIn(position) + 1.0); }

}  // namespace sc
