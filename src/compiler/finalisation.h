// Grid finalisation, reserved places and competition codes.
#ifndef SC_COMPILER_FINALISATION_H_
#define SC_COMPILER_FINALISATION_H_

#include <optional>
#include <string>

#include "compiler/compilation.h"
#include "model/run_state.h"

namespace sc {

// The main pass over the grid: markers before signals near slowdown warnings,
// before and through slowdowns and before the next signal (codes 11 to 13,
// the last failure winning). Needs a grid.
void FinaliseGrid(TrackGrid& grid, RunState& state);

// The reserved places and the competition codes. Returns "1250" or "1251"
// when a reserved place is already set; the run must then show
// " Errore n. " and that text and end without writing a compiled file.
std::optional<std::string> FillReservedPlaces(TrackGrid& grid, StationTable& stations);

// codice_gara_st and codice_gara_og from slot 86's and slot 85's names.
int32_t CodiceGaraSt(const StationTable& stations);
int16_t CodiceGaraOg(const StationTable& stations);

}  // namespace sc

#endif  // SC_COMPILER_FINALISATION_H_
