// What the preview draws: a compiled scenario reduced to the route length,
// the ground plan points, the track cells and the station table, built either
// from the three compiled files or from a compilation in memory, and the
// trackside objects read out of it.
#ifndef SC_PRESENT_PREVIEW_DATA_H_
#define SC_PRESENT_PREVIEW_DATA_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/compilation.h"
#include "model/station_table.h"
#include "model/track_grid.h"
#include "platform/status.h"

namespace sc {

struct PlanPoint {
  double x = 0;  // metres east of the route start
  double y = 0;  // metres north of the route start
};

struct PreviewData {
  int64_t route_length = 0;  // metres; the profile axis runs from 0 to here
  // One point per metre from metre 0, as far as the plan was computed and
  // finite; nullopt when the scenario has no route plan.
  std::optional<std::vector<PlanPoint>> plan;
  std::vector<TrackCell> cells;
  StationTable stations;
  // A map's track laid in the plan's frame (preview --source), drawn under
  // the plan; empty: none.
  std::vector<PlanPoint> source_track;
  // The map data's credit (Windows-1252), shown with its track wherever it
  // is drawn; empty: the source asks none.
  std::string source_credit;
};

// From the compiled files' bytes into `out`. `plan_bytes` nullopt: no route
// plan. A malformed file is a corruption naming the file's role ("station
// file", "grid file", "route plan") before the decoder's message; `out` is
// then left as it was.
Status PreviewFromCompiledFiles(const std::optional<std::string>& plan_bytes,
                                std::string_view station_bytes, std::string_view grid_bytes,
                                PreviewData* out);

// From a compilation that built a grid (the caller checks compilation.grid).
PreviewData PreviewFromCompilation(const Compilation& compilation);

// ---- Trackside objects ----------------------------------------------------

// Where an object in cell `index` stands: (index - 1) * 50 m.
int64_t ObjectMetre(size_t index);

struct PreviewStation {
  int slot = 0;
  const StationRecord* record = nullptr;
};
struct PreviewCellObject {
  int64_t metre = 0;
  const TrackCell* cell = nullptr;
};
struct PreviewSlowdown {
  int64_t start = 0;  // the start board
  int64_t end = 0;    // the end board (start when no end board follows)
  int speed = 0;      // value_a of the start board
};
struct PreviewSign {
  int64_t metre = 0;
  std::string text;  // Windows-1252 bytes; empty when the slot is out of range
};
struct PreviewKmReference {
  int slot = 0;
  const StationRecord* record = nullptr;
};

struct PreviewObjects {
  // Station slots from 1 up to the first empty record or sign slot.
  std::vector<PreviewStation> stations;
  std::vector<PreviewCellObject> signals;
  // Each start board paired with the next end board.
  std::vector<PreviewSlowdown> slowdowns;
  std::vector<PreviewCellObject> max_speed_boards;
  std::vector<PreviewSign> signs;
  // Slots 81 to 83 that are not all zero.
  std::vector<PreviewKmReference> km_references;
};

// The objects of `data`, in order along the route. Points into `data`.
PreviewObjects CollectObjects(const PreviewData& data);

}  // namespace sc

#endif  // SC_PRESENT_PREVIEW_DATA_H_
