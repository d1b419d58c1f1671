// The grid cell that stands for a station: the cell of its end marker, the
// one cell of kind 10 whose value_a points at the station's slot.
#ifndef SC_PRESENT_STATION_CELL_H_
#define SC_PRESENT_STATION_CELL_H_

#include <cstdint>
#include <optional>
#include <vector>

#include "model/track_grid.h"

namespace sc {

// The end-marker cell of the station in `slot`, or nullopt when the grid
// holds none for it (a kind of 25 or above is not marked).
std::optional<int64_t> StationMarkerCell(const std::vector<TrackCell>& cells, int slot);

}  // namespace sc

#endif  // SC_PRESENT_STATION_CELL_H_
