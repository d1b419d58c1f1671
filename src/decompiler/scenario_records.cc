#include "decompiler/scenario_records.h"

#include <algorithm>

#include "model/encoders.h"
#include "model/rounding.h"

namespace sc {
namespace {

// The position written for an object the grid keeps only as its cell: the
// metre whose object cell is that cell.
int32_t PositionOfCell(int64_t cell) { return static_cast<int32_t>(ObjectMetreOf(cell)); }

// Records that take the profile cell (profiles, abbattimento).
int32_t PositionOfIndex(int64_t cell) { return static_cast<int32_t>(ProfileMetreOf(cell)); }

// Cell 1's value_a and value_b are overwritten by the reserved marker and the
// competition code after every record was placed; an object there held 0 in
// both (otherwise the compile ends with " Errore n. 1250" or "1251").
constexpr int64_t kReservedCell = 1;
TrackCell ObjectCell(const std::vector<TrackCell>& cells, int64_t i) {
  TrackCell cell = cells[static_cast<size_t>(i)];
  if (i == kReservedCell) cell.value_a = cell.value_b = 0;
  return cell;
}

// A value packed as tens and units (16-bit), split so the two parts add
// back: 43 is 4 and 3, -43 is -4 and -3.
void SplitTens(int32_t packed, int32_t* tens, int32_t* units) {
  *tens = packed / 10;
  *units = packed % 10;
}

// The cells where a profile's runs begin, with their codes. The readers
// write cells 0 to U - 3 from their records and tails; cell U - 2 only when a
// record stands there; the last two cells never.
std::vector<std::pair<int64_t, uint8_t>> ProfileRuns(const std::vector<TrackCell>& cells,
                                                     uint8_t TrackCell::*field) {
  std::vector<std::pair<int64_t, uint8_t>> runs;
  const int64_t upper = static_cast<int64_t>(cells.size()) - 1;
  for (int64_t i = 0; i <= upper - 3; ++i) {
    const uint8_t code = cells[static_cast<size_t>(i)].*field;
    if (runs.empty() || runs.back().second != code) runs.emplace_back(i, code);
  }
  if (upper - 2 >= 0 && cells[static_cast<size_t>(upper - 2)].*field != 0) {
    runs.emplace_back(upper - 2, cells[static_cast<size_t>(upper - 2)].*field);
  }
  return runs;
}

// The kilometre references as written: the order and values that
// progressive_ordina turns into the stored slots 81 to 83. Tries the six
// orders (the stored order first) with the +100 rule undone; none fits: the
// stored order.
void RecoverKmReferences(const StationTable& stations, LineRecords* line) {
  const int slots[3] = {kSlotKmRefTre, kSlotKmRefDue, kSlotKmRefUno};
  std::array<std::array<int32_t, 3>, 3> stored{};
  for (int i = 0; i < 3; ++i) {
    const StationRecord& r = stations.slots[slots[i]];
    int64_t second = r.end;
    if (r.position == 1 && FitsLong(second - 100)) second -= 100;
    stored[i] = {r.start, static_cast<int32_t>(second), r.position};
  }
  std::array<int, 3> order = {0, 1, 2};
  std::array<int, 3> chosen = order;
  do {
    StationTable trial;
    for (int i = 0; i < 3; ++i) {
      StationRecord& r = trial.slots[slots[i]];
      r.start = stored[order[i]][0];
      r.end = stored[order[i]][1];
      r.position = stored[order[i]][2];
    }
    if (ProgressiveOrdina(trial)) {
      bool same = true;
      for (int s : slots) {
        const StationRecord& a = trial.slots[s];
        const StationRecord& b = stations.slots[s];
        same = same && a.start == b.start && a.end == b.end && a.position == b.position;
      }
      if (same) {
        chosen = order;
        break;
      }
    }
  } while (std::next_permutation(order.begin(), order.end()));
  // Written as uno, due, tre: slots 83, 82, 81 before ordering.
  for (int i = 0; i < 3; ++i) line->km_references[2 - i] = stored[chosen[i]];
}

void RecoverGradients(const std::vector<TrackCell>& cells, LineRecords* line) {
  for (const auto& [cell, code] : ProfileRuns(cells, &TrackCell::gradient_code)) {
    const int32_t value = static_cast<int32_t>(GradientOfCode(code));
    // Before the first record the gradient is 0.
    if (cell == 0 && value == 0) continue;
    line->gradients.push_back({PositionOfIndex(cell), value});
  }
}

// A range's type as written: the tunnel form adds 10; a plain type above 10
// is written below 0 with the same low byte, since above 10 means a tunnel.
int32_t MountainType(uint8_t stored, bool tunnel) {
  constexpr int32_t kTunnel = 10;
  if (tunnel) return int32_t{stored} + kTunnel;
  return stored > kTunnel ? int32_t{stored} - 256 : int32_t{stored};
}

// Each run of cells with the same mountain type is one range; it is a tunnel
// when a mountain marker (kind 11) is left in it. A range that starts 150 m
// or less after the previous one's end takes type 3: a run three empty cells
// after the previous is started 24 m into its cell to stay clear of that.
std::vector<LineRecords::Mountain> MountainsByRun(const std::vector<TrackCell>& cells) {
  constexpr int64_t kJoinCells = 3;
  constexpr int32_t kClearOfJoin = 24;
  std::vector<LineRecords::Mountain> mountains;
  const int64_t n = static_cast<int64_t>(cells.size());
  int64_t previous_last = 0;
  for (int64_t i = 0; i < n;) {
    const uint8_t type = cells[static_cast<size_t>(i)].mountain;
    if (type == 0) {
      ++i;
      continue;
    }
    int64_t last = i;
    bool tunnel = false;
    while (last + 1 < n && cells[static_cast<size_t>(last + 1)].mountain == type) ++last;
    for (int64_t j = i; j <= last; ++j)
      tunnel = tunnel || cells[static_cast<size_t>(j)].kind == kKindMountainMarker;
    int32_t start = PositionOfIndex(i);
    if (!mountains.empty() && type != kJoinedType && i - previous_last - 1 == kJoinCells)
      start += kClearOfJoin;
    mountains.push_back({start, PositionOfIndex(last + 1), MountainType(type, tunnel)});
    previous_last = last;
    i = last + 1;
  }
  return mountains;
}

// The general form, for grids whose ranges overlapped or joined: each
// mountain marker from a tunnel range of its own four cells (type 0), then
// each run of one type as a plain range over them. A range that would start
// within 150 m of the previous one's end is preceded by a range that covers
// no cell and ends far before the route.
std::vector<LineRecords::Mountain> MountainsByLayer(const std::vector<TrackCell>& cells) {
  constexpr int32_t kFarBefore = -1000000;      // a range here covers no cell
  constexpr int32_t kUntypedTunnel = 256 + 10;  // tunnel, type 0 (low byte)
  constexpr int64_t kMarkerCells = 4;
  std::vector<LineRecords::Mountain> mountains;
  int64_t previous_end = kFarBefore;
  const auto add = [&](int32_t start, int32_t end, int32_t type, bool joins) {
    if (!mountains.empty() && !joins && int64_t{start} - previous_end <= 150)
      mountains.push_back({kFarBefore, kFarBefore, 0});
    mountains.push_back({start, end, type});
    previous_end = end;
  };
  const int64_t n = static_cast<int64_t>(cells.size());
  for (int64_t i = 0; i < n; ++i) {
    if (cells[static_cast<size_t>(i)].kind == kKindMountainMarker)
      add(PositionOfIndex(i - (kMarkerCells - 1)), PositionOfIndex(i + 1), kUntypedTunnel, false);
  }
  for (int64_t i = 0; i < n;) {
    const uint8_t type = cells[static_cast<size_t>(i)].mountain;
    int64_t last = i;
    while (last + 1 < n && cells[static_cast<size_t>(last + 1)].mountain == type) ++last;
    // Cells a marker range left with type 0 need no run of their own.
    if (type != 0) {
      add(PositionOfIndex(i), PositionOfIndex(last + 1), MountainType(type, false),
          type == kJoinedType);
    }
    i = last + 1;
  }
  return mountains;
}

// Whether the ranges give the stored mountain types and markers, placed with
// the mountain encoder on a grid of the stored size. A stored object other
// than a marker may stand where a marker was placed (it came later).
bool GivesMountains(const std::vector<TrackCell>& cells,
                    const std::vector<LineRecords::Mountain>& mountains) {
  TrackGrid grid(static_cast<int32_t>(cells.size()) - 1);
  MountainRanges ranges;
  for (const auto& m : mountains) {
    if (MemoMontagna(grid, ranges, m.start, m.end, m.type).code != kErrNone) return false;
  }
  for (size_t i = 0; i < cells.size(); ++i) {
    const TrackCell& want = cells[i];
    const TrackCell& got = grid.at(static_cast<int64_t>(i));
    if (want.mountain != got.mountain) return false;
    const bool marker = got.kind == kKindMountainMarker;
    if (want.kind == kKindMountainMarker ? !marker : (want.kind == kKindFree && marker))
      return false;
  }
  return true;
}

void RecoverMountains(const std::vector<TrackCell>& cells, LineRecords* line) {
  line->mountains = MountainsByRun(cells);
  if (!GivesMountains(cells, line->mountains)) line->mountains = MountainsByLayer(cells);
}

// A board's speed pair: the two speeds as near each other as the packing
// allows (20 s + d / 5 = packed with s nearest d).
void SplitBoardSpeeds(int16_t packed, int32_t* s, int32_t* d) {
  // The integer nearest 5 * packed / 101 (never a tie: 101 is odd).
  const int64_t num = 10 * int64_t{packed} + 101;
  int64_t q = num / 202;
  if (num % 202 != 0 && num < 0) --q;
  *s = static_cast<int32_t>(q);
  *d = static_cast<int32_t>(5 * (int64_t{packed} - 20 * q));
}

void RecoverBoardsAndSigns(const StationTable& stations, const std::vector<TrackCell>& cells,
                           LineRecords* line) {
  std::vector<std::pair<int32_t, int64_t>> sign_cells;  // slot, cell
  for (int64_t i = 0; i < static_cast<int64_t>(cells.size()); ++i) {
    const TrackCell cell = ObjectCell(cells, i);
    // A station end marker replaces only kind and value_a: values left
    // beside it are those of an object it overwrote, given back by a board
    // there (the line's boards are placed before any station).
    const bool overwritten = cell.kind == kKindStationEnd &&
                             (cell.value_b != 0 || cell.value_c != 0 || cell.value_d != 0);
    if (cell.kind == kKindMaxSpeedBoard || overwritten) {
      LineRecords::Board b{};
      b.position = PositionOfCell(i);
      SplitBoardSpeeds(overwritten ? int16_t{0} : cell.value_a, &b.vas, &b.vad);
      SplitBoardSpeeds(cell.value_b, &b.vbs, &b.vbd);
      SplitBoardSpeeds(cell.value_c, &b.vcs, &b.vcd);
      SplitTens(cell.value_d, &b.strisces, &b.strisced);
      line->boards.push_back(b);
    } else if (cell.kind == kKindSign) {
      sign_cells.emplace_back(cell.value_a, i);
    }
  }
  // Signs take the slots from 80 down in file order: written in slot order,
  // which is position order for every file the compiler wrote.
  std::stable_sort(sign_cells.begin(), sign_cells.end(),
                   [](const auto& a, const auto& b) { return a.first > b.first; });
  for (const auto& [slot, cell] : sign_cells) {
    const std::string text =
        slot >= 0 && slot < kStationSlots ? stations.slots[static_cast<size_t>(slot)].name : "";
    line->signs.push_back({PositionOfCell(cell), text});
  }
}

}  // namespace

LineRecords RecoverLineRecords(const StationTable& stations, const std::vector<TrackCell>& cells,
                               const PlanCurves* plan) {
  LineRecords line;
  const StationRecord& route = stations.slots[kSlotTrainRoute];
  const StationRecord& backgrounds = stations.slots[kSlotBackgrounds];
  const StationRecord& repetition = stations.slots[kSlotRepetition];
  line.route_length = route.end;
  RecoverKmReferences(stations, &line);
  line.background_uno = backgrounds.start;
  line.background_due = backgrounds.position;
  line.background_tre = backgrounds.end;
  line.repetition_codes = repetition.position == 9 ? 9 : 4;
  line.repetition_first = repetition.start;
  line.repetition_last = repetition.end;
  if (plan) {
    line.has_plan = true;
    line.curves = plan->curves;
  }
  RecoverGradients(cells, &line);
  RecoverMountains(cells, &line);
  RecoverBoardsAndSigns(stations, cells, &line);
  return line;
}

namespace {

void RecoverProfile(const std::vector<TrackCell>& cells, uint8_t TrackCell::*field,
                    int64_t (*value_of)(int64_t code), std::vector<ProfilePoint>* out) {
  for (const auto& [cell, code] : ProfileRuns(cells, field)) {
    out->push_back({PositionOfIndex(cell), static_cast<int32_t>(value_of(code))});
  }
}

// The extension flag as written: as stored, or 1 where the stored area was
// lengthened by it although the flag itself was then cleared (the first
// station keeps no flag).
int32_t ExtensionFlag(const StationRecord& stored, int32_t length, bool first) {
  if (stored.byte_4 != 0) return stored.byte_4;
  StationRecord lengthened = stored;
  lengthened.byte_4 = 1;
  if (ComputeStationArea(lengthened, length, first) && lengthened.end == stored.end &&
      lengthened.start == stored.start) {
    StationRecord plain = stored;
    if (!ComputeStationArea(plain, length, first) || plain.end != stored.end) return 1;
  }
  return 0;
}

// The station lines, slots 1 up to the last non-empty slot below the signs.
void RecoverStations(const StationTable& table, const std::vector<TrackCell>& cells,
                     TrainRecords* train) {
  int32_t lowest_sign = kFirstSignSlot + 1;
  for (const TrackCell& cell : cells) {
    if (cell.kind == kKindSign && cell.value_a >= 1 && cell.value_a <= kFirstSignSlot)
      lowest_sign = std::min<int32_t>(lowest_sign, cell.value_a);
  }
  int32_t last = 0;
  for (int32_t slot = 1; slot < lowest_sign; ++slot) {
    if (!(table.slots[static_cast<size_t>(slot)] == StationRecord{})) last = slot;
  }
  constexpr int32_t kSecondsPerHour = 3600, kSecondsPerMinute = 60;
  for (int32_t slot = 1; slot <= last; ++slot) {
    const StationRecord& r = table.slots[static_cast<size_t>(slot)];
    TrainRecords::Station s{};
    s.position = r.position;
    s.kind = r.kind;
    const int64_t before = int64_t{r.position} - r.start;
    const bool centred = !IsPlatformEnd(r.kind) && !IsThroughStation(r.kind);
    const int64_t length = centred ? 2 * before : before;
    s.length = FitsLong(length) ? static_cast<int32_t>(length) : 0;
    s.byte_1 = r.byte_1;
    s.byte_5 = r.byte_5;
    s.byte_4 = ExtensionFlag(r, s.length, slot == 1);
    s.word_1 = r.word_1;
    s.word_2 = r.word_2;
    s.byte_2 = r.byte_2;
    s.word_3 = r.word_3;
    s.word_4 = r.word_4;
    s.word_5 = r.word_5;
    s.byte_3 = r.byte_3;
    s.hours = r.time_s / kSecondsPerHour;
    s.minutes = r.time_s % kSecondsPerHour / kSecondsPerMinute;
    s.seconds = r.time_s % kSecondsPerMinute;
    s.name = r.name;
    train->stations.push_back(s);
  }
}

// The slowdown at start cell s ending in cell `end`. A start in cell 31
// with its warning board in cell 7 lies past 1500 m: written at 1501.
TrainRecords::Slowdown RecoverSlowdown(const std::vector<TrackCell>& cells, int64_t s,
                                       int64_t end) {
  constexpr int64_t kWarningCells = 24;     // cell of x - 1200
  constexpr int64_t kFirstBoardCells = 25;  // round((x - 1200) / 50)
  constexpr int64_t kLastCellWithoutWarning = 31;
  constexpr int32_t kFirstPositionWithWarning = 1501;
  const TrackCell start = ObjectCell(cells, s);
  const int64_t n = static_cast<int64_t>(cells.size());
  TrainRecords::Slowdown d{};
  d.x = PositionOfCell(s);
  d.v = start.value_a;
  d.f_tt = start.value_c;
  d.d_v = start.value_b;
  const auto is_kind = [&](int64_t i, uint8_t kind) {
    return i >= 0 && i < n && cells[static_cast<size_t>(i)].kind == kind;
  };
  if (s == kLastCellWithoutWarning && is_kind(s - kWarningCells, kKindSlowdownWarning))
    d.x = kFirstPositionWithWarning;
  d.l = static_cast<int32_t>(PositionOfCell(end) - int64_t{d.x});
  const int64_t board = s - kFirstBoardCells;
  d.f_ta = is_kind(board, kKindApproachBoard) && cells[static_cast<size_t>(board)].value_a == 1;
  return d;
}

// Each slowdown start's end cell, in start order: an end not taken by
// another start, with the start's values, before the next start with those
// values; else any end before the next start; else one with its values
// before it (a slowdown written end first); else its own cell (a length
// within the cell: the start overwrote its end).
std::vector<int64_t> SlowdownEnds(const std::vector<TrackCell>& cells,
                                  const std::vector<int64_t>& starts) {
  const int64_t n = static_cast<int64_t>(cells.size());
  std::vector<bool> taken(cells.size(), false);
  const auto same = [&](int64_t a, int64_t b) {
    const TrackCell x = ObjectCell(cells, a), y = ObjectCell(cells, b);
    return x.value_a == y.value_a && x.value_b == y.value_b && x.value_c == y.value_c;
  };
  const auto free_end = [&](int64_t e) {
    return cells[static_cast<size_t>(e)].kind == kKindSlowdownEnd && !taken[static_cast<size_t>(e)];
  };
  std::vector<int64_t> ends;
  for (size_t k = 0; k < starts.size(); ++k) {
    const int64_t s = starts[k];
    const int64_t next = k + 1 < starts.size() ? starts[k + 1] : n;
    int64_t next_same = n;
    for (size_t j = k + 1; j < starts.size() && next_same == n; ++j) {
      if (same(starts[j], s)) next_same = starts[j];
    }
    int64_t end = -1;
    for (int64_t e = s + 1; e < next_same && end < 0; ++e) {
      if (free_end(e) && same(e, s)) end = e;
    }
    for (int64_t e = s + 1; e < next && end < 0; ++e) {
      if (free_end(e)) end = e;
    }
    for (int64_t e = s - 1; e >= 0 && end < 0; --e) {
      if (free_end(e) && same(e, s)) end = e;
    }
    if (end < 0) end = s;
    taken[static_cast<size_t>(end)] = true;
    ends.push_back(end);
  }
  return ends;
}

// The signal at cell c. Its aspect (sx × 3 + dx) is the units of value_d,
// unless the countdown mark two cells before says another: then as many
// tens move from rapp to the aspect as it takes. A signal with a timing is
// of type sx = 2; a timing from 1 to 100 is written 256 higher (the text's
// 1 to 100 would be stored as 101).
TrainRecords::Signal RecoverSignal(const std::vector<TrackCell>& cells, int64_t c) {
  constexpr int32_t kTimedType = 2;
  constexpr int32_t kRaisedTempo = 100;
  const TrackCell cell = ObjectCell(cells, c);
  TrainRecords::Signal g{};
  g.position = PositionOfCell(c);
  SplitTens(cell.value_a, &g.s1, &g.d1);
  SplitTens(cell.value_b, &g.s2, &g.d2);
  SplitTens(cell.value_c, &g.s3, &g.d3);
  int32_t aspect = 0;
  SplitTens(cell.value_d, &g.rapp, &aspect);
  if (c - 2 >= 0) {
    const uint8_t mark = cells[static_cast<size_t>(c - 2)].countdown;
    const auto fits = [&](int64_t a) { return Low8(CountdownMarkOf(a, 1)) == mark; };
    // The mark repeats every 128 aspects; 26 tens reach every residue.
    constexpr int32_t kTensTried = 26;
    for (int32_t t = 1; t <= kTensTried && !fits(aspect); ++t) {
      if (fits(int64_t{aspect} + 10 * t)) {
        aspect += 10 * t;
        g.rapp -= t;
      } else if (fits(int64_t{aspect} - 10 * t)) {
        aspect -= 10 * t;
        g.rapp += t;
      }
    }
  }
  if (cell.timing != 0) {
    g.sx = kTimedType;
    g.dx = aspect - 3 * kTimedType;
    g.tempo = cell.timing <= kRaisedTempo ? cell.timing + 256 : cell.timing;
  } else if (aspect >= 0) {
    g.sx = aspect / 3;
    g.dx = aspect % 3;
  } else {
    g.dx = aspect;
  }
  return g;
}

}  // namespace

TrainRecords RecoverTrainRecords(const StationTable& stations,
                                 const std::vector<TrackCell>& cells) {
  TrainRecords train;
  const StationRecord& route = stations.slots[kSlotTrainRoute];
  const StationRecord& repetition = stations.slots[kSlotRepetition];
  train.braked_mass = route.start;
  train.cars = route.position;
  train.sand = repetition.word_1;
  train.clock_hours = repetition.word_3;
  train.clock_minutes = repetition.word_4;
  train.clock_seconds = repetition.word_5;
  RecoverProfile(
      cells, &TrackCell::adhesion, [](int64_t code) { return code; }, &train.adhesions);
  RecoverProfile(cells, &TrackCell::speed_code, SpeedOfCode, &train.speeds);
  RecoverStations(stations, cells, &train);
  std::vector<int64_t> starts;
  for (int64_t i = 0; i < static_cast<int64_t>(cells.size()); ++i) {
    const uint8_t kind = cells[static_cast<size_t>(i)].kind;
    if (kind == kKindSlowdownStart) starts.push_back(i);
    if (kind == kKindSignal) train.signals.push_back(RecoverSignal(cells, i));
  }
  const std::vector<int64_t> ends = SlowdownEnds(cells, starts);
  for (size_t k = 0; k < starts.size(); ++k)
    train.slowdowns.push_back(RecoverSlowdown(cells, starts[k], ends[k]));
  return train;
}

}  // namespace sc
