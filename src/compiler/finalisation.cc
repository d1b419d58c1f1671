// Placeholder: the finalisation lands with its own work.
#include "compiler/finalisation.h"

namespace sc {

void FinaliseGrid(TrackGrid&, RunState&) {}
std::optional<std::string> FillReservedPlaces(TrackGrid&, StationTable&) { return std::nullopt; }
int32_t CodiceGaraSt(const StationTable&) { return 0; }
int16_t CodiceGaraOg(const StationTable&) { return 0; }

}  // namespace sc
