#include "present/station_cell.h"

namespace sc {

std::optional<int64_t> StationMarkerCell(const std::vector<TrackCell>& cells, int slot) {
  for (size_t i = 0; i < cells.size(); ++i) {
    if (cells[i].kind == kKindStationEnd && cells[i].value_a == slot)
      return static_cast<int64_t>(i);
  }
  return std::nullopt;
}

}  // namespace sc
