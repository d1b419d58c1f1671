#include "model/encoders.h"

#include <algorithm>
#include <cstdint>

#include "model/rounding.h"
#include "model/run_state.h"

namespace sc {
namespace {

constexpr int kApproachBoards = 4;
constexpr int kCountdownMarks = 4;

// Ranges starting this close after the previous one's end get type 3.
constexpr int64_t kJoinDistance = 150;
constexpr int32_t kJoinedType = 3;
constexpr int32_t kTunnelOffset = 10;
constexpr int64_t kTunnelMarkerStep = 4;

template <typename T>
Packed<T> Fitted(T packed, int64_t stored) {
  return {packed, stored};
}

// True, with `code` and the cell in `result`, when `cell` is taken.
bool Taken(const TrackGrid& grid, int64_t cell, ErrorCode code, Encoded& result) {
  if (grid.is_free(cell)) return false;
  result.code = code;
  result.taken_cell = cell;
  return true;
}

// The mountain cells first..last, visited in order with n counting from 1;
// cells outside the grid are skipped but still counted.
void MarkMountainCells(TrackGrid& grid, int64_t first, int64_t last, uint8_t type, bool tunnel,
                       CellRuns& written) {
  const int64_t from = std::max<int64_t>(first, 0);
  const int64_t to = std::min<int64_t>(last, grid.upper());
  if (from > to) return;
  written.Add(CellPart::kMountain, from, to - from + 1);
  for (int64_t i = from; i <= to; ++i) {
    TrackCell& cell = grid.at(i);
    cell.mountain = type;
    const int64_t n = i - first + 1;
    if (tunnel && n % kTunnelMarkerStep == 0 && cell.kind == kKindFree) {
      cell.kind = kKindMountainMarker;
      written.Add(CellPart::kObject, i);
    }
  }
}

}  // namespace

void CellRuns::Add(CellPart part, int64_t first, int64_t count) {
  if (size() > 0 && count == 1) {
    CellRun& last = Last();
    if (last.part == part && (last.count == 1 || first == last.first + last.count * last.step)) {
      if (last.count == 1) last.step = first - last.first;
      ++last.count;
      return;
    }
  }
  const CellRun run{part, first, count, 1};
  if (size_ < kInPlace && more_.empty()) {
    in_place_[size_++] = run;
  } else {
    more_.push_back(run);
  }
}

int16_t PackBoardSpeeds(int32_t s, int32_t d) { return Wrap16(RoundToInt(BoardSpeedPair(s, d))); }

BoardSpeeds UnpackBoardSpeeds(int32_t packed) {
  int32_t s = packed / 20;
  if (packed % 20 != 0 && packed < 0) --s;
  return {s, (packed - s * 20) * 5};
}

MountainEncoded MemoMontagna(TrackGrid& grid, MountainRanges& ranges, int32_t inizio, int32_t fine,
                             int32_t tipo) {
  MountainEncoded result;
  bool joined = false;
  if (ranges.count() >= 1) {
    int64_t gap = static_cast<int64_t>(inizio) - ranges.ends.back();
    if (!FitsLong(gap)) {
      result.code = kErrReadFailure;
      return result;
    }
    joined = gap <= kJoinDistance;
  }
  bool tunnel = false;
  if (tipo > kTunnelOffset) {
    tunnel = true;
    tipo -= kTunnelOffset;
  }
  result.type = Fitted<int64_t>(tipo, Low8(tipo));
  ranges.starts.push_back(inizio);
  ranges.ends.push_back(fine);
  // A joined range keeps the tunnel flag but takes type 3.
  if (joined) tipo = kJoinedType;

  result.first_cell = ProfileCellOf(inizio);
  result.last_cell = RangeLastCellOf(fine);
  if (result.first_cell > result.last_cell) return result;
  MarkMountainCells(grid, result.first_cell, result.last_cell, Low8(tipo), tunnel, result.written);
  return result;
}

SlowdownEncoded MemoRallentamento(TrackGrid& grid, int32_t x, int16_t v, int32_t l, int16_t f_tt,
                                  int32_t f_ta, int32_t d_v) {
  SlowdownEncoded result;
  const int16_t dv16 = Wrap16(d_v);
  result.last_value = Fitted<int64_t>(d_v, dv16);
  int64_t warning_pos = static_cast<int64_t>(x) - kWarningDistance;
  int64_t end_pos = static_cast<int64_t>(x) + l;
  if (!FitsLong(warning_pos) || !FitsLong(end_pos)) {
    result.code = kErrReadFailure;
    return result;
  }

  int64_t a = CellOf(warning_pos);
  int64_t s = CellOf(x);
  int64_t e = CellOf(end_pos);
  int64_t h = ProfileCellOf(warning_pos);
  const bool warning = x > kNoWarningLimit;
  result.warning_board = warning;
  if (!warning) f_ta = 0;

  if (warning && Taken(grid, a, kErrWarningCellTaken, result)) return result;
  if (Taken(grid, s, kErrSlowdownStartTaken, result)) return result;
  if (Taken(grid, e, kErrSlowdownEndTaken, result)) return result;

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
  if (warning) result.written.Add(CellPart::kObject, a);
  result.written.Add(CellPart::kObject, s);
  result.written.Add(CellPart::kObject, e);

  if (f_ta == 0) return result;
  for (int i = 0; i < kApproachBoards; ++i) {
    if (Taken(grid, h - i, kErrApproachBoardsTaken, result)) return result;
  }
  for (int i = 0; i < kApproachBoards; ++i) {
    TrackCell& cell = grid.at(h - i);
    cell.kind = kKindApproachBoard;
    cell.value_a = static_cast<int16_t>(i + 1);
    if (d_v != 0) cell.value_b = static_cast<int16_t>(i + 1);
    result.written.Add(CellPart::kObject, h - i);
  }
  return result;
}

SignalEncoded MemoSegnale(TrackGrid& grid, int32_t posizione, int32_t sx, int32_t s1, int32_t s2,
                          int32_t s3, int32_t rapp, int32_t dx, int32_t d1, int32_t d2, int32_t d3,
                          int32_t tempo) {
  SignalEncoded result;
  const int64_t c = CellOf(posizione);
  if (Taken(grid, c, kErrSignalCellTaken, result)) return result;

  // Computed wide and cut to 16 bits: the same low bits as 16-bit wrapping
  // arithmetic on the low 16 bits of each value.
  const int64_t packed[4] = {PackTens(s1, d1), PackTens(s2, d2), PackTens(s3, d3),
                             PackTens(rapp, SignalAspects(sx, dx))};
  for (int i = 0; i < 3; ++i) result.pairs[i] = Fitted(packed[i], Wrap16(packed[i]));
  result.aspects = Fitted(packed[3], Wrap16(packed[3]));
  TrackCell& cell = grid.at(c);
  cell.kind = kKindSignal;
  cell.value_a = static_cast<int16_t>(result.pairs[0].stored);
  cell.value_b = static_cast<int16_t>(result.pairs[1].stored);
  cell.value_c = static_cast<int16_t>(result.pairs[2].stored);
  cell.value_d = static_cast<int16_t>(result.aspects.stored);

  const bool timed = sx == 2;
  const int32_t raised = SignalTime(tempo);
  if (timed) {
    result.time = Fitted<int64_t>(tempo, raised);
    result.timing = Fitted<int64_t>(raised, Low8(raised));
  }
  cell.timing = timed ? Low8(raised) : 0;
  result.written.Add(CellPart::kObject, c);

  for (int k = 1; k <= kCountdownMarks; ++k) {
    const int64_t mark = SignalCountdownMark(sx, dx, k);
    result.marks[k - 1] = Fitted(mark, Low8(mark));
    const int64_t at = c - 2 * k;
    if (!grid.contains(at)) continue;  // before the route start: nothing to mark
    grid.at(at).countdown = Low8(mark);
    result.written.Add(CellPart::kCountdown, at);
  }
  return result;
}

BoardEncoded MemoIndicatoriVMax(TrackGrid& grid, int32_t posizione, int32_t vas, int32_t vbs,
                                int32_t vcs, int16_t strisces, int32_t vad, int32_t vbd,
                                int32_t vcd, int16_t strisced) {
  BoardEncoded result;
  const int64_t c = CellOf(posizione);
  if (Taken(grid, c, kErrMaxSpeedBoardTaken, result)) return result;

  const int32_t pairs[3][2] = {{vas, vad}, {vbs, vbd}, {vcs, vcd}};
  for (int i = 0; i < 3; ++i) {
    const auto [s, d] = pairs[i];
    result.speeds[i] = Fitted(BoardSpeedPair(s, d), PackBoardSpeeds(s, d));
  }
  const int64_t stripes = PackTens(strisces, strisced);
  result.stripes = Fitted(stripes, Wrap16(stripes));
  TrackCell& cell = grid.at(c);
  cell.kind = kKindMaxSpeedBoard;
  cell.value_a = static_cast<int16_t>(result.speeds[0].stored);
  cell.value_b = static_cast<int16_t>(result.speeds[1].stored);
  cell.value_c = static_cast<int16_t>(result.speeds[2].stored);
  cell.value_d = static_cast<int16_t>(result.stripes.stored);
  result.written.Add(CellPart::kObject, c);
  return result;
}

Encoded EncodeSign(TrackGrid& grid, int32_t position, int32_t slot) {
  Encoded result;
  const int64_t c = CellOf(position);
  if (Taken(grid, c, kErrSignCellTaken, result)) return result;
  grid.at(c).kind = kKindSign;
  grid.at(c).value_a = static_cast<int16_t>(slot);
  result.written.Add(CellPart::kObject, c);
  return result;
}

AbbattimentoEncoded EncodeAbbattimento(TrackGrid& grid, int32_t position, int32_t value) {
  AbbattimentoEncoded result;
  const int64_t c = ProfileCellOf(position);
  if (Taken(grid, c, kErrAbbattimentoCellTaken, result)) return result;
  if (value > 0) {
    grid.at(c).kind = kKindMarker;
    grid.at(c).value_a = Wrap16(value);
    result.value = Fitted<int64_t>(value, Wrap16(value));
  } else {
    grid.at(c).kind = kKindAbbattimentoZero;
    result.value = Fitted<int64_t>(value, 0);
  }
  result.written.Add(CellPart::kObject, c);
  return result;
}

}  // namespace sc
