// The cell encoders: they place signals, slowdowns, maximum-speed boards and
// mountain ranges on the track grid. Each checks its target cells first, in a
// fixed order, and at the first taken cell returns that check's error code
// without further writes; 0 means placed. The caller records the error
// position. A cell outside the grid counts as taken; writes that need no check
// (countdown marks, mountain cells) are skipped outside the grid.
#ifndef SC_MODEL_ENCODERS_H_
#define SC_MODEL_ENCODERS_H_

#include <cstdint>
#include <vector>

#include "model/provenance.h"
#include "model/run_state.h"
#include "model/track_grid.h"

namespace sc {

// Each encoder also takes an optional provenance recorder (null: none): the
// cells it writes are attributed to the recorder's current record.

// The mountain ranges placed so far; index 0 is never used. Grows without
// limit.
struct MountainRanges {
  std::vector<int32_t> starts{0};
  std::vector<int32_t> ends{0};
  int32_t count() const { return static_cast<int32_t>(starts.size()) - 1; }
  void Reset() {
    starts.assign(1, 0);
    ends.assign(1, 0);
  }
};

// memo_montagna: a mountain range from `inizio` to `fine` of type `tipo`
// (above 10: a tunnel range, which marks every 4th cell with kind 11).
// Returns 0, or 25 when the 32-bit arithmetic overflows.
ErrorCode MemoMontagna(TrackGrid& grid, MountainRanges& ranges, int32_t inizio, int32_t fine,
                       int32_t tipo, Provenance* provenance = nullptr);

// A slowdown's warning board stands this far before its start; a slowdown
// starting at or before kNoWarningLimit gets neither warning nor approach
// boards.
inline constexpr int32_t kWarningDistance = 1200;
inline constexpr int32_t kNoWarningLimit = 1500;

// The packings the encoders store, named once for the encoders and for the
// warnings that compare them with what was written.
// A signal's k-th countdown mark (k = 1 to 4) before it cut to 8 bits:
// (sx x 3 + dx) x 10 + k.
inline int64_t SignalCountdownMark(int64_t sx, int64_t dx, int k) { return (sx * 3 + dx) * 10 + k; }
// A signal's stored time: 1 to 100 are raised to 101.
inline int32_t SignalTime(int32_t tempo) { return tempo >= 1 && tempo <= 100 ? 101 : tempo; }
// A maximum-speed board's speed pair d / 5 + s x 20, unrounded.
inline double BoardSpeedPair(int32_t s, int32_t d) {
  return static_cast<double>(d) / 5.0 + static_cast<double>(s) * 20.0;
}

// memo_rallentamento: a slowdown starting at x of length l with speed v.
// Returns 0, 17, 18, 19 or 20 (steps before an approach-board failure stay
// done), or 25 when the 32-bit arithmetic overflows.
ErrorCode MemoRallentamento(TrackGrid& grid, int32_t x, int16_t v, int32_t l, int16_t f_tt,
                            int32_t f_ta, int32_t d_v, Provenance* provenance = nullptr);

// memo_segnale: a signal at `posizione`. May raise `tempo` to 101 (1..100).
// Returns 0 or 16.
ErrorCode MemoSegnale(TrackGrid& grid, int32_t posizione, int32_t sx, int32_t s1, int32_t s2,
                      int32_t s3, int32_t rapp, int32_t dx, int32_t d1, int32_t d2, int32_t d3,
                      int32_t& tempo, Provenance* provenance = nullptr);

// memo_indicatori_v_max: a maximum-speed board at `posizione`. Returns 0 or 21.
ErrorCode MemoIndicatoriVMax(TrackGrid& grid, int32_t posizione, int32_t vas, int32_t vbs,
                             int32_t vcs, int16_t strisces, int32_t vad, int32_t vbd, int32_t vcd,
                             int16_t strisced, Provenance* provenance = nullptr);

// A maximum-speed board's speed pair as the board stores it:
// round(d / 5 + s * 20), kept to 16 bits.
int16_t PackBoardSpeeds(int32_t s, int32_t d);

// minimo: y when x > y, otherwise x.
template <typename T>
T Minimo(T x, T y) {
  return x > y ? y : x;
}

}  // namespace sc

#endif  // SC_MODEL_ENCODERS_H_
