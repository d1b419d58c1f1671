#include "compiler/finalisation.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace sc {
namespace {

void Put(TrackGrid& grid, int64_t n, uint8_t kind, int16_t value_a = 0) {
  grid.at(n).kind = kind;
  grid.at(n).value_a = value_a;
}

// A slowdown start of speed `speed` in cell `start`, and its end in `end`
// when `end` is positive.
void Slowdown(TrackGrid& grid, int64_t start, int16_t speed, int64_t end) {
  Put(grid, start, kKindSlowdownStart, speed);
  if (end > 0) Put(grid, end, kKindSlowdownEnd, speed);
}

// The cells holding a marker, in ascending order.
std::vector<int64_t> Markers(const TrackGrid& grid) {
  std::vector<int64_t> cells;
  for (int64_t n = 0; n <= grid.upper(); ++n) {
    if (grid.at(n).kind == kKindMarker) cells.push_back(n);
  }
  return cells;
}

using Cells = std::vector<int64_t>;

TEST(FinalGridTest, SignalBeforeWarningFiveWayRule) {
  struct Case {
    const char* name;
    uint8_t kind_29;
    int16_t value_29;
    uint8_t kind_28;
    int16_t value_28;
    Cells markers;
    int16_t expect_29, expect_28;
    int32_t code;
  };
  const Case cases[] = {
      {"both free", kKindFree, 0, kKindFree, 0, {29}, 180, 0, 0},
      {"mountain mark is free", kKindMountainMarker, 0, kKindFree, 0, {29}, 180, 0, 0},
      {"29 taken", kKindSign, 7, kKindFree, 0, {28}, 7, 180, 0},
      {"29 marker 270 lowered", kKindMarker, 270, kKindSign, 7, {29}, 180, 7, 0},
      {"29 marker 120 kept", kKindMarker, 120, kKindSign, 7, {29}, 120, 7, 0},
      {"28 marker lowered", kKindSign, 7, kKindMarker, 300, {28}, 7, 180, 0},
      {"both taken", kKindSign, 7, kKindMaxSpeedBoard, 9, {}, 7, 9, kErrNoRoomSignalMarker},
  };
  for (const Case& c : cases) {
    TrackGrid grid(200);
    Put(grid, 40, kKindSlowdownWarning, 60);
    Put(grid, 30, kKindSignal, 43);
    Put(grid, 29, c.kind_29, c.value_29);
    Put(grid, 28, c.kind_28, c.value_28);
    RunState state;
    FinaliseGrid(grid, state);
    EXPECT_EQ(Markers(grid), c.markers) << c.name;
    EXPECT_EQ(grid.at(29).value_a, c.expect_29) << c.name;
    EXPECT_EQ(grid.at(28).value_a, c.expect_28) << c.name;
    EXPECT_EQ(state.error_code, c.code) << c.name;
    EXPECT_EQ(state.error_position, c.code ? 1500 : 0) << c.name;
  }
}

TEST(FinalGridTest, LookBackCoversTwentyCellsAndStopsBelowCellThree) {
  struct Case {
    int64_t warning;
    Cells signals;
    Cells markers;
  };
  const Case cases[] = {
      {60, {40, 55}, {39, 54}},  // every signal in reach is treated
      {60, {39}, {}},            // 21 cells back: out of reach
      {5, {3}, {2}},             // lowest cell looked at
      {5, {2}, {}},              // below cell 3: never looked at
  };
  for (const Case& c : cases) {
    TrackGrid grid(200);
    Put(grid, c.warning, kKindSlowdownWarning);
    for (int64_t s : c.signals) Put(grid, s, kKindSignal);
    RunState state;
    FinaliseGrid(grid, state);
    EXPECT_EQ(Markers(grid), c.markers) << "warning " << c.warning;
    EXPECT_EQ(state.error_code, 0);
  }
}

TEST(FinalGridTest, MarkersPlacedEarlierAreSeenLater) {
  // Two warnings reach the same signal: the second finds the first marker in
  // cell 29 taken and places its own in cell 28.
  TrackGrid grid(200);
  Put(grid, 30, kKindSignal);
  Put(grid, 40, kKindSlowdownWarning);
  Put(grid, 45, kKindSlowdownWarning);
  RunState state;
  FinaliseGrid(grid, state);
  EXPECT_EQ(Markers(grid), (Cells{28, 29}));
}

TEST(FinalGridTest, StartCellMarkersAndTheirGuards) {
  struct Case {
    int64_t start;
    Cells taken;
    Cells markers;
  };
  const Case cases[] = {
      {7, {}, {}},       {8, {}, {3}},          {8, {3}, {2}},
      {8, {3, 2}, {1}},  {13, {}, {8}},         {14, {}, {3, 9}},
      {20, {}, {9, 15}}, {21, {}, {3, 10, 16}}, {40, {35, 34, 29, 28, 22}, {21, 27, 33}},
  };
  for (const Case& c : cases) {
    TrackGrid grid(200);
    Slowdown(grid, c.start, 120, 0);  // fast and without an end: no other markers
    for (int64_t n : c.taken) Put(grid, n, kKindSign);
    RunState state;
    FinaliseGrid(grid, state);
    EXPECT_EQ(Markers(grid), c.markers) << "start " << c.start;
    EXPECT_EQ(state.error_code, 0);
  }
}

TEST(FinalGridTest, NoRoomBeforeStartIsCode12AndOtherBandsStillPlaced) {
  TrackGrid grid(200);
  Slowdown(grid, 30, 120, 0);
  for (int64_t n : {25, 24, 23}) Put(grid, n, kKindSign);
  RunState state;
  FinaliseGrid(grid, state);
  EXPECT_EQ(Markers(grid), (Cells{12, 19}));
  EXPECT_EQ(state.error_code, kErrNoRoomStartMarker);
  EXPECT_EQ(state.error_position, 1500);
}

TEST(FinalGridTest, RunThroughSlowSlowdown) {
  // Start at 100 (markers 95, 89, 82 before it), end at 120.
  const Cells before = {82, 89, 95};
  struct Case {
    const char* name;
    int16_t speed;
    Cells taken;
    Cells run_markers;
    int32_t code, position;
  };
  const Case cases[] = {
      {"all free", 100, {}, {108, 116}, 0, 0},
      {"speed 110: no run", 110, {}, {}, 0, 0},
      {"negative speed runs", -5, {}, {108, 116}, 0, 0},
      {"shift back", 100, {108}, {107, 115}, 0, 0},
      {"shift forward", 100, {108, 107}, {109, 117}, 0, 0},
      {"no room: run ends its markers", 100, {107, 108, 109}, {}, kErrNoRoomRunMarker, 5400},
  };
  for (const Case& c : cases) {
    TrackGrid grid(200);
    Slowdown(grid, 100, c.speed, 120);
    for (int64_t n : c.taken) Put(grid, n, kKindSign);
    RunState state;
    FinaliseGrid(grid, state);
    Cells expected = before;
    expected.insert(expected.end(), c.run_markers.begin(), c.run_markers.end());
    EXPECT_EQ(Markers(grid), expected) << c.name;
    EXPECT_EQ(state.error_code, c.code) << c.name;
    EXPECT_EQ(state.error_position, c.position) << c.name;
  }
}

TEST(FinalGridTest, ForwardSearchMarksBeforeTheNextSignal) {
  // Slowdown 100..120 of speed 100: run markers 108 and 116 besides these.
  struct Case {
    const char* name;
    Cells signals;
    Cells taken;
    Cells search_markers;
    int32_t code;
  };
  const Case cases[] = {
      {"next signal", {125, 128}, {}, {124}, 0},
      {"twelve cells on", {132}, {}, {131}, 0},
      {"thirteen cells on", {133}, {}, {}, 0},
      {"one back", {125}, {124}, {123}, 0},
      {"no room", {125}, {124, 123}, {}, kErrNoRoomRunMarker},
  };
  for (const Case& c : cases) {
    TrackGrid grid(200);
    Slowdown(grid, 100, 100, 120);
    for (int64_t n : c.signals) Put(grid, n, kKindSignal);
    for (int64_t n : c.taken) Put(grid, n, kKindSign);
    RunState state;
    FinaliseGrid(grid, state);
    Cells expected = {82, 89, 95, 108, 116};
    expected.insert(expected.end(), c.search_markers.begin(), c.search_markers.end());
    EXPECT_EQ(Markers(grid), expected) << c.name;
    EXPECT_EQ(state.error_code, c.code) << c.name;
    EXPECT_EQ(state.error_position, c.code ? 6000 : 0) << c.name;
  }
}

TEST(FinalGridTest, FastSlowdownSearchesFromItsEndCell) {
  // No run at speed 120: the search starts at the end cell 110, so the
  // signal inside the slowdown gets nothing and the one 12 cells after the
  // end gets its marker.
  TrackGrid grid(200);
  Slowdown(grid, 100, 120, 110);
  Put(grid, 105, kKindSignal);
  Put(grid, 122, kKindSignal);
  RunState state;
  FinaliseGrid(grid, state);
  EXPECT_EQ(Markers(grid), (Cells{82, 89, 95, 121}));

  // Without an end there is no search.
  TrackGrid open(200);
  Slowdown(open, 100, 120, 0);
  Put(open, 105, kKindSignal);
  FinaliseGrid(open, state);
  EXPECT_EQ(Markers(open), (Cells{82, 89, 95}));
  EXPECT_EQ(state.error_code, 0);
}

TEST(FinalGridTest, RunAndSearchStopAtTheGridEnd) {
  struct Case {
    const char* name;
    int64_t start;
    Cells taken;
    Cells markers;
    int32_t code;
  };
  // U = 50; no slowdown end anywhere.
  const Case cases[] = {
      {"run ends at U", 45, {}, {27, 34, 40}, 0},
      {"eighth cell is U", 42, {}, {24, 31, 37, 50}, 0},
      {"U and U-1 taken", 42, {50, 49}, {24, 31, 37}, kErrNoRoomRunMarker},
      {"last start looked at", 48, {}, {30, 37, 43}, 0},
  };
  for (const Case& c : cases) {
    TrackGrid grid(50);
    Slowdown(grid, c.start, 100, 0);
    for (int64_t n : c.taken) Put(grid, n, kKindSign);
    RunState state;
    FinaliseGrid(grid, state);
    EXPECT_EQ(grid.cells().size(), 51u);
    EXPECT_EQ(Markers(grid), c.markers) << c.name;
    EXPECT_EQ(state.error_code, c.code) << c.name;
    EXPECT_EQ(state.error_position, c.code ? 2500 : 0) << c.name;
  }
}

TEST(FinalGridTest, StartsInTheLastTwoCellsAreNotLookedAt) {
  TrackGrid grid(50);
  Slowdown(grid, 49, 100, 0);
  RunState state;
  FinaliseGrid(grid, state);
  EXPECT_TRUE(Markers(grid).empty());
}

TEST(FinalGridTest, LastFailureWins) {
  // Code 11 at cell 30, then code 12 at cell 60.
  TrackGrid grid(200);
  Put(grid, 40, kKindSlowdownWarning);
  Put(grid, 30, kKindSignal);
  Put(grid, 29, kKindSign);
  Put(grid, 28, kKindSign);
  Slowdown(grid, 60, 120, 0);
  for (int64_t n : {55, 54, 53}) Put(grid, n, kKindSign);
  RunState state;
  state.Fail(kErrSignalCellTaken, 999);
  FinaliseGrid(grid, state);
  EXPECT_EQ(state.error_code, kErrNoRoomStartMarker);
  EXPECT_EQ(state.error_position, 3000);

  // The same failures in the other order along the track.
  TrackGrid swapped(200);
  Slowdown(swapped, 30, 120, 0);
  for (int64_t n : {25, 24, 23}) Put(swapped, n, kKindSign);
  Put(swapped, 70, kKindSlowdownWarning);
  Put(swapped, 60, kKindSignal);
  Put(swapped, 59, kKindSign);
  Put(swapped, 58, kKindSign);
  RunState other;
  FinaliseGrid(swapped, other);
  EXPECT_EQ(other.error_code, kErrNoRoomSignalMarker);
  EXPECT_EQ(other.error_position, 3000);
}

TEST(FinalGridTest, CleanPassKeepsAnEarlierFailure) {
  TrackGrid grid(200);
  RunState state;
  state.Fail(kErrSignalCellTaken, 999);
  FinaliseGrid(grid, state);
  EXPECT_EQ(state.error_code, kErrSignalCellTaken);
  EXPECT_EQ(state.error_position, 999);
}

StationTable BuiltinNames() {
  StationTable table;
  table.slots[kSlotRepetition].name = "2001";
  table.slots[kSlotBackgrounds].name = "Vastro - Dreo";
  return table;
}

TEST(ReservedPlacesTest, FillsMarkersAndCompetitionCodes) {
  TrackGrid grid(940);
  StationTable stations = BuiltinNames();
  EXPECT_EQ(FillReservedPlaces(grid, stations), std::nullopt);
  EXPECT_EQ(stations.slots[kSlotBackgrounds].word_1, 610);
  EXPECT_EQ(stations.slots[kSlotBackgrounds].time_s, 30410);
  EXPECT_EQ(grid.at(1).value_a, 5121);
  EXPECT_EQ(grid.at(1).value_b, 2189);
  EXPECT_EQ(grid.at(1).kind, 0);
}

TEST(ReservedPlacesTest, PresetPlacesStopTheRun) {
  struct Case {
    const char* name;
    int16_t word_1, value_a;
    int32_t time_s;
    int16_t value_b;
    ReservedPlaceMessage message;
    // What the places hold afterwards.
    int16_t word_1_after, value_a_after;
  };
  const Case cases[] = {
      {"word_1 set", 1, 0, 0, 0, ReservedPlaceMessage::kMarkerTaken, 1, 0},
      {"cell value_a set", 0, -3, 0, 0, ReservedPlaceMessage::kMarkerTaken, 0, -3},
      {"time_s set", 0, 0, 7, 0, ReservedPlaceMessage::kCodeTaken, 610, 5121},
      {"cell value_b set", 0, 0, 0, 9, ReservedPlaceMessage::kCodeTaken, 610, 5121},
  };
  for (const Case& c : cases) {
    TrackGrid grid(940);
    StationTable stations = BuiltinNames();
    StationRecord& header = stations.slots[kSlotBackgrounds];
    header.word_1 = c.word_1;
    header.time_s = c.time_s;
    grid.at(1).value_a = c.value_a;
    grid.at(1).value_b = c.value_b;
    EXPECT_EQ(FillReservedPlaces(grid, stations), std::optional<ReservedPlaceMessage>(c.message)) << c.name;
    EXPECT_EQ(header.word_1, c.word_1_after) << c.name;
    EXPECT_EQ(grid.at(1).value_a, c.value_a_after) << c.name;
    // The competition codes are never written.
    EXPECT_EQ(header.time_s, c.time_s) << c.name;
    EXPECT_EQ(grid.at(1).value_b, c.value_b) << c.name;
  }
}

TEST(ReservedPlacesTest, GridWithoutCellOneOnlyFillsTheTable) {
  TrackGrid grid(0);
  StationTable stations = BuiltinNames();
  EXPECT_EQ(FillReservedPlaces(grid, stations), std::nullopt);
  EXPECT_EQ(stations.slots[kSlotBackgrounds].word_1, 610);
  EXPECT_EQ(stations.slots[kSlotBackgrounds].time_s, 30410);
  EXPECT_EQ(grid.at(0), TrackCell{});
}

}  // namespace
}  // namespace sc
