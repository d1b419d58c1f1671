// Grid finalisation, reserved places and competition codes.
#ifndef SC_COMPILER_FINALISATION_H_
#define SC_COMPILER_FINALISATION_H_

#include <optional>
#include <string>

#include "compiler/competition_codes.h"
#include "compiler/compilation.h"
#include "model/run_state.h"

namespace sc {

// The value of a marker the finalisation places, and the most it leaves in
// a marker cell before a signal it looks back from.
inline constexpr int16_t kFinalMarkerValue = 180;

// The main pass over cells 1 to U - 2: places markers (kind 12, value_a 180)
// before the signals up to 20 cells before a slowdown warning (code 11),
// 5-7, 11-13 and 18-20 cells before a slowdown start (code 12), every 8
// cells through a slowdown slower than 110 (code 13) and before the first
// signal within 12 cells after a slowdown's end (code 13). The error
// position is the cell concerned times 50. A failure does not stop the
// pass; the last one wins. Markers placed earlier are seen by later steps.
// Never reads or writes a cell outside 0..U.
void FinaliseGrid(TrackGrid& grid, RunState& state);

// The message that ends a run without a compiled file because a reserved
// place already held a value; its number is the enumerator's value.
enum class ReservedPlaceMessage {
  kMarkerTaken = 1250,  // slot 85's word_1 or cell 1's value_a
  kCodeTaken = 1251,    // slot 85's time_s or cell 1's value_b
};

// The message as the run shows it: "Errore n. 1250" or "Errore n. 1251".
std::string MessageText(ReservedPlaceMessage message);

// The reserved places and the competition codes: slot 85's word_1 = 610 and
// cell 1's value_a = 5121, then slot 85's time_s = CodiceGaraSt and cell 1's
// value_b = CodiceGaraOg. Returns kMarkerTaken (nothing written) when word_1
// or value_a is already non-zero, or kCodeTaken when time_s or value_b is;
// the run must then show the message and end without writing a compiled
// file. A grid without a cell 1 only gets the station-table writes.
std::optional<ReservedPlaceMessage> FillReservedPlaces(TrackGrid& grid, StationTable& stations);

}  // namespace sc

#endif  // SC_COMPILER_FINALISATION_H_
