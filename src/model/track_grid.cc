#include "model/track_grid.h"

#include "model/rounding.h"

namespace sc {

int64_t GridUpperFor(int64_t route_length) {
  return RoundToInt(static_cast<double>(route_length + 7000) / 50.0);
}

int64_t CellOf(int64_t position) { return RoundToInt(static_cast<double>(position) / 50.0 + 1.0); }

}  // namespace sc
