// What a compile builds: the track grid, the station table and the route
// plan, with the readers' shared counters.
#ifndef SC_COMPILER_COMPILATION_H_
#define SC_COMPILER_COMPILATION_H_

#include <cstddef>
#include <cstdint>
#include <optional>

#include "compiler/placements.h"
#include "compiler/route_plan.h"
#include "model/encoders.h"
#include "model/provenance.h"
#include "model/station_table.h"
#include "model/track_grid.h"

namespace sc {

struct Compilation {
  StationTable stations;
  std::optional<TrackGrid> grid;  // created by the line description reader
  std::optional<RoutePlan> plan;  // only when the plan is requested
  MountainRanges mountains;
  // The next free sign slot (80 down); the train reader stops stations below it.
  int32_t next_sign_slot = kFirstSignSlot;
  // Which record placed each cell's object; kept only with diagnostics on.
  CellPlacements placements;
  // Optional: records which input record wrote each cell (null: not asked).
  Provenance* provenance = nullptr;
};

}  // namespace sc

#endif  // SC_COMPILER_COMPILATION_H_
