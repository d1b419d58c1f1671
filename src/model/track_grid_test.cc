#include "model/track_grid.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace sc {
namespace {

TEST(TrackGridTest, CellOfRoundsHalvesToEven) {
  struct Case {
    int64_t position;
    int64_t cell;
  };
  const Case cases[] = {
      {0, 1}, {25, 2}, {75, 2}, {125, 4}, {1450, 30}, {16100, 323}, {-25, 0}, {-75, 0}, {-100, -1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CellOf(c.position), c.cell) << "position " << c.position;
  }
}

TEST(TrackGridTest, UpperForRouteLength) {
  EXPECT_EQ(GridUpperFor(40000), 940);
  EXPECT_EQ(GridUpperFor(25), 140);  // 140.5 -> 140
  EXPECT_EQ(GridUpperFor(75), 142);  // 141.5 -> 142
}

TEST(TrackGridTest, FreshGridIsZeroAndSpansZeroToUpper) {
  TrackGrid grid(10);
  EXPECT_EQ(grid.upper(), 10);
  EXPECT_EQ(grid.cells().size(), 11u);
  for (const TrackCell& cell : grid.cells()) EXPECT_EQ(cell, TrackCell{});
}

TEST(TrackGridTest, FreeOnlyForKindZeroOrMountainMarkerInsideGrid) {
  TrackGrid grid(5);
  grid.at(1).kind = kKindMountainMarker;
  grid.at(2).kind = kKindMaxSpeedBoard;
  grid.at(3).kind = kKindMarker;
  struct Case {
    int64_t index;
    bool free;
  };
  const Case cases[] = {{0, true}, {1, true},   {2, false}, {3, false},
                        {5, true}, {-1, false}, {6, false}, {1000, false}};
  for (const Case& c : cases) EXPECT_EQ(grid.is_free(c.index), c.free) << c.index;
}

}  // namespace
}  // namespace sc

namespace sc {
namespace {

// The cell starts split the metres exactly as CellOf does, halves included,
// and each cell's own metre lies inside it: a page that looks metres up in
// the starts needs no rule of its own.
TEST(TrackGridTest, CellStartsSplitMetresAsCellOf) {
  auto cell_at = [](int64_t metre) {
    int64_t cell = 0;
    for (int64_t c = 0; c <= 50; ++c) {
      const CellStart s = ObjectCellStart(c);
      if (s.metre < static_cast<double>(metre) ||
          (s.metre == static_cast<double>(metre) && s.included))
        cell = c;
    }
    return cell;
  };
  for (int64_t metre = -75; metre <= 2400; ++metre)
    ASSERT_EQ(cell_at(metre), CellOf(metre)) << metre << " m";
  for (int64_t cell = 0; cell <= 50; ++cell) {
    EXPECT_EQ(CellOf(ObjectMetreOf(cell)), cell);
    EXPECT_EQ(ProfileCellOf(ProfileMetreOf(cell)), cell);
  }
}

}  // namespace
}  // namespace sc
