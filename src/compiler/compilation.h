// What a compile builds: the track grid, the station table and the route
// plan, with the readers' shared counters.
#ifndef SC_COMPILER_COMPILATION_H_
#define SC_COMPILER_COMPILATION_H_

#include <cstddef>
#include <cstdint>
#include <optional>

#include "model/encoders.h"
#include "model/provenance.h"
#include "model/route_plan.h"
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
  // Optional: records which input record wrote each cell (null: not asked).
  Provenance* provenance = nullptr;
  // The record of who wrote each cell that the diagnostics' notes read when
  // nobody asked for `provenance`; kept only while diagnostics are collected.
  Provenance writers_for_notes;

  // The recorder the readers feed: `provenance` when asked for, otherwise
  // `writers_for_notes` while diagnostics are collected, otherwise none.
  Provenance* Recorder(bool diagnostics) {
    if (provenance) return provenance;
    return diagnostics ? &writers_for_notes : nullptr;
  }
};

}  // namespace sc

#endif  // SC_COMPILER_COMPILATION_H_
