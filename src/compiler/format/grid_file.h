// The grid file, "<line>_<train>.dat": the track cells in index order,
// little-endian, no header. A cell is 15 bytes: kind, value_a to value_d
// (2 bytes each), timing, countdown, mountain, speed_code, gradient_code and
// adhesion (1 byte each).
#ifndef SC_COMPILER_FORMAT_GRID_FILE_H_
#define SC_COMPILER_FORMAT_GRID_FILE_H_

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "model/track_grid.h"
#include "platform/status.h"

namespace sc {

constexpr size_t kGridCellBytes = 15;

std::string EncodeGridFile(const TrackGrid& grid);

// The track cells in index order. The size must be a non-zero multiple of
// kGridCellBytes; otherwise a corruption whose message ends "at byte offset N".
Status DecodeGridFile(std::string_view bytes, std::vector<TrackCell>* out);

}  // namespace sc

#endif  // SC_COMPILER_FORMAT_GRID_FILE_H_
