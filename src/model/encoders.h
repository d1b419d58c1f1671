// The cell encoders: they place signals, slowdowns, maximum-speed boards,
// mountain ranges, signs and abbattimento markers on the track grid. Each
// checks its target cells first, in a fixed order, and at the first taken
// cell stops with that check's error code without further writes. A cell
// outside the grid counts as taken; writes that need no check (countdown
// marks, mountain cells) are skipped outside the grid.
//
// Each returns what it did: the code, the taken cell, every cell it wrote
// (also those written before a failure) and the values its cell fields cut
// or wrapped. The readers turn that one result into their diagnostics and
// into the record of who wrote each cell.
#ifndef SC_MODEL_ENCODERS_H_
#define SC_MODEL_ENCODERS_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "model/provenance.h"
#include "model/run_state.h"
#include "model/track_grid.h"

namespace sc {

// The cells one encoder wrote, in the order written. A cell of the same
// part as the last run's extends that run; a few runs are held in place,
// more (a long tunnel range whose markers skip taken cells) on the heap.
class CellRuns {
 public:
  void Add(CellPart part, int64_t first, int64_t count = 1);
  size_t size() const { return size_ + more_.size(); }
  const CellRun& operator[](size_t i) const { return i < size_ ? in_place_[i] : more_[i - size_]; }

 private:
  CellRun& Last() { return more_.empty() ? in_place_[size_ - 1] : more_.back(); }

  static constexpr size_t kInPlace = 8;
  std::array<CellRun, kInPlace> in_place_;
  size_t size_ = 0;
  std::vector<CellRun> more_;
};

// A value packed from a record's fields (`T` its type before it is fitted)
// and the value its cell field holds: they differ when the field cut or
// wrapped it.
template <typename T>
struct Packed {
  T packed = 0;
  int64_t stored = 0;
  bool cut() const { return packed != static_cast<T>(stored); }
};

// What every encoder returns.
struct Encoded {
  ErrorCode code = kErrNone;  // 0: placed; 25: the 32-bit arithmetic overflowed
  int64_t taken_cell = -1;    // with a taken-cell code: the cell found taken
  CellRuns written;           // every cell written, in order
};

// The packings the encoders store, named once for the encoders, the
// warnings that compare them with what was written, and the decompiler.
// A signal's aspect pair: sx x 3 + dx.
inline int64_t SignalAspects(int64_t sx, int64_t dx) { return sx * 3 + dx; }
// A value and its tens: tens x 10 + units (a signal's s1..s3 with d1..d3,
// its repetition with its aspects; a board's stripes).
inline int64_t PackTens(int64_t tens, int64_t units) { return tens * 10 + units; }
// A signal's k-th countdown mark (k = 1 to 4) before it is cut to 8 bits:
// aspects x 10 + k.
inline int64_t CountdownMarkOf(int64_t aspects, int k) { return PackTens(aspects, k); }
inline int64_t SignalCountdownMark(int64_t sx, int64_t dx, int k) {
  return CountdownMarkOf(SignalAspects(sx, dx), k);
}
// A signal's stored time: 1 to 100 are raised to 101.
inline int32_t SignalTime(int32_t tempo) { return tempo >= 1 && tempo <= 100 ? 101 : tempo; }
// A maximum-speed board's speed pair d / 5 + s x 20, unrounded.
inline double BoardSpeedPair(int32_t s, int32_t d) {
  return static_cast<double>(d) / 5.0 + static_cast<double>(s) * 20.0;
}
// A maximum-speed board's speed pair as the board stores it:
// round(d / 5 + s * 20), kept to 16 bits.
int16_t PackBoardSpeeds(int32_t s, int32_t d);
// A stored speed pair read back: s = floor(packed / 20), d = the rest (0 to
// 19) x 5, so that s x 20 + d / 5 is `packed`. Gives back s and d of every
// pair whose d is a multiple of 5 from 0 to 95.
struct BoardSpeeds {
  int32_t s = 0;
  int32_t d = 0;
};
BoardSpeeds UnpackBoardSpeeds(int32_t packed);

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

struct MountainEncoded : Encoded {
  int64_t first_cell = 0;  // the range's cells; none when last_cell < first_cell
  int64_t last_cell = 0;
  Packed<int64_t> type;  // the type less the tunnel offset, cut to a byte
};

// memo_montagna: a mountain range from `inizio` to `fine` of type `tipo`
// (above 10: a tunnel range, which marks every 4th cell with kind 11).
// Code 0, or 25 when the 32-bit arithmetic overflows.
MountainEncoded MemoMontagna(TrackGrid& grid, MountainRanges& ranges, int32_t inizio, int32_t fine,
                             int32_t tipo);

// A slowdown's warning board stands this far before its start; a slowdown
// starting at or before kNoWarningLimit gets neither warning nor approach
// boards.
inline constexpr int32_t kWarningDistance = 1200;
inline constexpr int32_t kNoWarningLimit = 1500;

struct SlowdownEncoded : Encoded {
  bool warning_board = false;  // false: it starts too early for one (and approach boards)
  Packed<int64_t> last_value;  // d_v in 16 bits
};

// memo_rallentamento: a slowdown starting at x of length l with speed v.
// Code 0, 17, 18, 19 or 20 (steps before an approach-board failure stay
// done), or 25 when the 32-bit arithmetic overflows.
SlowdownEncoded MemoRallentamento(TrackGrid& grid, int32_t x, int16_t v, int32_t l, int16_t f_tt,
                                  int32_t f_ta, int32_t d_v);

struct SignalEncoded : Encoded {
  // Filled when placed:
  Packed<int64_t> pairs[3];  // s1..s3 with d1..d3 in 16 bits
  Packed<int64_t> aspects;   // rapp with sx x 3 + dx in 16 bits
  Packed<int64_t> marks[4];  // the countdown marks 1 to 4 in 8 bits
  Packed<int64_t> time;      // for a timed signal (sx 2): the time read, as raised
  Packed<int64_t> timing;    // for a timed signal: the raised time in its 8-bit field
};

// memo_segnale: a signal at `posizione`; the time is kept only when sx is 2.
// Code 0 or 16.
SignalEncoded MemoSegnale(TrackGrid& grid, int32_t posizione, int32_t sx, int32_t s1, int32_t s2,
                          int32_t s3, int32_t rapp, int32_t dx, int32_t d1, int32_t d2, int32_t d3,
                          int32_t tempo);

struct BoardEncoded : Encoded {
  // Filled when placed:
  Packed<double> speeds[3];  // the pairs a, b, c as a whole number in 16 bits
  Packed<int64_t> stripes;   // strisces with strisced in 16 bits
};

// memo_indicatori_v_max: a maximum-speed board at `posizione`. Code 0 or 21.
BoardEncoded MemoIndicatoriVMax(TrackGrid& grid, int32_t posizione, int32_t vas, int32_t vbs,
                                int32_t vcs, int16_t strisces, int32_t vad, int32_t vbd,
                                int32_t vcd, int16_t strisced);

// A sign at `position` whose cell points at station slot `slot` (kind 14).
// Code 0 or 6.
Encoded EncodeSign(TrackGrid& grid, int32_t position, int32_t slot);

struct AbbattimentoEncoded : Encoded {
  Packed<int64_t> value;  // in 16 bits; a value below 1 is not stored (0)
};

// An abbattimento at `position`, in its profile cell: a positive value as
// kind 12 carrying it, anything else as kind 13. Code 0 or 7.
AbbattimentoEncoded EncodeAbbattimento(TrackGrid& grid, int32_t position, int32_t value);

// minimo: y when x > y, otherwise x.
template <typename T>
T Minimo(T x, T y) {
  return x > y ? y : x;
}

}  // namespace sc

#endif  // SC_MODEL_ENCODERS_H_
