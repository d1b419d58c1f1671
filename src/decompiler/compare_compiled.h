// The comparison behind a decompile's promise: what compiling its texts
// built, set against the compiled files it came from, field by field. Each
// differing field is one place: the file, the byte offset where the field is
// stored there, its name, and both values.
#ifndef SC_DECOMPILER_COMPARE_COMPILED_H_
#define SC_DECOMPILER_COMPARE_COMPILED_H_

#include <string>
#include <string_view>
#include <vector>

#include "compiler/format/route_plan_file.h"
#include "decompiler/irreproducible.h"
#include "model/route_plan.h"
#include "model/station_table.h"
#include "model/track_grid.h"

namespace sc {

// `file` holds `stored`; the compile built `built`.
void CompareStationTables(const std::string& file, const StationTable& stored,
                          const StationTable& built, IrreproduciblePlaces* places);
void CompareGrids(const std::string& file, const std::vector<TrackCell>& stored,
                  const TrackGrid& built, IrreproduciblePlaces* places);
// `opened` is a reader of the stored route plan just opened
// (RoutePlanReader::Open checked the layout).
void ComparePlans(const std::string& file, const RoutePlanReader& opened, const RoutePlan& built,
                  IrreproduciblePlaces* places);

}  // namespace sc

#endif  // SC_DECOMPILER_COMPARE_COMPILED_H_
