#include "compiler/finalisation.h"

#include <initializer_list>
#include <string>

#include "model/encoders.h"

namespace sc {
namespace {

constexpr int16_t kMarkerValue = kFinalMarkerValue;
constexpr int64_t kLookBack = 20;
constexpr int64_t kLowestSignalCell = 3;
constexpr int16_t kRunSpeedThreshold = 110;
constexpr int32_t kRunInterval = 8;
constexpr int64_t kForwardSearch = 12;

constexpr int16_t kReservedMarker = 610;
constexpr int16_t kReservedCellValue = 5121;

int32_t MetresOf(int64_t cell) { return static_cast<int32_t>(ProfileMetreOf(cell)); }

bool HasKind(const TrackGrid& grid, int64_t n, uint8_t kind) {
  return grid.contains(n) && grid.at(n).kind == kind;
}

void PlaceMarker(TrackGrid& grid, int64_t n) {
  grid.at(n).kind = kKindMarker;
  grid.at(n).value_a = kMarkerValue;
}

// Places a marker in the first free cell of `cells`; false when none is free.
bool MarkFirstFree(TrackGrid& grid, std::initializer_list<int64_t> cells) {
  for (int64_t n : cells) {
    if (grid.is_free(n)) {
      PlaceMarker(grid, n);
      return true;
    }
  }
  return false;
}

// A marker just before the signal in cell c (c >= 3), or an existing marker
// there lowered to at most 180.
void MarkBeforeSignal(TrackGrid& grid, int64_t c, RunState& state) {
  if (MarkFirstFree(grid, {c - 1, c - 2})) return;
  for (int64_t n : {c - 1, c - 2}) {
    if (grid.at(n).kind == kKindMarker) {
      grid.at(n).value_a = Minimo(kMarkerValue, grid.at(n).value_a);
      return;
    }
  }
  state.Fail(kErrNoRoomSignalMarker, MetresOf(c));
}

// Marks every signal in the 20 cells before the warning in cell i.
void MarkSignalsBeforeWarning(TrackGrid& grid, int64_t i, RunState& state) {
  for (int64_t k = 1; k <= kLookBack; ++k) {
    const int64_t c = i - k;
    if (c < kLowestSignalCell) break;
    if (grid.at(c).kind == kKindSignal) MarkBeforeSignal(grid, c, state);
  }
}

// Markers 5-7, 11-13 and 18-20 cells before the slowdown start in
// cell i, each only when the start lies far enough from the grid's start.
void MarkBeforeStart(TrackGrid& grid, int64_t i, RunState& state) {
  struct Band {
    int64_t near, mid, far;
  };
  for (const Band& band : {Band{5, 6, 7}, Band{11, 12, 13}, Band{18, 19, 20}}) {
    if (i <= band.far) continue;
    if (!MarkFirstFree(grid, {i - band.near, i - band.mid, i - band.far})) {
      state.Fail(kErrNoRoomStartMarker, MetresOf(i));
    }
  }
}

// A marker every 8 cells from the start in cell i up to the first
// slowdown end, shifted by one cell back or forward when the cell is taken.
// After a failure no further marker goes into this run. The run never goes
// past U. Returns the cell where it stopped.
int64_t MarkThroughSlowdown(TrackGrid& grid, int64_t i, RunState& state) {
  int32_t counter = 0;
  int64_t cursor = i;
  do {
    ++cursor;
    ++counter;
    if (counter != kRunInterval) continue;
    const int64_t m = cursor;
    if (grid.is_free(m)) {
      PlaceMarker(grid, m);
      counter = 0;
    } else if (grid.is_free(m - 1)) {
      PlaceMarker(grid, m - 1);
      counter = 1;
    } else if (grid.is_free(m + 1)) {
      PlaceMarker(grid, m + 1);
      counter = -1;
    } else {
      state.Fail(kErrNoRoomRunMarker, MetresOf(m));
    }
  } while (grid.at(cursor).kind != kKindSlowdownEnd && cursor < grid.upper());
  return cursor;
}

// The first slowdown end after cell i, or -1 when there is none up to U.
int64_t FindSlowdownEnd(const TrackGrid& grid, int64_t i) {
  for (int64_t n = i + 1; n <= grid.upper(); ++n) {
    if (grid.at(n).kind == kKindSlowdownEnd) return n;
  }
  return -1;
}

// A marker before the first signal in cells n to n + 12 (never past
// U), in the cell just before it or the one before that.
void MarkBeforeNextSignal(TrackGrid& grid, int64_t n, RunState& state) {
  int64_t p = -1;
  for (int64_t s = n; s <= n + kForwardSearch && s <= grid.upper(); ++s) {
    if (HasKind(grid, s, kKindSignal)) {
      p = s - 1;
      break;
    }
  }
  if (p <= 0) return;
  if (!MarkFirstFree(grid, {p, p - 1})) state.Fail(kErrNoRoomRunMarker, MetresOf(n));
}

// Every marker around the slowdown that starts in cell i. The forward
// search starts where the slowdown ends: where the run stopped, or, for a fast slowdown without
// a run, at the first end cell after i (no search when there is none).
void MarkAroundSlowdown(TrackGrid& grid, int64_t i, RunState& state) {
  MarkBeforeStart(grid, i, state);
  const int64_t end = grid.at(i).value_a < kRunSpeedThreshold ? MarkThroughSlowdown(grid, i, state)
                                                              : FindSlowdownEnd(grid, i);
  if (end >= 0) MarkBeforeNextSignal(grid, end, state);
}

}  // namespace

void FinaliseGrid(TrackGrid& grid, RunState& state) {
  const int64_t upper = grid.upper();
  for (int64_t i = 1; i <= upper - 2; ++i) {
    const uint8_t kind = grid.at(i).kind;
    if (kind == kKindSlowdownWarning) {
      MarkSignalsBeforeWarning(grid, i, state);
    } else if (kind == kKindSlowdownStart) {
      MarkAroundSlowdown(grid, i, state);
    }
  }
}

std::string MessageText(ReservedPlaceMessage message) {
  return "Errore n. " + std::to_string(static_cast<int>(message));
}

std::optional<ReservedPlaceMessage> FillReservedPlaces(TrackGrid& grid, StationTable& stations) {
  StationRecord& header = stations.slots[kSlotBackgrounds];
  TrackCell* cell = grid.contains(1) ? &grid.at(1) : nullptr;

  if (header.word_1 != 0 || (cell && cell->value_a != 0)) return ReservedPlaceMessage::kMarkerTaken;
  header.word_1 = kReservedMarker;
  if (cell) cell->value_a = kReservedCellValue;

  if (header.time_s != 0 || (cell && cell->value_b != 0)) return ReservedPlaceMessage::kCodeTaken;
  header.time_s = CodiceGaraSt(stations);
  if (cell) cell->value_b = CodiceGaraOg(stations);
  return std::nullopt;
}

}  // namespace sc
