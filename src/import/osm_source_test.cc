#include "import/osm_source.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "import/geodesy.h"

namespace sc {
namespace {

namespace fs = std::filesystem;

// The Liechtenstein extract: in the repository, or beside it in shared/.
std::string Liechtenstein() {
  for (const char* folder : {"/tests/data/osm/", "/../shared/osm/"}) {
    const std::string path =
        std::string(SC_SOURCE_DIR) + folder + "liechtenstein-2013-08-03.osm.pbf";
    if (fs::exists(path)) return path;
  }
  return "";
}

std::vector<std::string> Names(const SourceTrack& track) {
  std::vector<std::string> names;
  for (const TrackStation& station : track.stations) names.push_back(station.name);
  return names;
}

// The line across Liechtenstein: found over the ways (the file has no
// route), its stations in order at along-track metres that agree with the
// straight distances between them, the same track both ways.
TEST(OsmSourceTest, LiechtensteinFromSchaanVaduzToTisis) {
  const std::string path = Liechtenstein();
  if (path.empty()) GTEST_SKIP() << "liechtenstein-2013-08-03.osm.pbf not found";
  SourceTrack track;
  Status status = ReadOsmTrack(path, OsmRequest{"schaan vaduz", "TISIS", std::nullopt}, &track);
  ASSERT_TRUE(status.ok()) << status.message();
  EXPECT_EQ(Names(track),
            (std::vector<std::string>{"Schaan-Vaduz", "Forst Hilti Bahnhof", "Nendeln", "Tisis"}));
  ASSERT_EQ(track.points.size(), track.along.size());
  EXPECT_EQ(track.along.front(), 0);
  for (size_t i = 1; i < track.along.size(); ++i) EXPECT_GT(track.along[i], track.along[i - 1]);
  EXPECT_NEAR(track.along.back(), 8544, 5);
  EXPECT_EQ(track.stations.back().along, track.along.back());
  for (size_t i = 1; i < track.stations.size(); ++i) {
    const TrackStation& a = track.stations[i - 1];
    const TrackStation& b = track.stations[i];
    const double straight = GeodesicDistance(a.where, b.where);
    const double over_track = b.along - a.along;
    EXPECT_GT(over_track, straight - a.off_track - b.off_track) << b.name;
    EXPECT_LT(over_track, straight * 1.05 + 25) << b.name;
  }
  for (const TrackStation& station : track.stations)
    EXPECT_LT(station.off_track, 25) << station.name;
  EXPECT_FALSE(track.stations[1].halt);
  EXPECT_TRUE(track.stations[0].halt);
  ASSERT_FALSE(track.bridges.empty());
  for (size_t i = 1; i < track.bridges.size(); ++i) {
    EXPECT_GT(track.bridges[i].from, track.bridges[i - 1].to);
  }
  ASSERT_EQ(track.speeds.size(), 1u);
  EXPECT_EQ(track.speeds[0].kmh, 90);
  EXPECT_EQ(track.speeds[0].span.to, track.along.back());
  EXPECT_EQ(track.source_kind, "OpenStreetMap");
  EXPECT_EQ(track.credit, "\xC2\xA9 OpenStreetMap contributors, ODbL");
  EXPECT_EQ(track.source_date, "2013-08-03T19:00:02Z");

  SourceTrack back;
  status = ReadOsmTrack(path, OsmRequest{"Tisis", "Schaan-Vaduz", std::nullopt}, &back);
  ASSERT_TRUE(status.ok()) << status.message();
  EXPECT_EQ(Names(back),
            (std::vector<std::string>{"Tisis", "Nendeln", "Forst Hilti Bahnhof", "Schaan-Vaduz"}));
  EXPECT_NEAR(back.along.back(), track.along.back(), 0.01);
  EXPECT_NEAR(back.stations[1].along, track.along.back() - track.stations[2].along, 0.5);
  ASSERT_EQ(back.speeds.size(), 1u);
  EXPECT_EQ(back.speeds[0].span.from, 0);
}

}  // namespace
}  // namespace sc
