// `scenario-compiler import SOURCE --from STATION --to STATION [--route
// NAME|REF|ID] [--line NAME] [--train NUMBER] [--max-speed KMH] [--out DIR]
// [--force] [--report FILE.json]`: turns map data (OpenStreetMap, GeoJSON or
// GPX) into a line description and a train and service file that compile
// clean, and reports how closely the plan follows the track.
#ifndef SC_COMMANDS_IMPORT_COMMAND_H_
#define SC_COMMANDS_IMPORT_COMMAND_H_

#include <optional>
#include <ostream>
#include <string>

#include "import/curve_fit.h"
#include "import/local_projection.h"
#include "import/scenario_texts.h"
#include "import/source_track.h"
#include "model/run_state.h"
#include "platform/env.h"

namespace sc {

// The train number an import writes when none is given.
inline constexpr char kDefaultImportTrain[] = "1";

struct ImportRequest {
  std::string source;
  std::string from, to;
  std::optional<std::string> route;
  std::optional<std::string> line_name;     // default "FROM - TO"
  std::optional<std::string> train_number;  // default kDefaultImportTrain
  int train_max_kmh = kDefaultTrainMaxKmh;
  std::string out_dir = ".";
  bool force = false;
  std::string report_path;  // empty: no JSON report
};

// A track turned into the two texts, checked by compiling them.
struct ImportResult {
  SourceTrack track;
  ProjectionTransform transform;
  CurveFit fit;
  ScenarioDraft draft;
  std::string line_name, train_number;  // for the file names (the platform's spelling)
  std::string source;                   // the source file's path
  ErrorCode compile_error = kErrNone;
  std::string first_warning;  // the first warning compiling the texts gave, if any
  int warnings = 0;
};

// Fits, writes and compiles the texts for `result->track` (filled by the
// reader). The names default as the command's do.
void BuildImport(const DraftOptions& options, const std::optional<std::string>& line_name,
                 const std::optional<std::string>& train_number, ImportResult* result);

// The fit report, for people and as JSON.
std::string ImportReportText(const ImportResult& result);
std::string ImportReportJson(const ImportResult& result);

// Status 0 when both files were written; 1 for a source that cannot be read
// or imported, texts that would not compile clean, an output that exists
// (without `force`), or a failed write. Nothing is written on failure.
int RunImportCommand(Env& env, const ImportRequest& request, const std::string& program,
                     std::ostream& out, std::ostream& err);

}  // namespace sc

#endif  // SC_COMMANDS_IMPORT_COMMAND_H_
