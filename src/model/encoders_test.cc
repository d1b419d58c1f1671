#include "model/encoders.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

#include "model/track_grid.h"

namespace sc {
namespace {

constexpr int32_t kLongMin = std::numeric_limits<int32_t>::min();
constexpr int32_t kLongMax = std::numeric_limits<int32_t>::max();

// The grid of a 40 km route: cells 0 to 940.
TrackGrid RouteGrid() { return TrackGrid(static_cast<int32_t>(GridUpperFor(40000))); }

// A signal with only the fields that vary in these tests.
SignalEncoded Signal(TrackGrid& grid, int32_t pos, int32_t sx, int32_t dx, int32_t tempo = 0) {
  return MemoSegnale(grid, pos, sx, 4, 0, 0, 0, dx, 3, 0, 0, tempo);
}

// --- what the encoders return ----------------------------------------------

// The cells written, in order, as runs: a signal's object cell and its four
// countdown marks walking back two cells apart; a slowdown's cells in the
// order warning, start, end, boards; a tunnel range's markers four apart.
TEST(EncodedTest, TheCellsWrittenComeBackAsRuns) {
  TrackGrid grid = RouteGrid();
  const SignalEncoded signal = Signal(grid, 1450, 2, 1);
  ASSERT_EQ(signal.written.size(), 2u);
  EXPECT_EQ(signal.written[0].part, CellPart::kObject);
  EXPECT_EQ(signal.written[0].first, 30);
  EXPECT_EQ(signal.written[1].part, CellPart::kCountdown);
  EXPECT_EQ(signal.written[1].first, 28);
  EXPECT_EQ(signal.written[1].count, 4);
  EXPECT_EQ(signal.written[1].step, -2);

  const SlowdownEncoded slowdown = MemoRallentamento(grid, 16100, 100, 250, 1, 1, 10);
  ASSERT_EQ(slowdown.code, 0);
  std::vector<int64_t> cells;
  for (size_t i = 0; i < slowdown.written.size(); ++i) {
    const CellRun& r = slowdown.written[i];
    for (int64_t n = 0; n < r.count; ++n) cells.push_back(r.first + n * r.step);
  }
  EXPECT_EQ(cells, (std::vector<int64_t>{299, 323, 328, 298, 297, 296, 295}));

  MountainRanges ranges;
  const MountainEncoded tunnel = MemoMontagna(grid, ranges, 1150, 1450, 12);
  ASSERT_EQ(tunnel.written.size(), 2u);
  EXPECT_EQ(tunnel.written[0].part, CellPart::kMountain);
  EXPECT_EQ(tunnel.written[0].first, 23);
  EXPECT_EQ(tunnel.written[0].count, 6);
  EXPECT_EQ(tunnel.written[1].part, CellPart::kObject);
  EXPECT_EQ(tunnel.written[1].first, 26);
  EXPECT_EQ(tunnel.written[1].count, 1);
}

// Many runs spill from the in-place store without losing their order.
TEST(EncodedTest, ManyRunsKeepTheirOrder) {
  CellRuns runs;
  for (int64_t i = 0; i < 20; ++i) runs.Add(i % 2 ? CellPart::kObject : CellPart::kMountain, i, 1);
  ASSERT_EQ(runs.size(), 20u);
  for (size_t i = 0; i < runs.size(); ++i) EXPECT_EQ(runs[i].first, static_cast<int64_t>(i));
}

// A taken cell comes back with the code that names it; a sign or an
// abbattimento writes its one cell; the values cut come back with what
// was stored.
TEST(EncodedTest, TakenCellsAndCutValues) {
  TrackGrid grid = RouteGrid();
  ASSERT_EQ(EncodeSign(grid, 1100, 80).code, 0);
  EXPECT_EQ(grid.at(23).kind, kKindSign);
  EXPECT_EQ(grid.at(23).value_a, 80);
  const Encoded sign_again = EncodeSign(grid, 1100, 79);
  EXPECT_EQ(sign_again.code, kErrSignCellTaken);
  EXPECT_EQ(sign_again.taken_cell, 23);
  const AbbattimentoEncoded on_sign = EncodeAbbattimento(grid, 1150, 5);  // profile cell 23
  EXPECT_EQ(on_sign.code, kErrAbbattimentoCellTaken);
  EXPECT_EQ(on_sign.taken_cell, 23);

  const AbbattimentoEncoded wrapped = EncodeAbbattimento(grid, 2000, 70000);
  EXPECT_TRUE(wrapped.value.cut());
  EXPECT_EQ(wrapped.value.stored, 4464);
  EXPECT_EQ(grid.at(40).value_a, 4464);
  const AbbattimentoEncoded negative = EncodeAbbattimento(grid, 3000, -3);
  EXPECT_TRUE(negative.value.cut());
  EXPECT_EQ(grid.at(60).kind, kKindAbbattimentoZero);
  EXPECT_FALSE(EncodeAbbattimento(grid, 4000, 0).value.cut());

  const BoardEncoded board = MemoIndicatoriVMax(grid, 900, 120, 0, 130, 3277, 115, 7, 125, 0);
  EXPECT_FALSE(board.speeds[0].cut());  // 115 / 5 + 2400 = 2423
  EXPECT_TRUE(board.speeds[1].cut());   // 7 / 5 = 1.4, stored 1
  EXPECT_EQ(board.speeds[1].stored, 1);
  EXPECT_TRUE(board.stripes.cut());  // 32770 in 16 bits
  EXPECT_EQ(board.stripes.stored, -32766);
  EXPECT_EQ(grid.at(19).value_d, -32766);
}

// --- memo_segnale -----------------------------------------------------------

TEST(MemoSegnaleTest, WorkedExampleWritesSignalAndFourCountdownMarks) {
  TrackGrid grid = RouteGrid();
  ASSERT_EQ(MemoSegnale(grid, 1450, 2, 4, 0, 0, 0, 1, 3, 0, 0, 0).code, 0);

  TrackGrid expected = RouteGrid();
  expected.at(30) = TrackCell{.kind = 1, .value_a = 43, .value_d = 7};
  expected.at(28).countdown = 71;
  expected.at(26).countdown = 72;
  expected.at(24).countdown = 73;
  expected.at(22).countdown = 74;
  EXPECT_EQ(grid.cells(), expected.cells());
}

// The time is kept only by a timed signal (sx 2): the result says how it was
// raised and cut, and an untimed signal reports no time at all.
TEST(MemoSegnaleTest, TempoIsRaisedToAHundredAndOneAndStoredLowByteWhenSxIsTwo) {
  struct Case {
    int32_t sx;
    int32_t tempo_in;
    int32_t tempo_out;  // the time kept (0: not kept)
    uint8_t timing;
  };
  const Case cases[] = {
      {2, 50, 101, 101},  {2, 1, 101, 101},  {2, 100, 101, 101}, {2, 101, 101, 101},
      {2, 240, 240, 240}, {2, 300, 300, 44}, {2, 0, 0, 0},       {2, -5, -5, 251},
      {1, 50, 0, 0},      {3, 240, 0, 0},
  };
  for (const Case& c : cases) {
    TrackGrid grid = RouteGrid();
    const SignalEncoded r = Signal(grid, 1450, c.sx, 0, c.tempo_in);
    ASSERT_EQ(r.code, 0);
    EXPECT_EQ(r.time.stored, c.tempo_out) << "sx " << c.sx << " tempo " << c.tempo_in;
    EXPECT_EQ(r.time.cut(), c.tempo_out != c.tempo_in && c.sx == 2) << c.tempo_in;
    EXPECT_EQ(r.timing.stored, c.timing) << "sx " << c.sx << " tempo " << c.tempo_in;
    EXPECT_EQ(grid.at(30).timing, c.timing) << "sx " << c.sx << " tempo " << c.tempo_in;
  }
}

TEST(MemoSegnaleTest, ReplacesMountainMarkerButNotAnObject) {
  TrackGrid grid = RouteGrid();
  grid.at(30).kind = kKindMountainMarker;
  grid.at(30).mountain = 2;
  ASSERT_EQ(Signal(grid, 1450, 2, 1).code, 0);
  EXPECT_EQ(grid.at(30).kind, kKindSignal);
  EXPECT_EQ(grid.at(30).mountain, 2);

  TrackGrid taken = RouteGrid();
  taken.at(30).kind = kKindMaxSpeedBoard;
  const TrackGrid before = taken;
  const SignalEncoded r = Signal(taken, 1450, 2, 1, 50);
  EXPECT_EQ(r.code, 16);
  EXPECT_EQ(r.taken_cell, 30);
  EXPECT_EQ(r.written.size(), 0u);
  EXPECT_EQ(taken.cells(), before.cells());
}

TEST(MemoSegnaleTest, CountdownMarksGoOntoAnyKindWithoutTouchingOtherFields) {
  TrackGrid grid = RouteGrid();
  grid.at(28) = TrackCell{.kind = kKindMaxSpeedBoard, .value_a = 2423, .countdown = 9};
  ASSERT_EQ(Signal(grid, 1450, 2, 1).code, 0);
  EXPECT_EQ(grid.at(28), (TrackCell{.kind = kKindMaxSpeedBoard, .value_a = 2423, .countdown = 71}));
}

TEST(MemoSegnaleTest, PackingWrapsTo16BitsAndCountdownTo8Bits) {
  TrackGrid grid = RouteGrid();
  // sx * 3 + dx = 27: countdown 271..274 wraps to 15..18.
  ASSERT_EQ(MemoSegnale(grid, 1450, 9, 4000, -4000, 3277, 3276, 0, 0, 0, 7, 0).code, 0);
  EXPECT_EQ(grid.at(30).value_a, -25536);  // 40000
  EXPECT_EQ(grid.at(30).value_b, 25536);   // -40000
  EXPECT_EQ(grid.at(30).value_c, -32759);  // 32777
  EXPECT_EQ(grid.at(30).value_d, -32749);  // 32760 + 27 = 32787
  EXPECT_EQ(grid.at(28).countdown, 15);
  EXPECT_EQ(grid.at(22).countdown, 18);
}

TEST(MemoSegnaleTest, CountdownMarksBeforeCellZeroAreSkipped) {
  TrackGrid grid(20);
  ASSERT_EQ(Signal(grid, 150, 2, 1).code, 0);  // cell 4: marks on 2, 0, -2, -4

  TrackGrid expected(20);
  expected.at(4) = TrackCell{.kind = 1, .value_a = 43, .value_d = 7};
  expected.at(2).countdown = 71;
  expected.at(0).countdown = 72;
  EXPECT_EQ(grid.cells(), expected.cells());
}

TEST(MemoSegnaleTest, SignalBeyondTheGridFailsWithItsOwnCode) {
  TrackGrid grid(20);
  const TrackGrid before = grid;
  EXPECT_EQ(Signal(grid, 1000, 2, 1).code, 16);  // cell 21
  EXPECT_EQ(Signal(grid, -100, 2, 1).code, 16);  // cell -1
  EXPECT_EQ(grid.cells(), before.cells());
}

// --- memo_indicatori_v_max --------------------------------------------------

TEST(MemoIndicatoriVMaxTest, WorkedExamplePacksSpeedsAndStripes) {
  TrackGrid grid = RouteGrid();
  ASSERT_EQ(MemoIndicatoriVMax(grid, 900, 120, 130, 140, 0, 115, 125, 130, 0).code, 0);
  TrackGrid expected = RouteGrid();
  expected.at(19) = TrackCell{.kind = 6, .value_a = 2423, .value_b = 2625, .value_c = 2826};
  EXPECT_EQ(grid.cells(), expected.cells());
}

TEST(MemoIndicatoriVMaxTest, RoundsToNearestAndWrapsTo16Bits) {
  TrackGrid grid = RouteGrid();
  // 7 / 5 = 1.4 -> 1; 8 / 5 + 20 = 21.6 -> 22; 2000 * 20 - 8 / 5 = 39998.4 -> 39998.
  ASSERT_EQ(MemoIndicatoriVMax(grid, 900, 0, 1, 2000, 3, 7, 8, -8, 2).code, 0);
  EXPECT_EQ(grid.at(19).value_a, 1);
  EXPECT_EQ(grid.at(19).value_b, 22);
  EXPECT_EQ(grid.at(19).value_c, 39998 - 65536);
  EXPECT_EQ(grid.at(19).value_d, 32);
}

TEST(MemoIndicatoriVMaxTest, TakenOrOutsideCellFailsWith21) {
  TrackGrid grid(20);
  grid.at(19).kind = kKindSignal;
  const TrackGrid before = grid;
  EXPECT_EQ(MemoIndicatoriVMax(grid, 900, 120, 130, 140, 0, 115, 125, 130, 0).code, 21);
  EXPECT_EQ(MemoIndicatoriVMax(grid, 1000, 120, 130, 140, 0, 115, 125, 130, 0).code, 21);
  EXPECT_EQ(grid.cells(), before.cells());
}

// --- memo_rallentamento -----------------------------------------------------

TEST(MemoRallentamentoTest, WorkedExampleAt16100) {
  TrackGrid grid = RouteGrid();
  ASSERT_EQ(MemoRallentamento(grid, 16100, 100, 250, 1, 1, 10).code, 0);

  TrackGrid expected = RouteGrid();
  expected.at(299) = TrackCell{.kind = 4, .value_a = 100, .value_b = 10};
  expected.at(323) = TrackCell{.kind = 3, .value_a = 100, .value_b = 10, .value_c = 1};
  expected.at(328) = TrackCell{.kind = 2, .value_a = 100, .value_b = 10, .value_c = 1};
  for (int16_t i = 1; i <= 4; ++i) {
    expected.at(299 - i) = TrackCell{.kind = 5, .value_a = i, .value_b = i};
  }
  EXPECT_EQ(grid.cells(), expected.cells());
}

TEST(MemoRallentamentoTest, ZeroDvLeavesValueBAndNoBoardsWithoutFta) {
  TrackGrid grid = RouteGrid();
  grid.at(299).value_b = 77;  // a dash field keeps what the cell held
  ASSERT_EQ(MemoRallentamento(grid, 16100, 60, 250, 0, 0, 0).code, 0);

  TrackGrid expected = RouteGrid();
  expected.at(299) = TrackCell{.kind = 4, .value_a = 60, .value_b = 77};
  expected.at(323) = TrackCell{.kind = 3, .value_a = 60};
  expected.at(328) = TrackCell{.kind = 2, .value_a = 60};
  EXPECT_EQ(grid.cells(), expected.cells());
}

TEST(MemoRallentamentoTest, DvStoresItsLow16Bits) {
  TrackGrid grid = RouteGrid();
  ASSERT_EQ(MemoRallentamento(grid, 16100, 100, 250, 1, 1, 65536 + 10).code, 0);
  EXPECT_EQ(grid.at(323).value_b, 10);
  EXPECT_EQ(grid.at(298).value_b, 1);  // d_v is non-zero as a whole
}

TEST(MemoRallentamentoTest, AtOrBefore1500NoWarningNorBoards) {
  for (int32_t x : {1500, 300}) {
    TrackGrid grid = RouteGrid();
    ASSERT_EQ(MemoRallentamento(grid, x, 30, 250, 1, 1, 10).code, 0) << x;
    TrackGrid expected = RouteGrid();
    const int64_t s = CellOf(x);
    const int64_t e = CellOf(x + 250);
    expected.at(s) = TrackCell{.kind = 3, .value_a = 30, .value_b = 10, .value_c = 1};
    expected.at(e) = TrackCell{.kind = 2, .value_a = 30, .value_b = 10, .value_c = 1};
    EXPECT_EQ(grid.cells(), expected.cells()) << x;
  }
}

TEST(MemoRallentamentoTest, ChecksCellsInOrderAndStopsAtTheFirstTaken) {
  struct Case {
    std::vector<int64_t> taken;
    int32_t code;
  };
  // Warning 299 (17), start 323 (18), end 328 (19), checked in that order.
  const Case cases[] = {
      {{299, 323, 328}, 17}, {{323, 328}, 18}, {{328}, 19}, {{299}, 17}, {{323}, 18},
  };
  for (const Case& c : cases) {
    TrackGrid grid = RouteGrid();
    for (int64_t i : c.taken) grid.at(i).kind = kKindSign;
    const TrackGrid before = grid;
    EXPECT_EQ(MemoRallentamento(grid, 16100, 100, 250, 1, 1, 10).code, c.code) << c.taken[0];
    EXPECT_EQ(grid.cells(), before.cells()) << c.taken[0];
  }
}

TEST(MemoRallentamentoTest, TakenApproachBoardFailsWith20AfterPlacingTheSlowdown) {
  TrackGrid grid = RouteGrid();
  grid.at(295).kind = kKindSignal;  // the farthest board
  EXPECT_EQ(MemoRallentamento(grid, 16100, 100, 250, 1, 1, 10).code, 20);

  TrackGrid expected = RouteGrid();
  expected.at(295).kind = kKindSignal;
  expected.at(299) = TrackCell{.kind = 4, .value_a = 100, .value_b = 10};
  expected.at(323) = TrackCell{.kind = 3, .value_a = 100, .value_b = 10, .value_c = 1};
  expected.at(328) = TrackCell{.kind = 2, .value_a = 100, .value_b = 10, .value_c = 1};
  EXPECT_EQ(grid.cells(), expected.cells());
}

TEST(MemoRallentamentoTest, CellsBeyondTheGridFailWithTheirOwnCode) {
  struct Case {
    int32_t x;
    int32_t l;
    int32_t code;
  };
  // Grid 0..340: start 323, end 328 fit; a longer slowdown ends beyond.
  const Case cases[] = {
      {16100, 1000, 19},  // end cell 343
      {17000, 100, 18},   // start cell 341
      {18300, 100, 17},   // warning cell 343
  };
  for (const Case& c : cases) {
    TrackGrid grid(340);
    const TrackGrid before = grid;
    EXPECT_EQ(MemoRallentamento(grid, c.x, 100, c.l, 1, 1, 10).code, c.code) << c.x;
    EXPECT_EQ(grid.cells(), before.cells()) << c.x;
  }
}

TEST(MemoRallentamentoTest, LongOverflowReturns25BeforeAnyWrite) {
  struct Case {
    int32_t x;
    int32_t l;
  };
  const Case cases[] = {{kLongMin + 1199, 100}, {16100, kLongMax}, {kLongMax - 10, 11}};
  for (const Case& c : cases) {
    TrackGrid grid = RouteGrid();
    const TrackGrid before = grid;
    EXPECT_EQ(MemoRallentamento(grid, c.x, 100, c.l, 1, 1, 10).code, 25) << c.x << " " << c.l;
    EXPECT_EQ(grid.cells(), before.cells());
  }
}

// --- memo_montagna ----------------------------------------------------------

TEST(MemoMontagnaTest, TunnelRangeMarksEveryFourthFreeCell) {
  TrackGrid grid = RouteGrid();
  MountainRanges ranges;
  ASSERT_EQ(MemoMontagna(grid, ranges, 1150, 1450, 12).code, 0);

  TrackGrid expected = RouteGrid();
  for (int i = 23; i <= 28; ++i) expected.at(i).mountain = 2;
  expected.at(26).kind = kKindMountainMarker;
  EXPECT_EQ(grid.cells(), expected.cells());
  EXPECT_EQ(ranges.count(), 1);
  EXPECT_EQ(ranges.starts[1], 1150);
  EXPECT_EQ(ranges.ends[1], 1450);
}

TEST(MemoMontagnaTest, MarkerNeverReplacesAnObjectAndPlainRangesPlaceNone) {
  TrackGrid grid = RouteGrid();
  grid.at(26).kind = kKindMaxSpeedBoard;
  MountainRanges ranges;
  ASSERT_EQ(MemoMontagna(grid, ranges, 1150, 1450, 12).code, 0);
  EXPECT_EQ(grid.at(26).kind, kKindMaxSpeedBoard);
  EXPECT_EQ(grid.at(26).mountain, 2);

  TrackGrid plain = RouteGrid();
  MountainRanges plain_ranges;
  ASSERT_EQ(MemoMontagna(plain, plain_ranges, 1150, 1450, 7).code, 0);
  EXPECT_EQ(plain.at(26).kind, kKindFree);
  EXPECT_EQ(plain.at(26).mountain, 7);
}

TEST(MemoMontagnaTest, RangeCloseAfterThePreviousGetsTypeThree) {
  struct Case {
    int32_t start;
    int64_t first;  // round(start / 50)
    int32_t tipo;
    uint8_t mountain;
    bool marker;  // cell first + 3 becomes kind 11
  };
  // Previous range ends at 1450.
  const Case cases[] = {
      {1600, 32, 5, 3, false},  // 150 m after: joined
      {1601, 32, 5, 5, false},  // 151 m after: its own type
      {1500, 30, 14, 3, true},  // joined, the tunnel flag stays
      {1000, 20, 6, 3, false},  // overlapping counts as close
  };
  for (const Case& c : cases) {
    TrackGrid grid = RouteGrid();
    MountainRanges ranges;
    ASSERT_EQ(MemoMontagna(grid, ranges, 1150, 1450, 2).code, 0);
    ASSERT_EQ(MemoMontagna(grid, ranges, c.start, 3000, c.tipo).code, 0);
    EXPECT_EQ(grid.at(c.first).mountain, c.mountain) << c.start;
    EXPECT_EQ(grid.at(c.first + 3).kind == kKindMountainMarker, c.marker) << c.start;
    EXPECT_EQ(ranges.count(), 2);
  }
}

TEST(MemoMontagnaTest, EmptyRangeIsRecordedButWritesNothing) {
  TrackGrid grid = RouteGrid();
  MountainRanges ranges;
  ASSERT_EQ(MemoMontagna(grid, ranges, 1000, 1000, 12).code, 0);  // first 20 > last 19
  EXPECT_EQ(grid.cells(), RouteGrid().cells());
  EXPECT_EQ(ranges.count(), 1);
}

TEST(MemoMontagnaTest, CellsOutsideTheGridAreSkippedButCounted) {
  TrackGrid grid(30);
  MountainRanges ranges;
  // Cells -4..5: the 4th (cell -1) is skipped, the 8th (cell 3) is marked.
  ASSERT_EQ(MemoMontagna(grid, ranges, -200, 300, 11).code, 0);
  // Cells 24..39: written up to 30, the 4th is cell 27.
  ASSERT_EQ(MemoMontagna(grid, ranges, 1200, 2000, 11).code, 0);

  TrackGrid expected(30);
  for (int i = 0; i <= 5; ++i) expected.at(i).mountain = 1;
  for (int i = 24; i <= 30; ++i) expected.at(i).mountain = 1;
  expected.at(3).kind = kKindMountainMarker;
  expected.at(27).kind = kKindMountainMarker;
  EXPECT_EQ(grid.cells(), expected.cells());
}

TEST(MemoMontagnaTest, ListGrowsBeyondEightyRanges) {
  TrackGrid grid = RouteGrid();
  MountainRanges ranges;
  for (int i = 0; i < 100; ++i) {
    ASSERT_EQ(MemoMontagna(grid, ranges, i * 400, i * 400 + 100, 1).code, 0);
  }
  EXPECT_EQ(ranges.count(), 100);
  EXPECT_EQ(ranges.starts[100], 99 * 400);
}

TEST(MemoMontagnaTest, GapOverflowReturns25BeforeAnyWrite) {
  TrackGrid grid = RouteGrid();
  MountainRanges ranges;
  ASSERT_EQ(MemoMontagna(grid, ranges, 1150, 1450, 2).code, 0);
  const TrackGrid before = grid;
  EXPECT_EQ(MemoMontagna(grid, ranges, kLongMin, 100, 2).code, 25);
  EXPECT_EQ(grid.cells(), before.cells());
  EXPECT_EQ(ranges.count(), 1);
}

// --- minimo -----------------------------------------------------------------

TEST(MinimoTest, SmallerOfTwoFirstOnATie) {
  EXPECT_EQ(Minimo(180, 200), 180);
  EXPECT_EQ(Minimo(180, 90), 90);
  EXPECT_EQ(Minimo(int16_t{-3}, int16_t{-3}), -3);
  EXPECT_EQ(Minimo(2.5, 1.5), 1.5);
}

TEST(EncodersTest, BoardSpeedsReadBackAsPacked) {
  struct Case {
    int32_t s, d;
  };
  for (const Case c : {Case{0, 0}, Case{4, 60}, Case{14, 95}, Case{-3, 0}, Case{-3, 35}}) {
    const BoardSpeeds back = UnpackBoardSpeeds(PackBoardSpeeds(c.s, c.d));
    EXPECT_EQ(back.s, c.s) << c.s << "," << c.d;
    EXPECT_EQ(back.d, c.d) << c.s << "," << c.d;
  }
  // A wrapped or hand-made value still reads back to a pair that packs to it.
  EXPECT_EQ(UnpackBoardSpeeds(-41).s, -3);
  EXPECT_EQ(UnpackBoardSpeeds(-41).d, 95);
}

}  // namespace
}  // namespace sc
