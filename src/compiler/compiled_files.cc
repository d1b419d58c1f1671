// Placeholder: the compiled files land with the line description work.
#include "compiler/compiled_files.h"

namespace sc {

std::string EncodeStationFile(const StationTable&) { return {}; }
std::string EncodeGridFile(const TrackGrid&) { return {}; }
Status WriteRoutePlan(const RoutePlan&, ReplacingFile&) { return Status::Ok(); }
std::string RoutePlanFileName(const RunState& s) { return s.line_name + "_linea.dat"; }
std::string StationFileName(const RunState& s) { return s.line_name + "_" + s.train_number + ".sim"; }
std::string GridFileName(const RunState& s) { return s.line_name + "_" + s.train_number + ".dat"; }
Status WriteCompiledFiles(Env&, const std::string&, const RunState&, const Compilation&) {
  return Status::Ok();
}

}  // namespace sc
