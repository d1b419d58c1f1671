// Placeholder: the line description reader lands with its own work.
#include "compiler/line_reader.h"

namespace sc {

LineReadResult ReadLineDescription(std::string_view, const std::string&, RunState& state,
                                   Compilation& compilation) {
  compilation.stations.slots[kSlotBackgrounds].name = state.line_name;
  compilation.stations.slots[kSlotRepetition].name = state.train_number;
  return LineReadResult::kStopped;
}

}  // namespace sc
