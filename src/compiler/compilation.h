// What a compile builds: the track grid, the station table and the route
// plan, with the readers' shared counters.
#ifndef SC_COMPILER_COMPILATION_H_
#define SC_COMPILER_COMPILATION_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "model/encoders.h"
#include "model/provenance.h"
#include "model/station_table.h"
#include "model/track_grid.h"

namespace sc {

// The route plan: the ground plan of the track, one (x, y) point per metre,
// metres 0 to last_metre (route length + 7000). Metres 0 and 1 hold the
// 16-bit starting values (0, 0) and (0, 1); metres 2 to filled - 1 hold
// computed doubles; metres from `filled` on were never computed (empty).
struct RoutePlan {
  explicit RoutePlan(int32_t last) : last_metre(last), x(static_cast<size_t>(last) + 1), y(x.size()) {}
  int32_t last_metre;
  std::vector<double> x;
  std::vector<double> y;
  int64_t filled = 0;
};

struct Compilation {
  StationTable stations;
  std::optional<TrackGrid> grid;  // created by the line description reader
  std::optional<RoutePlan> plan;  // only when the plan is requested
  MountainRanges mountains;
  // The next free sign slot (80 down); the train reader stops stations below it.
  int32_t next_sign_slot = kFirstSignSlot;
  // Optional: records which input record wrote each cell (null: not asked).
  Provenance* provenance = nullptr;
};

}  // namespace sc

#endif  // SC_COMPILER_COMPILATION_H_
