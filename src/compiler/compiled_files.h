// The compiled files the simulator loads: route plan, station file and grid
// file, little-endian, no headers, each replaced whole.
#ifndef SC_COMPILER_COMPILED_FILES_H_
#define SC_COMPILER_COMPILED_FILES_H_

#include <string>

#include "compiler/compilation.h"
#include "model/run_state.h"
#include "platform/env.h"

namespace sc {

std::string EncodeStationFile(const StationTable& stations);
std::string EncodeGridFile(const TrackGrid& grid);
// Streams the route plan into `file` in large blocks.
Status WriteRoutePlan(const RoutePlan& plan, ReplacingFile& file);

// File names: "<line>_linea.dat", "<line>_<train>.sim", "<line>_<train>.dat".
std::string RoutePlanFileName(const RunState& state);
std::string StationFileName(const RunState& state);
std::string GridFileName(const RunState& state);

// Writes the route plan (when compile_flag is non-zero and a plan exists),
// the station file and the grid file into `folder`, in that order.
Status WriteCompiledFiles(Env& env, const std::string& folder, const RunState& state,
                          const Compilation& compilation);

}  // namespace sc

#endif  // SC_COMPILER_COMPILED_FILES_H_
