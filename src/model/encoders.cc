#include "model/encoders.h"

#include <algorithm>
#include <cstdint>

#include "model/rounding.h"
#include "model/run_state.h"

namespace sc {
namespace {

constexpr int kApproachBoards = 4;

// Ranges starting this close after the previous one's end get type 3.
constexpr int64_t kJoinDistance = 150;
constexpr int32_t kJoinedType = 3;
constexpr int32_t kTunnelOffset = 10;
constexpr int64_t kTunnelMarkerStep = 4;


// The mountain cells first..last, visited in order with n counting from 1;
// cells outside the grid are skipped but still counted.
void MarkMountainCells(TrackGrid& grid, int64_t first, int64_t last, uint8_t type, bool tunnel,
                       Provenance* provenance) {
  int64_t from = std::max<int64_t>(first, 0);
  int64_t to = std::min<int64_t>(last, grid.upper());
  for (int64_t i = from; i <= to; ++i) {
    TrackCell& cell = grid.at(i);
    cell.mountain = type;
    if (provenance) provenance->Wrote(i, CellPart::kMountain);
    int64_t n = i - first + 1;
    if (tunnel && n % kTunnelMarkerStep == 0 && cell.kind == kKindFree) {
      cell.kind = kKindMountainMarker;
      if (provenance) provenance->Wrote(i, CellPart::kObject);
    }
  }
}

}  // namespace

int16_t PackBoardSpeeds(int32_t s, int32_t d) { return Wrap16(RoundToInt(BoardSpeedPair(s, d))); }

ErrorCode MemoMontagna(TrackGrid& grid, MountainRanges& ranges, int32_t inizio, int32_t fine,
                       int32_t tipo, Provenance* provenance) {
  bool joined = false;
  if (ranges.count() >= 1) {
    int64_t gap = static_cast<int64_t>(inizio) - ranges.ends.back();
    if (!FitsLong(gap)) return kErrReadFailure;
    joined = gap <= kJoinDistance;
  }
  bool tunnel = false;
  if (tipo > kTunnelOffset) {
    tunnel = true;
    tipo -= kTunnelOffset;
  }
  ranges.starts.push_back(inizio);
  ranges.ends.push_back(fine);
  // A joined range keeps the tunnel flag but takes type 3.
  if (joined) tipo = kJoinedType;

  int64_t first = ProfileCellOf(inizio);
  int64_t last = RangeLastCellOf(fine);
  if (first > last) return kErrNone;
  MarkMountainCells(grid, first, last, Low8(tipo), tunnel, provenance);
  return kErrNone;
}

ErrorCode MemoRallentamento(TrackGrid& grid, int32_t x, int16_t v, int32_t l, int16_t f_tt,
                            int32_t f_ta, int32_t d_v, Provenance* provenance) {
  int64_t warning_pos = static_cast<int64_t>(x) - kWarningDistance;
  int64_t end_pos = static_cast<int64_t>(x) + l;
  if (!FitsLong(warning_pos) || !FitsLong(end_pos)) return kErrReadFailure;

  int64_t a = CellOf(warning_pos);
  int64_t s = CellOf(x);
  int64_t e = CellOf(end_pos);
  int64_t h = ProfileCellOf(warning_pos);
  bool warning = x > kNoWarningLimit;
  if (!warning) f_ta = 0;

  if (warning && !grid.is_free(a)) return kErrWarningCellTaken;
  if (!grid.is_free(s)) return kErrSlowdownStartTaken;
  if (!grid.is_free(e)) return kErrSlowdownEndTaken;

  const int16_t dv16 = Wrap16(d_v);
  grid.at(e).kind = kKindSlowdownEnd;
  if (d_v != 0) grid.at(e).value_b = dv16;
  grid.at(s).kind = kKindSlowdownStart;
  if (d_v != 0) grid.at(s).value_b = dv16;
  if (warning) {
    TrackCell& cell = grid.at(a);
    cell.kind = kKindSlowdownWarning;
    if (d_v != 0) cell.value_b = dv16;
    cell.value_a = v;
  }
  for (int64_t i : {s, e}) {
    grid.at(i).value_a = v;
    grid.at(i).value_c = f_tt;
  }
  if (provenance) {
    if (warning) provenance->Wrote(a, CellPart::kObject);
    provenance->Wrote(s, CellPart::kObject);
    provenance->Wrote(e, CellPart::kObject);
  }

  if (f_ta == 0) return kErrNone;
  for (int i = 0; i < kApproachBoards; ++i) {
    if (!grid.is_free(h - i)) return kErrApproachBoardsTaken;
  }
  for (int i = 0; i < kApproachBoards; ++i) {
    TrackCell& cell = grid.at(h - i);
    cell.kind = kKindApproachBoard;
    cell.value_a = static_cast<int16_t>(i + 1);
    if (d_v != 0) cell.value_b = static_cast<int16_t>(i + 1);
    if (provenance) provenance->Wrote(h - i, CellPart::kObject);
  }
  return kErrNone;
}

ErrorCode MemoSegnale(TrackGrid& grid, int32_t posizione, int32_t sx, int32_t s1, int32_t s2,
                      int32_t s3, int32_t rapp, int32_t dx, int32_t d1, int32_t d2, int32_t d3,
                      int32_t& tempo, Provenance* provenance) {
  int64_t c = CellOf(posizione);
  if (!grid.is_free(c)) return kErrSignalCellTaken;

  // Computed wide and cut to 16 bits: the same low bits as 16-bit wrapping
  // arithmetic on the low 16 bits of each value.
  TrackCell& cell = grid.at(c);
  cell.kind = kKindSignal;
  cell.value_d = Wrap16(int64_t{rapp} * 10 + int64_t{sx} * 3 + dx);
  cell.value_a = Wrap16(int64_t{s1} * 10 + d1);
  cell.value_b = Wrap16(int64_t{s2} * 10 + d2);
  cell.value_c = Wrap16(int64_t{s3} * 10 + d3);

  tempo = SignalTime(tempo);
  cell.timing = sx == 2 ? Low8(tempo) : 0;
  if (provenance) provenance->Wrote(c, CellPart::kObject);

  for (int k = 1; k <= 4; ++k) {
    int64_t mark = c - 2 * k;
    if (!grid.contains(mark)) continue;  // before the route start: nothing to mark
    grid.at(mark).countdown = Low8(SignalCountdownMark(sx, dx, k));
    if (provenance) provenance->Wrote(mark, CellPart::kCountdown);
  }
  return kErrNone;
}

ErrorCode MemoIndicatoriVMax(TrackGrid& grid, int32_t posizione, int32_t vas, int32_t vbs,
                             int32_t vcs, int16_t strisces, int32_t vad, int32_t vbd, int32_t vcd,
                             int16_t strisced, Provenance* provenance) {
  int64_t c = CellOf(posizione);
  if (!grid.is_free(c)) return kErrMaxSpeedBoardTaken;

  TrackCell& cell = grid.at(c);
  cell.kind = kKindMaxSpeedBoard;
  cell.value_a = PackBoardSpeeds(vas, vad);
  cell.value_b = PackBoardSpeeds(vbs, vbd);
  cell.value_c = PackBoardSpeeds(vcs, vcd);
  cell.value_d = Wrap16(int32_t{strisces} * 10 + strisced);
  if (provenance) provenance->Wrote(c, CellPart::kObject);
  return kErrNone;
}

}  // namespace sc
