#include "import/geodesy.h"

#include <gtest/gtest.h>

namespace sc {
namespace {

GeoPoint At(double lat, double lon) { return GeoPoint{lat, lon, std::nullopt, std::nullopt}; }

// One degree of longitude on the equator is the ellipsoid's radius times
// pi/180; one degree of latitude from the equator is shorter (the meridian
// is flattened), which a sphere would get wrong by over 500 m.
TEST(GeodesyTest, LengthsAreOnTheEllipsoid) {
  EXPECT_NEAR(GeodesicDistance(At(0, 0), At(0, 1)), 111319.4908, 1e-3);
  EXPECT_NEAR(GeodesicDistance(At(0, 0), At(1, 0)), 110574.3886, 1e-3);
  const std::vector<double> along = AlongMetres({At(0, 0), At(0, 1), At(1, 1)});
  ASSERT_EQ(along.size(), 3u);
  EXPECT_EQ(along[0], 0);
  EXPECT_NEAR(along[1], 111319.4908, 1e-3);
  EXPECT_NEAR(along[2] - along[1], GeodesicDistance(At(0, 1), At(1, 1)), 1e-9);
}

TEST(GeodesyTest, NearestPointLiesOnTheRightSegmentAndSide) {
  const std::vector<GeoPoint> line{At(0, 0), At(0, 0.01), At(0.01, 0.01)};
  const std::vector<double> along = AlongMetres(line);
  // Beside the middle of the first segment, 0.001 degrees north.
  LinePosition beside = NearestOnLine(line, along, At(0.001, 0.005));
  EXPECT_EQ(beside.segment, 0u);
  EXPECT_NEAR(beside.along, along[1] / 2, 0.01);
  EXPECT_NEAR(beside.off_track, GeodesicDistance(At(0, 0.005), At(0.001, 0.005)), 0.01);
  // Beyond the corner: the corner itself is nearest.
  LinePosition corner = NearestOnLine(line, along, At(-0.001, 0.011));
  EXPECT_NEAR(corner.along, along[1], 0.01);
  EXPECT_NEAR(corner.off_track, GeodesicDistance(At(0, 0.01), At(-0.001, 0.011)), 0.01);
  // Beside the second segment.
  LinePosition second = NearestOnLine(line, along, At(0.004, 0.0105));
  EXPECT_EQ(second.segment, 1u);
  EXPECT_NEAR(second.along, along[1] + GeodesicDistance(At(0, 0.01), At(0.004, 0.01)), 0.01);
}

TEST(GeodesyTest, CutKeepsTheInnerPointsAndInterpolates) {
  std::vector<GeoPoint> line{At(47, 9), At(47, 9.01), At(47.01, 9.01)};
  line[0].ele = 400;
  line[1].ele = 500;
  line[2].ele = 600;
  const std::vector<double> along = AlongMetres(line);
  const std::vector<GeoPoint> cut = CutLine(line, along, along[1] / 2, along[1] + 100);
  ASSERT_EQ(cut.size(), 3u);
  EXPECT_NEAR(cut[0].lon, 9.005, 1e-6);
  ASSERT_TRUE(cut[0].ele.has_value());
  EXPECT_NEAR(*cut[0].ele, 450, 1e-6);
  EXPECT_EQ(cut[1].lon, 9.01);
  const std::vector<double> cut_along = AlongMetres(cut);
  EXPECT_NEAR(cut_along.back(), along[1] / 2 + 100, 1e-6);
  // Past the ends: clamped.
  const std::vector<GeoPoint> whole = CutLine(line, along, -5, along.back() + 5);
  EXPECT_NEAR(AlongMetres(whole).back(), along.back(), 1e-6);
  EXPECT_EQ(whole.size(), 3u);
}

}  // namespace
}  // namespace sc
