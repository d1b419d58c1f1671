// What the presentation commands (preview, view) show: a scenario read from
// the three compiled files or compiled in memory from the two text files,
// with where it came from and what the compile reported.
#ifndef SC_COMMANDS_SCENARIO_SOURCE_H_
#define SC_COMMANDS_SCENARIO_SOURCE_H_

#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "commands/diagnostic_options.h"
#include "compiler/compilation.h"
#include "compiler/diagnostic.h"
#include "model/provenance.h"
#include "model/run_state.h"
#include "platform/env.h"
#include "present/preview_data.h"

namespace sc {

// The scenario a presentation command shows, as its command line gives it.
struct ScenarioFiles {
  // From compiled files: {route plan, station file, grid file}, or
  // {station file, grid file} when there is no route plan. The route plan may
  // also be given as "-" for none.
  std::vector<std::string> compiled;
  // Otherwise: the two text descriptions.
  std::string line_file;
  std::string train_file;
};

struct SourceRequest : ScenarioFiles {
  // Record which record wrote each cell (text files only).
  bool record_provenance = false;
  // Which warnings to show and how (text files only).
  DiagnosticOptions diagnostics;
  // Keep what the compile built, to write it (text files only).
  bool keep_compilation = false;
};

struct ScenarioSource {
  std::optional<PreviewData> data;  // nullopt: nothing to show
  int status = 0;                   // the command's exit status so far
  // Why nothing is shown, when no diagnostic says so (a file not read, a
  // name not usable, the reserved-place message); "" otherwise.
  std::string problem;
  std::string folder;               // where the output goes by default
  std::string line_name, train_number;
  std::vector<std::string> inputs;  // never to be overwritten
  // From text files: their names and bytes, the compile's outcome, and the
  // provenance when requested.
  std::vector<std::pair<std::string, std::string>> texts;
  std::optional<RunState> compile_state;
  std::unique_ptr<Provenance> provenance;
  // Every warning and the error the compile reported, as shown on `err`.
  std::vector<Diagnostic> diagnostics;
  // What the compile built, when asked to keep it and no message ended it.
  std::unique_ptr<Compilation> compilation;
};

// Reads or compiles the scenario. Problems go to `err` as one line each; the
// one that leaves nothing to show is also kept in `problem`.
ScenarioSource LoadScenario(Env& env, const SourceRequest& request, std::ostream& err);

// The shared end of the presentation commands: renders the page, writes it
// to `requested`, or to "<line>_<train><suffix>" in the source's folder, and
// says "wrote PATH" on `out`. Returns the source's status, or kExitUsageOrIo
// (told on `err`) when there is no usable default name, the path is one of
// the inputs (nothing is written over an input) or the write fails.
int WritePresentation(Env& env, const std::string& requested, const std::string& suffix,
                      const ScenarioSource& source, const std::function<std::string()>& render,
                      std::ostream& out, std::ostream& err);

}  // namespace sc

#endif  // SC_COMMANDS_SCENARIO_SOURCE_H_
