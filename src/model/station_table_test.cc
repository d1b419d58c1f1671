#include "model/station_table.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <limits>

namespace sc {
namespace {

constexpr int32_t kLongMin = std::numeric_limits<int32_t>::min();
constexpr int32_t kLongMax = std::numeric_limits<int32_t>::max();

// --- station area -----------------------------------------------------------

TEST(ComputeStationAreaTest, AreaAndFlagsByKind) {
  struct Case {
    uint8_t kind;
    int32_t position;
    int32_t length;
    uint8_t byte_4;
    uint8_t byte_5;
    bool first;
    int32_t start;
    int32_t end;
    uint8_t byte_4_after;
    uint8_t byte_5_after;
  };
  const Case cases[] = {
      // Centred kinds: half the length either side, +50 at the end when extended.
      {12, 9850, 600, 0, 1, false, 9550, 10150, 0, 1},
      {12, 9850, 600, 1, 1, false, 9550, 10200, 1, 1},
      {1, 100, 101, 0, 0, false, 50, 150, 0, 0},  // 49.5 -> 50, 150.5 -> 150
      {1, 100, 103, 1, 0, false, 48, 202, 1, 0},  // 48.5 -> 48, 201.5 -> 202
      // Platform-end kinds reach 150 m past the position, never extended.
      {6, 40000, 700, 1, 1, false, 39300, 40150, 0, 1},
      {5, 2000, 300, 1, 1, false, 1700, 2150, 0, 0},
      // Through kinds reach the length either side.
      {7, 5000, 800, 1, 1, false, 4200, 5800, 0, 1},
      {8, 0, 400, 1, 1, true, -400, 400, 0, 0},
      // byte_5 needs 600 m; the first station loses both flags.
      {12, 9850, 599, 1, 1, false, 9550, 10200, 1, 0},
      {12, 9850, 600, 1, 1, true, 9550, 10200, 0, 0},
  };
  for (const Case& c : cases) {
    StationRecord station;
    station.kind = c.kind;
    station.position = c.position;
    station.byte_4 = c.byte_4;
    station.byte_5 = c.byte_5;
    ASSERT_TRUE(ComputeStationArea(station, c.length, c.first));
    const std::string label =
        "kind " + std::to_string(c.kind) + " length " + std::to_string(c.length);
    EXPECT_EQ(station.start, c.start) << label;
    EXPECT_EQ(station.end, c.end) << label;
    EXPECT_EQ(station.byte_4, c.byte_4_after) << label;
    EXPECT_EQ(station.byte_5, c.byte_5_after) << label;
    EXPECT_EQ(station.position, c.position) << label;
  }
}

TEST(ComputeStationAreaTest, LongOverflowFailsWithoutChangingTheRecord) {
  struct Case {
    uint8_t kind;
    int32_t position;
    int32_t length;
  };
  const Case cases[] = {
      {8, kLongMax - 10, 11},    // end
      {5, kLongMin + 10, 11},    // start
      {6, kLongMax - 100, 0},    // position + 150
      {12, kLongMax - 10, 100},  // centred end
      {12, kLongMin + 10, 100},  // centred start
  };
  for (const Case& c : cases) {
    StationRecord station;
    station.kind = c.kind;
    station.position = c.position;
    station.byte_4 = 1;
    station.byte_5 = 1;
    const StationRecord before = station;
    EXPECT_FALSE(ComputeStationArea(station, c.length, true)) << int{c.kind};
    EXPECT_EQ(station, before) << int{c.kind};
  }
}

// --- progressive_ordina -----------------------------------------------------

using Triple = std::array<int32_t, 3>;
using Refs = std::array<Triple, 3>;  // slots 81, 82, 83

StationTable TableWith(const Refs& refs) {
  StationTable table;
  for (int i = 0; i < 3; ++i) {
    StationRecord& slot = table.slots[kSlotKmRefTre + i];
    slot.start = refs[i][0];
    slot.end = refs[i][1];
    slot.position = refs[i][2];
  }
  return table;
}

Refs RefsOf(const StationTable& table) {
  Refs refs;
  for (int i = 0; i < 3; ++i) {
    const StationRecord& slot = table.slots[kSlotKmRefTre + i];
    refs[i] = {slot.start, slot.end, slot.position};
  }
  return refs;
}

TEST(ProgressiveOrdinaTest, OrdersTheKilometreReferences) {
  struct Case {
    const char* label;
    Refs in;
    Refs out;
  };
  const Triple zero{0, 0, 0};
  // Distinct second and third values tell the triples apart (T 11, D 22, U 33).
  const Case cases[] = {
      {"all zero", {zero, zero, zero}, {zero, zero, zero}},
      {"uno largest",
       {{{20000, 11, 3}, {10000, 22, 4}, {30000, 33, 5}}},
       {{{30000, 33, 5}, {20000, 11, 3}, {10000, 22, 4}}}},
      {"largest shared", {{{5000, 11, 3}, {5000, 22, 4}, {1000, 33, 5}}}, {zero, zero, zero}},
      {"all equal", {{{5000, 11, 3}, {5000, 22, 4}, {5000, 33, 5}}}, {zero, zero, zero}},
      {"tre largest, tie",
       {{{9000, 11, 3}, {4000, 22, 4}, {4000, 33, 5}}},
       {{{9000, 11, 3}, {4000, 33, 5}, {4000, 22, 4}}}},
      {"tre largest, due next",
       {{{9000, 11, 3}, {5000, 22, 4}, {4000, 33, 5}}},
       {{{9000, 11, 3}, {5000, 22, 4}, {4000, 33, 5}}}},
      {"due largest, tie",
       {{{4000, 11, 3}, {9000, 22, 4}, {4000, 33, 5}}},
       {{{9000, 22, 4}, {4000, 33, 5}, {4000, 11, 3}}}},
      {"due largest, tre next",
       {{{5000, 11, 3}, {9000, 22, 4}, {4000, 33, 5}}},
       {{{9000, 22, 4}, {5000, 11, 3}, {4000, 33, 5}}}},
      {"uno largest, tie",
       {{{4000, 11, 3}, {4000, 22, 4}, {9000, 33, 5}}},
       {{{9000, 33, 5}, {4000, 22, 4}, {4000, 11, 3}}}},
      {"negative firsts",
       {{{-100, 11, 3}, {-300, 22, 4}, {-200, 33, 5}}},
       {{{-100, 11, 3}, {-200, 33, 5}, {-300, 22, 4}}}},
      // First values summing to 0: the second values decide, the last match wins.
      {"sum 0, tre second",
       {{{0, 11, 3}, {0, 0, 4}, {0, -5, 5}}},
       {{{0, 11, 3}, {0, 0, 4}, {0, -5, 5}}}},
      {"sum 0, due second",
       {{{0, 11, 3}, {0, 22, 4}, {0, 0, 5}}},
       {{{0, 22, 4}, {0, 11, 3}, {0, 0, 5}}}},
      {"sum 0, uno second",
       {{{0, 11, 3}, {0, 22, 4}, {0, 33, 5}}},
       {{{0, 33, 5}, {0, 22, 4}, {0, 11, 3}}}},
      {"sum 0, mixed firsts",
       {{{100, 0, 3}, {-100, 22, 4}, {0, 0, 5}}},
       {{{-100, 22, 4}, {100, 0, 3}, {0, 0, 5}}}},
      {"sum 0, no positive second", {{{100, 0, 3}, {-100, -1, 4}, {0, 0, 5}}}, {zero, zero, zero}},
      // +100 on the second value wherever the third is exactly 1, after ordering.
      {"bonus",
       {{{1000, 250, 1}, {3000, 250, 2}, {2000, -100, 1}}},
       {{{3000, 250, 2}, {2000, 0, 1}, {1000, 350, 1}}}},
  };
  for (const Case& c : cases) {
    StationTable table = TableWith(c.in);
    ASSERT_TRUE(ProgressiveOrdina(table)) << c.label;
    EXPECT_EQ(RefsOf(table), c.out) << c.label;
  }
}

TEST(ProgressiveOrdinaTest, LeavesOtherSlotsAndFieldsAlone) {
  StationTable table = TableWith({{{1000, 11, 3}, {3000, 22, 4}, {2000, 33, 5}}});
  table.slots[80].name = "cartello";
  table.slots[84].end = 40000;
  StationTable expected = table;
  ASSERT_TRUE(ProgressiveOrdina(table));
  expected.slots[81].start = 3000;
  expected.slots[81].end = 22;
  expected.slots[81].position = 4;
  expected.slots[82].start = 2000;
  expected.slots[82].end = 33;
  expected.slots[82].position = 5;
  expected.slots[83].start = 1000;
  expected.slots[83].end = 11;
  expected.slots[83].position = 3;
  EXPECT_EQ(table.slots, expected.slots);
}

TEST(ProgressiveOrdinaTest, SumOverflowFailsBeforeReordering) {
  const Refs cases[] = {
      {{{kLongMax, 11, 3}, {1, 22, 4}, {0, 33, 5}}},
      {{{kLongMin, 11, 3}, {0, 22, 4}, {-1, 33, 5}}},
      // Left to right: the partial sum already overflows.
      {{{kLongMax, 11, 3}, {kLongMax, 22, 4}, {kLongMin, 33, 5}}},
  };
  for (const Refs& in : cases) {
    StationTable table = TableWith(in);
    EXPECT_FALSE(ProgressiveOrdina(table));
    EXPECT_EQ(RefsOf(table), in);
  }
}

TEST(ProgressiveOrdinaTest, BonusOverflowFails) {
  StationTable table = TableWith({{{3000, 11, 1}, {2000, kLongMax - 99, 1}, {1000, 33, 1}}});
  EXPECT_FALSE(ProgressiveOrdina(table));
  // Ordered, slot 81 already raised, stopped at slot 82.
  EXPECT_EQ(RefsOf(table), (Refs{{{3000, 111, 1}, {2000, kLongMax - 99, 1}, {1000, 33, 1}}}));

  StationTable fits = TableWith({{{3000, 11, 1}, {2000, kLongMax - 100, 1}, {1000, 33, 2}}});
  ASSERT_TRUE(ProgressiveOrdina(fits));
  EXPECT_EQ(fits.slots[kSlotKmRefDue].end, kLongMax);
}

}  // namespace
}  // namespace sc
