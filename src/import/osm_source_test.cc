#include "import/osm_source.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <zlib.h>

#include "import/geodesy.h"
#include "import/source_kind.h"
#include "platform/env.h"
#include "test_support.h"

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

GeoPoint At(double lat, double lon) { return GeoPoint{lat, lon, std::nullopt, std::nullopt}; }

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

// A hand-made OpenStreetMap XML file. Tags are written "k=v,k=v".
class MapText {
 public:
  MapText& Node(int id, double lat, double lon, const std::string& tags = "") {
    body_ += "  <node id=\"" + std::to_string(id) + "\" lat=\"" + Number(lat) + "\" lon=\"" +
             Number(lon) + "\">" + Tags(tags) + "</node>\n";
    return *this;
  }
  MapText& Way(int id, const std::vector<int>& nodes, const std::string& tags) {
    body_ += "  <way id=\"" + std::to_string(id) + "\">";
    for (int node : nodes) body_ += "<nd ref=\"" + std::to_string(node) + "\"/>";
    body_ += Tags(tags) + "</way>\n";
    return *this;
  }
  // Members written "way:12:forward,node:3:stop".
  MapText& Relation(int id, const std::string& members, const std::string& tags) {
    body_ += "  <relation id=\"" + std::to_string(id) + "\">";
    for (const std::string& member : Split(members, ',')) {
      const std::vector<std::string> part = Split(member + ":", ':');
      body_ +=
          "<member type=\"" + part[0] + "\" ref=\"" + part[1] + "\" role=\"" + part[2] + "\"/>";
    }
    body_ += Tags(tags) + "</relation>\n";
    return *this;
  }
  std::string Xml() const {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<osm version=\"0.6\" "
           "generator=\"test\">\n" +
           body_ + "</osm>\n";
  }

 private:
  static std::string Number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.7f", value);
    return text;
  }
  static std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t at; (at = text.find(separator, start)) != std::string::npos; start = at + 1) {
      parts.push_back(text.substr(start, at - start));
    }
    if (start < text.size()) parts.push_back(text.substr(start));
    return parts;
  }
  // A part without "=" continues the value before it ("railway:position=1,5").
  static std::string Tags(const std::string& tags) {
    std::vector<std::string> joined;
    for (const std::string& part : Split(tags, ',')) {
      if (part.find('=') == std::string::npos && !joined.empty()) {
        joined.back() += "," + part;
      } else {
        joined.push_back(part);
      }
    }
    std::string xml;
    for (const std::string& tag : joined) {
      const size_t equals = tag.find('=');
      xml += "<tag k=\"" + tag.substr(0, equals) + "\" v=\"" + tag.substr(equals + 1) + "\"/>";
    }
    return xml;
  }
  std::string body_;
};

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

class OsmFixtureTest : public ::testing::Test {
 protected:
  Status Read(const MapText& map, const std::string& from, const std::string& to,
              std::optional<std::string> route = std::nullopt) {
    WriteFile(path_, map.Xml());
    return ReadOsmTrack(path_, OsmRequest{from, to, route}, &track_);
  }
  testing::TempFolder folder_;
  const std::string path_ = folder_.File("line.osm");
  SourceTrack track_;
};

// At 47 degrees north a thousandth of a degree of longitude is about 76 m.
constexpr double kLat = 47.0;
constexpr double kLon = 9.0;

// A route whose two directions run on two tracks, both in the relation,
// beside a shorter track that is not: the path keeps to the relation's
// ways (one of its tracks), leaves out its platform member and takes the
// stops from it.
TEST_F(OsmFixtureTest, RouteWithBothDirectionsGivesOneTrack) {
  MapText map;
  map.Node(1, kLat, kLon, "railway=stop,name=Alpha")
      .Node(2, kLat, kLon + 0.004, "railway=stop,name=Beta")
      .Node(3, kLat + 0.001, kLon + 0.002)
      .Node(4, kLat + 0.00105, kLon + 0.002)
      .Way(10, {1, 2}, "railway=rail")
      .Way(11, {1, 3, 2}, "railway=rail")
      .Way(12, {2, 4, 1}, "railway=rail")
      .Relation(20, "way:11:forward,way:12:backward,way:10:platform,node:1:stop,node:2:stop",
                "type=route,route=train,name=Alpha - Beta,ref=R7");
  const double straight = GeodesicDistance(At(kLat, kLon), At(kLat, kLon + 0.004));
  const double detour = GeodesicDistance(At(kLat, kLon), At(kLat + 0.001, kLon + 0.002)) * 2;
  for (const std::string route : {"R7", "alpha - beta", "20"}) {
    const Status status = Read(map, "Alpha", "Beta", route);
    ASSERT_TRUE(status.ok()) << status.message();
    EXPECT_NEAR(track_.along.back(), detour, 0.01) << route;
    EXPECT_EQ(Names(track_), (std::vector<std::string>{"Alpha", "Beta"}));
  }
  ASSERT_TRUE(Read(map, "Beta", "Alpha", "R7").ok());
  EXPECT_NEAR(track_.along.back(), detour, 0.01);
  // Without the route the shortest track is taken.
  ASSERT_TRUE(Read(map, "Alpha", "Beta").ok());
  EXPECT_NEAR(track_.along.back(), straight, 0.01);

  const Status missing = Read(map, "Alpha", "Beta", "R8");
  EXPECT_EQ(missing.message(), path_ +
                                   ": no route relation (type=route, route=train or railway) "
                                   "named \"R8\"; nearest: \"R7\", \"Alpha - Beta\"");
  MapText empty;
  empty.Node(1, kLat, kLon, "railway=station,name=Alpha")
      .Node(2, kLat, kLon + 0.004, "railway=station,name=Beta")
      .Way(10, {1, 2}, "railway=rail")
      .Relation(20, "node:1:stop,node:2:stop", "type=route,route=train,ref=R7");
  EXPECT_EQ(Read(empty, "Alpha", "Beta", "R7").message(),
            path_ + ": route relation 20 has no ways");
}

// Two ways whose ends do not meet: 38 m apart they are joined and the gap
// reported; 76 m apart the path breaks off, and the error says where.
TEST_F(OsmFixtureTest, GapsUpTo50MetresAreBridged) {
  const auto line = [](double gap_degrees) {
    MapText map;
    map.Node(1, kLat, kLon)
        .Node(2, kLat, kLon + 0.002)
        .Node(3, kLat, kLon + 0.002 + gap_degrees)
        .Node(4, kLat, kLon + 0.006)
        .Node(5, kLat + 0.0001, kLon, "railway=station,name=Alpha")
        .Node(6, kLat + 0.0001, kLon + 0.006, "railway=halt,name=Beta")
        .Way(10, {1, 2}, "railway=rail")
        .Way(11, {3, 4}, "railway=rail");
    return map;
  };
  Status status = Read(line(0.0005), "Alpha", "Beta");
  ASSERT_TRUE(status.ok()) << status.message();
  ASSERT_EQ(track_.gaps.size(), 1u);
  const double gap = GeodesicDistance(At(kLat, kLon + 0.002), At(kLat, kLon + 0.0025));
  EXPECT_NEAR(track_.gaps[0].length, gap, 0.01);
  EXPECT_NEAR(track_.gaps[0].along, GeodesicDistance(At(kLat, kLon), At(kLat, kLon + 0.002)), 0.01);
  EXPECT_TRUE(track_.stations.back().halt);
  EXPECT_FALSE(track_.stations.front().halt);
  EXPECT_NEAR(track_.stations.front().off_track, 11.1, 0.1);

  status = Read(line(0.001), "Alpha", "Beta");
  EXPECT_TRUE(status.IsInvalid());
  EXPECT_EQ(status.message(), path_ +
                                  ": no path over the track between \"Alpha\" and \"Beta\": the "
                                  "track from \"Alpha\" ends at 47.000000, 9.002000, 152 m along "
                                  "it, more than 50 m from any track that goes on");
}

// Two main tracks joined only by a siding: the siding is taken, and said.
// Where a main track joins them too, the siding is not taken.
TEST_F(OsmFixtureTest, ServiceTracksOnlyWhereNothingElseJoins) {
  MapText map;
  map.Node(1, kLat, kLon, "railway=station,name=Alpha")
      .Node(2, kLat, kLon + 0.002)
      .Node(3, kLat, kLon + 0.004)
      .Node(4, kLat, kLon + 0.006, "railway=station,name=Beta")
      .Way(10, {1, 2}, "railway=rail")
      .Way(11, {2, 3}, "railway=rail,service=siding")
      .Way(12, {3, 4}, "railway=rail");
  ASSERT_TRUE(Read(map, "Alpha", "Beta").ok());
  ASSERT_EQ(track_.notes.size(), 2u);
  EXPECT_EQ(track_.notes[0].find("service tracks (siding, yard, spur, crossover) taken"), 0u)
      << track_.notes[0];
  map.Node(5, kLat + 0.0003, kLon + 0.003).Way(13, {2, 5, 3}, "railway=rail");
  ASSERT_TRUE(Read(map, "Alpha", "Beta").ok());
  EXPECT_EQ(track_.notes, (std::vector<std::string>{"the file gives no date for its data"}));
  EXPECT_GT(track_.along.back(), GeodesicDistance(At(kLat, kLon), At(kLat, kLon + 0.006)) + 1);
}

// Tunnels, speeds by direction, signals facing the train, a kilometre post
// beside the track, in both directions of travel.
TEST_F(OsmFixtureTest, WhatStandsAlongTheTrackFollowsTheDirection) {
  MapText map;
  map.Node(1, kLat, kLon, "railway=station,name=Alpha")
      .Node(2, kLat, kLon + 0.001,
            "railway=signal,railway:signal:main=DE-ESO:hp,"
            "railway:signal:direction=forward")
      .Node(3, kLat, kLon + 0.002,
            "railway=signal,railway:signal:distant=DE-ESO:vr,"
            "railway:signal:direction=backward")
      .Node(4, kLat, kLon + 0.003, "railway=signal,railway:signal:speed_limit=DE-ESO:zs3")
      .Node(5, kLat, kLon + 0.004, "railway=station,name=Beta")
      .Node(6, kLat + 0.0001, kLon + 0.0015, "railway=milestone,railway:position=1,5")
      .Way(10, {1, 2}, "railway=rail,maxspeed=100")
      .Way(11, {2, 3}, "railway=rail,tunnel=yes,maxspeed:forward=80,maxspeed:backward=60")
      .Way(12, {3, 4, 5}, "railway=rail,tunnel=building_passage,maxspeed=none");
  const double step = GeodesicDistance(At(kLat, kLon), At(kLat, kLon + 0.001));
  ASSERT_TRUE(Read(map, "Alpha", "Beta").ok());
  ASSERT_EQ(track_.tunnels.size(), 1u);
  EXPECT_NEAR(track_.tunnels[0].from, step, 0.01);
  EXPECT_NEAR(track_.tunnels[0].to, 4 * step, 0.01);
  ASSERT_EQ(track_.speeds.size(), 2u);
  EXPECT_EQ(track_.speeds[0].kmh, 100);
  EXPECT_EQ(track_.speeds[1].kmh, 80);
  ASSERT_EQ(track_.signals.size(), 1u);
  EXPECT_EQ(track_.signals[0].kind, TrackSignalKind::kMain);
  EXPECT_NEAR(track_.signals[0].along, step, 0.01);
  ASSERT_EQ(track_.milestones.size(), 1u);
  EXPECT_EQ(track_.milestones[0].position_km, 1.5);
  EXPECT_NEAR(track_.milestones[0].along, 1.5 * step, 0.01);
  EXPECT_EQ(track_.notes[0], "maxspeed \"none\" (way 12) is no speed; left out");

  ASSERT_TRUE(Read(map, "Beta", "Alpha").ok());
  ASSERT_EQ(track_.speeds.size(), 2u);
  EXPECT_EQ(track_.speeds[0].kmh, 60);
  EXPECT_NEAR(track_.speeds[0].span.from, 2 * step, 0.01);
  ASSERT_EQ(track_.signals.size(), 1u);
  EXPECT_EQ(track_.signals[0].kind, TrackSignalKind::kDistant);
  EXPECT_NEAR(track_.signals[0].along, 2 * step, 0.01);
  EXPECT_NEAR(track_.milestones[0].along, 2.5 * step, 0.01);
}

// What is wrong with the stations, and with the file, is said, naming it.
TEST_F(OsmFixtureTest, BadStationsAndFilesAreRefused) {
  MapText map;
  map.Node(1, kLat, kLon, "railway=station,name=Alpha")
      .Node(2, kLat, kLon + 0.004, "railway=station,name=Beta")
      .Node(3, kLat + 0.01, kLon, "railway=station,name=Gamma")
      .Way(10, {1, 2}, "railway=rail");
  EXPECT_EQ(Read(map, "Alpah", "Beta").message(),
            path_ + ": no station named \"Alpah\"; nearest: \"Alpha\", \"Beta\", \"Gamma\"");
  EXPECT_EQ(Read(map, "Alpha", "Gamma").message(),
            path_ + ": station \"Gamma\" is 1112 m from the nearest track");

  MapText long_line;
  long_line.Node(1, 0, 0, "railway=station,name=Alpha")
      .Node(2, 0, 10, "railway=station,name=Beta")
      .Way(10, {1, 2}, "railway=rail");
  EXPECT_EQ(Read(long_line, "Alpha", "Beta").message(),
            path_ +
                ": the track between \"Alpha\" and \"Beta\" is 1113195 m long, more than the "
                "1000000 m a line may hold");

  MapText roads;
  roads.Node(1, kLat, kLon).Node(2, kLat, kLon + 0.004).Way(10, {1, 2}, "highway=primary");
  EXPECT_EQ(Read(roads, "Alpha", "Beta").message(),
            path_ + ": no railway track (railway=rail) in the file");

  const std::string xml = map.Xml();
  const std::string pbf_path = Liechtenstein();
  std::string pbf;
  if (!pbf_path.empty()) {
    std::ifstream in(pbf_path, std::ios::binary);
    pbf.assign(std::istreambuf_iterator<char>(in), {});
  }
  const struct {
    std::string name, bytes, message;
  } files[] = {
      {"cut.osm", xml.substr(0, xml.size() / 2), "damaged or cut short"},
      {"cut.osm.pbf", pbf.substr(0, pbf.size() / 2), "damaged or cut short"},
      {"noise.osm.pbf", pbf.substr(0, 200) + std::string(5000, 'x'), "damaged or cut short"},
      {"text.osm", "name,lat,lon\nAlpha,47,9\n", "not an OpenStreetMap file"},
      {"line.geojson", "{\"type\": \"FeatureCollection\"}", "not an OpenStreetMap file"},
      {"empty.osm", "", "not an OpenStreetMap file"},
      {"ride.gpx", "<?xml version=\"1.0\"?>\n<!-- <osm> -->\n<gpx version=\"1.1\"></gpx>",
       "not an OpenStreetMap file"},
  };
  for (const auto& file : files) {
    if (file.name.find("pbf") != std::string::npos && pbf.empty()) continue;
    const std::string path = folder_.File(file.name);
    WriteFile(path, file.bytes);
    const Status status = ReadOsmTrack(path, OsmRequest{"Alpha", "Beta", std::nullopt}, &track_);
    EXPECT_TRUE(status.IsCorruption()) << file.name;
    EXPECT_EQ(status.message().find(path + ": " + file.message), 0u) << status.message();
  }
  EXPECT_TRUE(ReadOsmTrack(folder_.File("absent.osm"), OsmRequest{"A", "B", std::nullopt}, &track_)
                  .IsNotFound());
}

// A compressed file is known by its content, whatever its name. (Its
// second station is mapped as an area: it stands at the area's middle.)
TEST_F(OsmFixtureTest, CompressedXmlIsKnownByItsContent) {
  MapText map;
  map.Node(1, kLat, kLon, "railway=station,name=Alpha")
      .Node(2, kLat, kLon + 0.004)
      .Node(3, kLat + 0.0001, kLon + 0.0035)
      .Node(4, kLat + 0.0003, kLon + 0.0035)
      .Node(5, kLat + 0.0003, kLon + 0.0045)
      .Node(6, kLat + 0.0001, kLon + 0.0045)
      .Way(10, {1, 2}, "railway=rail")
      .Way(11, {3, 4, 5, 6, 3}, "railway=station,name=Beta");
  const std::string path = folder_.File("line.dat");
  gzFile out = gzopen(path.c_str(), "wb");
  const std::string xml = map.Xml();
  gzwrite(out, xml.data(), static_cast<unsigned>(xml.size()));
  gzclose(out);
  const Status status = ReadOsmTrack(path, OsmRequest{"Alpha", "Beta", std::nullopt}, &track_);
  ASSERT_TRUE(status.ok()) << status.message();
  ASSERT_EQ(track_.stations.size(), 2u);
  EXPECT_NEAR(track_.stations[1].where.lat, kLat + 0.0002, 1e-9);
  EXPECT_NEAR(track_.stations[1].where.lon, kLon + 0.004, 1e-9);
  EXPECT_NEAR(track_.stations[1].off_track,
              GeodesicDistance(At(kLat, kLon + 0.004), At(kLat + 0.0002, kLon + 0.004)), 0.01);
}

// Names as the program holds them (Windows-1252 bytes: accented letters that
// the system code page of the tests' Windows lacks), and names libosmium
// would otherwise take for standard input or a download address: each is
// the file of that name, for the sniffing of its kind and for libosmium.
TEST_F(OsmFixtureTest, AnyFileNameIsTheFile) {
  MapText map;
  map.Node(1, kLat, kLon, "railway=station,name=Alpha")
      .Node(2, kLat, kLon + 0.004, "railway=station,name=Beta")
      .Way(10, {1, 2}, "railway=rail");
  std::vector<std::string> names = {"Z\xFCrich - Ma\xEEtre.osm", "-"};
#ifndef _WIN32
  names.push_back("file:line.osm");
#endif
  for (const std::string& name : names) {
    std::unique_ptr<ReplacingFile> file;
    ASSERT_TRUE(Env::Default()->NewReplacingFile(folder_.File(name), &file).ok());
    ASSERT_TRUE(file->Append(map.Xml()).ok());
    ASSERT_TRUE(file->Commit().ok());
    const Status status =
        ReadSourceTrack(folder_.File(name), TrackRequest{"Alpha", "Beta", std::nullopt}, &track_);
    ASSERT_TRUE(status.ok()) << name << ": " << status.message();
    EXPECT_EQ(track_.stations.size(), 2u) << name;
  }
}

}  // namespace
}  // namespace sc
