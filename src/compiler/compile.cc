#include "compiler/compile.h"

#include "compiler/finalisation.h"
#include "compiler/line_reader.h"
#include "compiler/train_reader.h"

namespace sc {

CompileOutcome CompileScenario(const CompileInput& input, RunState& state, Compilation& compilation,
                               DiagnosticSink* diagnostics) {
  CompileOutcome outcome;
  state.Fail(kErrNone);
  compilation.stations.Clear();

  if (!input.line_text) {
    // The line description is missing: nothing is read and no grid exists.
    compilation.stations.slots[kSlotBackgrounds].name = state.line_name;
    compilation.stations.slots[kSlotRepetition].name = state.train_number;
    state.Fail(kErrNoLineFile);
    return outcome;
  }
  outcome.line_file_read = true;
  LineReadResult line =
      ReadLineDescription(*input.line_text, input.line_file_name, state, compilation, diagnostics);
  if (line == LineReadResult::kFailed) {
    outcome.read_failed = true;
  } else if (line == LineReadResult::kContinue) {
    outcome.train_file_read = true;
    if (!input.train_text) {
      state.FailAt(kErrReadFailure, input.train_file_name, 0);
      state.error_detail = "the file does not exist";
      outcome.read_failed = true;
    } else if (ReadTrainService(*input.train_text, input.train_file_name, state, compilation,
                                diagnostics) == TrainReadResult::kFailed) {
      outcome.read_failed = true;
    }
  }

  // What follows is the compiler's own doing, not any record's.
  if (compilation.provenance) compilation.provenance->End();
  if (!compilation.grid) return outcome;
  FinaliseGrid(*compilation.grid, state);
  outcome.message = FillReservedPlaces(*compilation.grid, compilation.stations);
  return outcome;
}

}  // namespace sc
