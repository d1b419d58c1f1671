// The compiled files the simulator loads, written as a set: route plan,
// station file and grid file, each replaced whole. Their layouts, encoders
// and decoders are in compiler/format/.
#ifndef SC_COMPILER_COMPILED_FILES_H_
#define SC_COMPILER_COMPILED_FILES_H_

#include <string>
#include <vector>

#include "compiler/compilation.h"
#include "compiler/format/grid_file.h"
#include "compiler/format/route_plan_file.h"
#include "compiler/format/station_file.h"
#include "model/run_state.h"
#include "platform/env.h"

namespace sc {

// File names: "<line>_linea.dat", "<line>_<train>.sim", "<line>_<train>.dat".
std::string RoutePlanFileName(const RunState& state);
std::string StationFileName(const RunState& state);
std::string GridFileName(const RunState& state);

// The paths a run writes into `folder`: the route plan (when compile_flag is
// non-zero), the station file and the grid file.
std::vector<std::string> CompiledFilePaths(const std::string& folder, const RunState& state);

// Ok when the compiled files can be written under their names; checked before
// anything is written. Refused: two names that coincide (compared ignoring
// letter case, since the simulator's file system does, so "--train LINEA"
// would put the grid on the route plan) and a name longer than the file
// system allows.
Status CheckCompiledFileNames(Env& env, const std::string& folder, const RunState& state);

// Replaces the compiled files in `folder` as one set: the route plan (when
// compile_flag is non-zero and a plan exists), the station file and the grid
// file.
//  1. Each file is written whole under its temporary name and synced to disk:
//     the route plan on the calling thread, the two small files meanwhile on
//     a second one. Any failure here removes every temporary and leaves the
//     previous set exactly as it was; the message names the first failing
//     file in the order plan, station file, grid file.
//  2. Only then are the temporaries renamed over their targets, one after
//     another: the plan first and the grid last, so that a rename that fails
//     (rare: the folder changed under the run) may leave a new plan beside
//     an old grid, never a new grid beside an old plan. It stops there; the
//     files renamed before it are new, the others old, and the message names
//     the file.
// Readers see each file old or new, never half-written. Keeping concurrent
// runs from mixing their sets is the caller's lock (see OutputLock), not
// this function's.
Status WriteCompiledFiles(Env& env, const std::string& folder, const RunState& state,
                          const Compilation& compilation);

}  // namespace sc

#endif  // SC_COMPILER_COMPILED_FILES_H_
