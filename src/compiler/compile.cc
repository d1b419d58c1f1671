#include "compiler/compile.h"

#include <string>
#include <utility>
#include <vector>

#include "compiler/finalisation.h"
#include "compiler/line_reader.h"
#include "compiler/train_reader.h"

namespace sc {
namespace {

// The abbattimento records' cells whose value the finalisation may lower
// (above 180), with that value.
std::vector<std::pair<int64_t, int16_t>> LowerableMarkers(const Compilation& c,
                                                          const Provenance* writers,
                                                          const DiagnosticSink* sink) {
  std::vector<std::pair<int64_t, int16_t>> cells;
  if (!sink || !sink->wants(WarningClass::kStoredValue) || !writers) return cells;
  for (int64_t i = 0; i <= c.grid->upper(); ++i) {
    const PlacedObject* p = writers->ObjectAt(i);
    const TrackCell& cell = c.grid->at(i);
    if (p && p->object == "abbattimento" && cell.kind == kKindMarker &&
        cell.value_a > kFinalMarkerValue) {
      cells.emplace_back(i, cell.value_a);
    }
  }
  return cells;
}

void WarnLoweredMarkers(const Compilation& c, const Provenance& writers,
                        const std::vector<std::pair<int64_t, int16_t>>& before,
                        DiagnosticSink& sink) {
  for (const auto& [i, value] : before) {
    const int16_t now = c.grid->at(i).value_a;
    if (now == value) continue;
    const SourceRecord& r = writers.records()[static_cast<size_t>(writers.ObjectAt(i)->record)];
    sink.Warn(WarningClass::kStoredValue, {r.file, r.line, r.column, r.end_column},
              "the abbattimento value " + std::to_string(value) + " in cell " + std::to_string(i) +
                  " is lowered to " + std::to_string(now) +
                  ": the cell stands just before a signal up to 20 cells before a slowdown "
                  "warning, where the compiler keeps the smaller of its marker value and the "
                  "cell's");
  }
}

}  // namespace

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
  Provenance* writers = compilation.Recorder(diagnostics && diagnostics->on());
  if (writers) writers->End();
  if (!compilation.grid) return outcome;
  const auto lowerable = LowerableMarkers(compilation, writers, diagnostics);
  FinaliseGrid(*compilation.grid, state);
  if (!lowerable.empty()) WarnLoweredMarkers(compilation, *writers, lowerable, *diagnostics);
  outcome.message = FillReservedPlaces(*compilation.grid, compilation.stations);
  return outcome;
}

}  // namespace sc
