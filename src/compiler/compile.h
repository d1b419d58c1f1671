// The whole compile of a scenario from its two text descriptions, up to
// (not including) writing the compiled files.
#ifndef SC_COMPILER_COMPILE_H_
#define SC_COMPILER_COMPILE_H_

#include <optional>
#include <string>

#include "compiler/compilation.h"
#include "compiler/diagnostic.h"
#include "compiler/finalisation.h"
#include "model/run_state.h"

namespace sc {

struct CompileInput {
  std::string line_file_name;            // names the input in diagnostics
  std::optional<std::string> line_text;  // nullopt: the file does not exist
  std::string train_file_name;
  std::optional<std::string> train_text;  // nullopt: missing (a read failure)
};

struct CompileOutcome {
  bool line_file_read = false;   // the line description was opened
  bool train_file_read = false;  // the train and service file was opened
  bool read_failed = false;      // code 25: both text files count as consumed
  // A reserved place was already set; no compiled file may be written.
  std::optional<ReservedPlaceMessage> message;
};

// Sets the error code to 0 (the compile flag is taken from `state`), clears
// the station table, reads both descriptions, and when a grid exists
// finalises it and fills the reserved places and competition codes.
// Warnings, and notes to the error, go to `diagnostics` when given.
CompileOutcome CompileScenario(const CompileInput& input, RunState& state, Compilation& compilation,
                               DiagnosticSink* diagnostics = nullptr);

// Whether the compiled files are to be written: there is a grid and no
// reserved-place message ended the run.
inline bool HasCompiledOutput(const CompileOutcome& outcome, const Compilation& compilation) {
  return !outcome.message && compilation.grid.has_value();
}

}  // namespace sc

#endif  // SC_COMPILER_COMPILE_H_
