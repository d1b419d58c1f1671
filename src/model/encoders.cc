// Placeholder: the encoders land with the track grid work.
#include "model/encoders.h"

namespace sc {

int32_t MemoMontagna(TrackGrid&, MountainRanges&, int32_t, int32_t, int32_t) { return 0; }
int32_t MemoRallentamento(TrackGrid&, int32_t, int16_t, int32_t, int16_t, int32_t, int32_t) { return 0; }
int32_t MemoSegnale(TrackGrid&, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t,
                    int32_t, int32_t, int32_t, int32_t&) { return 0; }
int32_t MemoIndicatoriVMax(TrackGrid&, int32_t, int32_t, int32_t, int32_t, int16_t, int32_t,
                           int32_t, int32_t, int16_t) { return 0; }

}  // namespace sc
